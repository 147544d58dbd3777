#include "input/CopyPictureToPlanes.h"

#include <algorithm>

#include "workspace/ChannelPlanes.h"

void CopyPictureToPlanes(const TBitmap& picture)
{
    using namespace ChannelPlanes;
    const int width = std::min(picture.Width(), PlaneWidth);
    const int height = std::min(picture.Height(), PlaneHeight);
    for (int y = 0; y < PlaneHeight; ++y) {
        const TPixel* row = y < height ? picture.ScanLine(y) : nullptr;
        for (int x = 0; x < PlaneWidth; ++x) {
            // Outside the picture a canvas answers clInvalidColor: white.
            const TPixel p = row && x < width ? row[x] : PixelOf(255, 255, 255);
            R[x][y] = static_cast<std::uint8_t>(p >> 16);
            G[x][y] = static_cast<std::uint8_t>(p >> 8);
            B[x][y] = static_cast<std::uint8_t>(p);
        }
    }
}
