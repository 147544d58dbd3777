#pragma once
#include <QIODevice>
#include <QImage>

#include <string>

#include "platform/QtPixels.h"

// The reader behind DecodeBitmap, on any device open for reading, giving
// Qt's own picture (palette pictures keep their palette). Pixels the file
// does not supply are index 0 or black. `name` is what errors call it.
QImage ReadBitmap(QIODevice& device, const std::string& name);
