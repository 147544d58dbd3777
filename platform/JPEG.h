#pragma once
#include <QImage>

#include <string>
#include <vector>

// The screen's bits per pixel times its colour planes, sampled once at
// start-up. At 8 or fewer, colour JPEGs are quantized to a 236-colour palette.
extern int ScreenColorDepth;

// A JPEG file held in memory, decoded with libjpeg on demand. Every failure
// of the library raises Exception("JPEG error #N ..."), N its message code.
class TJPEGImage {
public:
    // Reads the whole file; when it holds at least one byte, parses the header
    // at once.
    void LoadFromFile(const std::string& fileName);
    // The same from bytes already in memory.
    void LoadFromBytes(std::vector<unsigned char> bytes);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // The whole picture at full size: RGB32, or Indexed8 with the library's
    // colour map for grayscale files and on displays of 8 bits or fewer.
    QImage Decode() const;
    // Only the top-left width x height of the picture (all of it where it is
    // smaller): exactly the pixels Decode() gives there, decoding no more
    // rows, and where the colours are not quantized no more columns, than
    // that corner needs.
    QImage DecodeTopLeft(int width, int height) const;

private:
    std::vector<unsigned char> data_;
    int width_ = 0;
    int height_ = 0;
};
