#include "input/CopyPictureToPlanes.h"

#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"

void CopyPictureToPlanes(const TBitmap& picture)
{
    using namespace ChannelPlanes;
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) {
            const TColor c = picture.Pixel(x, y);  // clInvalidColor outside: white
            R[x][y] = RedOf(c);
            G[x][y] = GreenOf(c);
            B[x][y] = BlueOf(c);
        }
}
