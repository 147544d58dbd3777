#include "input/CopyPictureToPlanes.h"

#include <algorithm>

#include "workspace/ChannelPlanes.h"

namespace {

// The planes run down columns and a picture along rows: going in bands of
// rows, each column's few samples of a band share a cache line.
constexpr int BandRows = 8;
static_assert(PlaneHeight % BandRows == 0, "bands must tile the planes");

}  // namespace

void CopyPictureToPlanes(const TBitmap& picture)
{
    using namespace ChannelPlanes;
    const int width = std::min(picture.Width(), PlaneWidth);
    const int height = std::min(picture.Height(), PlaneHeight);
    // Outside the picture a canvas answers clInvalidColor: white.
    for (int top = 0; top < PlaneHeight; top += BandRows) {
        const TPixel* line[BandRows];
        for (int k = 0; k < BandRows; ++k) line[k] = top + k < height ? picture.ScanLine(top + k) : nullptr;
        for (int x = 0; x < PlaneWidth; ++x)
            for (int k = 0; k < BandRows; ++k) {
                const TPixel p = line[k] && x < width ? line[k][x] : PixelOf(255, 255, 255);
                R[x][top + k] = static_cast<std::uint8_t>(p >> 16);
                G[x][top + k] = static_cast<std::uint8_t>(p >> 8);
                B[x][top + k] = static_cast<std::uint8_t>(p);
            }
    }
}
