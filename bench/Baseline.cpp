#include "bench/Baseline.h"

#include <algorithm>

#include "convert/ConvertHsiToRgb.h"
#include "convert/ConvertRgbToHsi.h"
#include "convert/StoreSample.h"
#include "convert/StrictFloat.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"

using namespace ChannelPlanes;

void BaselineConvertRgbToHsi()
{
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) {
            const std::uint8_t r = R[x][y], g = G[x][y], b = B[x][y];
            S[x][y] = SaturationOf(r, g, b);
            H[x][y] = HueOf(r, g, b);
            I[x][y] = IntensityOf(r, g, b);
        }
}

void BaselineConvertHsiToRgb()
{
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) {
            const RgbReal c = HsiToRgbReal(H[x][y], S[x][y], I[x][y]);
            R[x][y] = StoreSample(c.r);
            G[x][y] = StoreSample(c.g);
            B[x][y] = StoreSample(c.b);
        }
}

namespace {

std::uint8_t HueShade(double hue) { return static_cast<std::uint8_t>(std::clamp(hue, 0.0, 255.0)); }

}  // namespace

void BaselinePaintHueView(TCanvas& canvas)
{
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) canvas.SetPixel(x, y, PackColor(HueShade(H[x][y]), 0, 0));
}

void BaselinePaintReconstructionView(TCanvas& canvas)
{
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) canvas.SetPixel(x, y, PackColor(R[x][y], G[x][y], B[x][y]));
}
