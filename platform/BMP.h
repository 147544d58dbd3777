#pragma once
#include <QIODevice>
#include <QImage>

#include <string>

// Reads a Windows bitmap file with Qt's BMP reader, and only with it: a PNG or
// JPEG named .bmp is an error, not a guess. Pixels the file does not supply
// (a cut-off file, RLE rows ended early) are index 0 or black, never whatever
// was in memory. Throws Exception naming the file.
QImage ReadBitmapFile(const std::string& fileName);
// The same from a device open for reading; `name` is what errors call it.
QImage ReadBitmap(QIODevice& device, const std::string& name);
