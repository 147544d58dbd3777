#pragma once
#include <QImage>

#include "platform/Graphics.h"

// A picture's own rows seen as Qt's RGB32, without a copy: valid while the
// picture is neither changed nor destroyed. A picture with no pixels gives a
// null image.
inline QImage RowsAsImage(const TBitmap& picture)
{
    if (picture.Empty()) return {};
    return QImage(reinterpret_cast<const uchar*>(picture.ScanLine(0)), picture.Width(), picture.Height(),
                  qsizetype(picture.Width()) * qsizetype(sizeof(TPixel)), QImage::Format_RGB32);
}

// The picture by its colours: palettes applied, an alpha channel dropped.
// Throws Exception when the memory cannot be had.
TBitmap BitmapOf(const QImage& picture);
