#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/Graphics.h"

class PictureFile;

// The screen's bits per pixel times its colour planes, sampled once at
// start-up. At 8 or fewer, colour JPEGs are quantized to a 236-colour palette.
extern int ScreenColorDepth;

// A JPEG file, decoded with libjpeg on demand. Every failure of the library
// raises Exception("JPEG error #N ..."), N its message code.
class TJPEGImage {
public:
    // Opens the file and, when it holds at least one byte, parses the header
    // at once. The file stays open, and a decode reads only as much of it as
    // the rows it decodes need.
    void LoadFromFile(const std::string& fileName);
    // The same from bytes already in memory.
    void LoadFromBytes(std::vector<unsigned char> bytes);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // The whole picture at full size. Grayscale files, and colour files on
    // displays of 8 bits or fewer, come through the library's colour map.
    TBitmap Decode() const;
    // Only the top-left width x height of the picture (all of it where it is
    // smaller): exactly the pixels Decode() gives there, decoding no more
    // rows, and where the colours are not quantized no more columns, than
    // that corner needs.
    TBitmap DecodeTopLeft(int width, int height) const;

private:
    void Load(std::shared_ptr<const PictureFile> file);

    std::shared_ptr<const PictureFile> file_;
    int width_ = 0;
    int height_ = 0;
};
