#include "input/OpenPicture.h"

#include "input/CopyPictureToPlanes.h"
#include "platform/JPEG.h"

void LoadChosenPicture(int filterIndex, const std::string& fileName, TPicture& source)
{
    if (filterIndex == JpegEntry) {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(fileName);
        source.Bitmap->Assign(jpeg);
    } else if (filterIndex == BmpEntry) {
        source.LoadFromFile(fileName);
    } else {
        return;
    }
    CopyPictureToPlanes(*source.Bitmap);
}
