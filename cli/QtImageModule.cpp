// The module hsi-cli loads for the steps that need Qt's image code.
#include "cli/QtImageModule.h"

#include <QImage>

#include "platform/BMP.h"
#include "platform/Exception.h"

namespace {

void WritePng(const TBitmap& picture, int width, int height, const std::string& fileName)
{
    const QImage rows(reinterpret_cast<const uchar*>(picture.ScanLine(0)), picture.Width(), picture.Height(),
                      qsizetype(picture.Width()) * qsizetype(sizeof(TPixel)), QImage::Format_RGB32);
    if (!rows.copy(0, 0, width, height).save(QString::fromStdString(fileName), "PNG"))
        throw Exception("Cannot write \"" + fileName + "\"");
}

constexpr QtImageFunctions Functions{sizeof(QtImageFunctions), DecodeBitmap, WritePng};

}  // namespace

extern "C" __attribute__((visibility("default"))) const QtImageFunctions* HsiQtImageFunctions() { return &Functions; }
