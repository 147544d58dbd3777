#pragma once
#include <string>

#include "platform/Graphics.h"

// The entries of the open-picture dialog, in the program's own filter form.
inline constexpr const char* PictureFilter = "JPEG|*.jpg;*.jpeg;*|BMP|*.bmp;";
inline constexpr int JpegEntry = 1;
inline constexpr int BmpEntry = 2;

// What follows a confirmed dialog: the JPEG entry decodes the file as JPEG
// whatever its name; the BMP entry reads it by its extension. The picture
// goes into `source` and its pixels into R, G and B. Any other entry does
// nothing. Throws on failure, leaving `source` as it was.
void LoadChosenPicture(int filterIndex, const std::string& fileName, TPicture& source);
