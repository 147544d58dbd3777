#include "tests/support/QtPictures.h"

#include "platform/QtPixels.h"

QImage ToQImage(const TBitmap& picture) { return RowsAsImage(picture).copy(); }

TBitmap ToBitmap(const QImage& image) { return image.isNull() ? TBitmap() : BitmapOf(image); }
