// Any bytes through the JPEG entry's path: the header, the top-left decode,
// the left panel's picture and the copy into the workspace.
#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "input/CopyPictureToPlanes.h"
#include "platform/Exception.h"
#include "platform/Graphics.h"
#include "platform/JPEG.h"
#include "workspace/ChannelPlanes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = fuzz::SilenceQt();
    (void)quiet;
    // The size's parity picks the screen: the bytes stay a plain JPEG file
    // (a finding loads as it is), and one byte added or dropped anywhere
    // sends the same shape of file down the other path.
    ScreenColorDepth = size % 2 == 1 ? 8 : 24;
    fuzz::Mark(80, ScreenColorDepth > 8);
    TBitmap picture;
    try {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(std::vector<unsigned char>(data, data + size));
        TBitmap corner = jpeg.DecodeTopLeft(PlaneWidth, PlaneHeight);
        // What the program promises of the corner, checked where a
        // sanitizer would not see it go wrong.
        if (corner.Empty() || corner.Width() > PlaneWidth || corner.Height() > PlaneHeight ||
            corner.Width() != std::min(jpeg.Width(), PlaneWidth) || corner.Height() != std::min(jpeg.Height(), PlaneHeight))
            std::abort();
        fuzz::MarkPicture(corner);
        picture.Assign(std::move(corner));
    } catch (const Exception& e) {
        // The error the user reads; the workspace takes nothing then.
        const int code = fuzz::JpegErrorCode(e.Message());
        fuzz::Mark(96, code >= 0 && code < 150 ? code : 150);
        return 0;
    }
    CopyPictureToPlanes(picture);
    fuzz::CheckPlanesShow(picture);
    return 0;
}
