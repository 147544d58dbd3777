#include "ui/Views.h"

#include <algorithm>

#include "platform/SysUtils.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"

namespace {

// Hues run to 360 while a red component holds 255: the top 105 degrees
// saturate rather than wrap to dark.
std::uint8_t HueShade(double hue) { return static_cast<std::uint8_t>(std::clamp(hue, 0.0, 255.0)); }

}  // namespace

void PaintHueView(TCanvas& canvas)
{
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) canvas.SetPixel(x, y, PackColor(HueShade(ChannelPlanes::H[x][y]), 0, 0));
}

void PaintReconstructionView(TCanvas& canvas)
{
    using namespace ChannelPlanes;
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) canvas.SetPixel(x, y, PackColor(R[x][y], G[x][y], B[x][y]));
}

std::string HueText(double hue) { return IntToStr(static_cast<int>(hue)); }
