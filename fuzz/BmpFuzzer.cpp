// Any bytes through the BMP reader as the BMP entry uses it: Qt's reader on
// a device, the left panel's picture and the copy into the workspace.
#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "input/CopyPictureToPlanes.h"
#include "platform/BMPReader.h"
#include "platform/Exception.h"
#include "platform/Graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = fuzz::SilenceQt();
    (void)quiet;
    // A smaller bound than Qt's 128 MB, which BMP.cpp heeds the same way: the
    // same paths, but a header of many megapixels no longer costs half a
    // second of clearing and copying, and the fuzzer gets on.
    QImageReader::setAllocationLimit(8);
    // Straight on the fuzzer's own buffer, which ends where the input does:
    // a read past it is caught, where a copy would have Qt's padding there.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer device;
    device.setData(bytes);
    if (!device.open(QIODevice::ReadOnly)) std::abort();
    TBitmap picture;
    try {
        QImage image = ReadBitmap(device, "fuzz.bmp");
        if (image.isNull()) std::abort();  // a picture or an Exception, never neither
        fuzz::MarkPicture(image);
        picture.Assign(BitmapOf(image));
    } catch (const Exception& e) {
        // Qt's few reasons, told apart by their length.
        fuzz::Mark(96, static_cast<int>(e.Message().size() % 64));
        return 0;
    }
    CopyPictureToPlanes(picture);
    fuzz::CheckPlanesShow(picture);
    return 0;
}
