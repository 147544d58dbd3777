#pragma once
#include <QImage>

#include "platform/Graphics.h"

// Pictures between the program's TBitmap and Qt's QImage, so that tests can
// compare with pictures read by Qt or made by other programs.

// A copy of the picture as RGB32.
QImage ToQImage(const TBitmap& picture);
// A copy of any QImage by its colours (palettes applied, alpha dropped).
TBitmap ToBitmap(const QImage& image);
