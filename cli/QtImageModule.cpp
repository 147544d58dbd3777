// The module hsi-cli loads for the steps that need Qt's image code.
#include "cli/QtImageModule.h"

#include <QImage>

#include "platform/BMP.h"
#include "platform/Exception.h"
#include "platform/QtPixels.h"

namespace {

void WritePng(const TBitmap& picture, int width, int height, const std::string& fileName)
{
    if (!RowsAsImage(picture).copy(0, 0, width, height).save(QString::fromStdString(fileName), "PNG"))
        throw Exception("Cannot write \"" + fileName + "\"");
}

constexpr QtImageFunctions Functions{sizeof(QtImageFunctions), DecodeBitmap, WritePng};

}  // namespace

extern "C" __attribute__((visibility("default"))) const QtImageFunctions* HsiQtImageFunctions() { return &Functions; }
