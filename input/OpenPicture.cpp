#include "input/OpenPicture.h"

#include "input/CopyPictureToPlanes.h"
#include "platform/JPEG.h"
#include "workspace/ChannelPlanes.h"

void LoadChosenPicture(int filterIndex, const std::string& fileName, TPicture& source)
{
    if (filterIndex == JpegEntry) {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(fileName);
        // The panel shows, and the workspace takes, only the top-left corner:
        // decode no more of the picture than that.
        source.Bitmap->Assign(jpeg.DecodeTopLeft(PlaneWidth, PlaneHeight));
    } else if (filterIndex == BmpEntry) {
        source.LoadFromFile(fileName);
    } else {
        return;
    }
    CopyPictureToPlanes(*source.Bitmap);
}
