#pragma once
#include <string>
#include <vector>

#include "platform/Graphics.h"

// Decodes the bytes of a Windows bitmap file with Qt's BMP reader, and only
// with it: a PNG or JPEG named .bmp is an error, not a guess. Pixels the file
// does not supply (a cut-off file, RLE rows ended early) are black, never
// whatever was in memory. Throws Exception naming the file as `name`.
TBitmap DecodeBitmap(const std::vector<unsigned char>& file, const std::string& name);
