#include "tests/support/QtPictures.h"

#include <algorithm>

QImage ToQImage(const TBitmap& picture)
{
    if (picture.Empty()) return {};
    return QImage(reinterpret_cast<const uchar*>(picture.ScanLine(0)), picture.Width(), picture.Height(),
                  qsizetype(picture.Width()) * qsizetype(sizeof(TPixel)), QImage::Format_RGB32)
        .copy();
}

TBitmap ToBitmap(const QImage& image)
{
    if (image.isNull()) return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<TPixel> pixels = NewPixels(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(rgb.constScanLine(y)), rgb.width(),
                    pixels.begin() + std::ptrdiff_t(y) * rgb.width());
    return TBitmap(rgb.width(), rgb.height(), std::move(pixels));
}
