#include "ui/Views.h"

#include <algorithm>

#include "platform/SysUtils.h"
#include "workspace/ChannelPlanes.h"

namespace {

// Hues run to 360 while a red component holds 255: the top 105 degrees
// saturate rather than wrap to dark. NaN, which no conversion gives, is black.
TPixel HueShade(double hue)
{
    const double shade = std::min(hue > 0.0 ? hue : 0.0, 255.0);
    return PixelOf(static_cast<int>(shade), 0, 0);
}

TPixel ReconstructionColor(int x, int y)
{
    using namespace ChannelPlanes;
    return PixelOf(R[x][y], G[x][y], B[x][y]);
}

TPixel HueColor(int x, int y) { return HueShade(ChannelPlanes::H[x][y]); }

// The planes run down columns and a picture along rows, so the copy goes in
// bands of rows: each column's few samples of a band share a cache line, and
// each row of the band is written from left to right.
constexpr int BandRows = 8;

// Draws the workspace's top-left corner, as far as the picture reaches, with
// colour(x, y) for each pixel, and tells the panel once.
template <class Colour>
void PaintPlanes(TCanvas& canvas, Colour colour)
{
    TBitmap& bitmap = canvas.Surface();
    const int width = std::min(bitmap.Width(), PlaneWidth);
    const int height = std::min(bitmap.Height(), PlaneHeight);
    for (int top = 0; top < height; top += BandRows) {
        const int rows = std::min(BandRows, height - top);
        TPixel* line[BandRows];
        for (int k = 0; k < rows; ++k) line[k] = bitmap.ScanLine(top + k);
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < rows; ++k) line[k][x] = colour(x, top + k);
    }
    bitmap.Changed();
}

}  // namespace

void PaintHueView(TCanvas& canvas) { PaintPlanes(canvas, HueColor); }

void PaintReconstructionView(TCanvas& canvas) { PaintPlanes(canvas, ReconstructionColor); }

std::string HueText(double hue) { return IntToStr(static_cast<int>(hue)); }
