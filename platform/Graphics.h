#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/Exception.h"
#include "platform/SysUtils.h"
#include "platform/TColor.h"

class TJPEGImage;

// One pixel of a picture in memory: 0xFFRRGGBB, the layout the window paints
// without conversion.
using TPixel = std::uint32_t;

constexpr TPixel PixelOf(int r, int g, int b)
{
    return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

// Room for a picture of this size, every pixel 0. Throws Exception when the
// memory cannot be had.
inline std::vector<TPixel> NewPixels(int width, int height)
{
    try {
        return std::vector<TPixel>(std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)));
    } catch (const std::bad_alloc&) {
        throw Exception("Not enough memory for a picture of " + IntToStr(width) + " x " + IntToStr(height) +
                        " pixels");
    }
}

// A picture held in memory, 24-bit colour (palette pictures are held by their
// colours).
class TBitmap {
public:
    TBitmap() = default;
    // A picture of this size holding these pixels, row by row, Width() each.
    // A picture with no pixels is 0 x 0, whatever it was given.
    TBitmap(int width, int height, std::vector<TPixel> pixels)
        : width_(width), height_(height), pixels_(std::move(pixels))
    {
        if (width_ <= 0 || height_ <= 0 || pixels_.size() != std::size_t(width_) * std::size_t(height_))
            *this = TBitmap();
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return pixels_.empty(); }

    // A new picture of this size; its pixels are white until drawn.
    void SetSize(int width, int height);
    // The colour of a pixel; clInvalidColor outside the picture.
    TColor Pixel(int x, int y) const;
    // Ignored outside the picture.
    void SetPixel(int x, int y, TColor color);
    // Row y of the picture for drawing many pixels at once: Width() pixels.
    // Writing here tells no one: call Changed() once after the last row.
    // y must lie within the picture.
    TPixel* ScanLine(int y) { return pixels_.data() + std::size_t(y) * std::size_t(width_); }
    const TPixel* ScanLine(int y) const { return pixels_.data() + std::size_t(y) * std::size_t(width_); }

    // Takes the pixels of `source`, keeping this picture's OnChange.
    void Assign(TBitmap source);
    // Decodes the JPEG picture into this one. Throws on a decoding error,
    // leaving this picture as it was.
    void Assign(const TJPEGImage& jpeg);
    // Reads a Windows bitmap file. Throws, leaving this picture as it was.
    void LoadFromFile(const std::string& fileName);

    // The same size and pixels (whoever listens is not compared).
    friend bool operator==(const TBitmap& a, const TBitmap& b)
    {
        return a.width_ == b.width_ && a.height_ == b.height_ && a.pixels_ == b.pixels_;
    }

    // Called after every change, so that a panel can repaint.
    std::function<void()> OnChange;
    // Calls OnChange: done by every change above, and to be done after
    // writing through ScanLine.
    void Changed();

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<TPixel> pixels_;
};

// What a panel holds. The kind of a file is told by its extension: "bmp" for
// Windows bitmaps, "jpg" and "jpeg" for JPEG pictures.
class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TBitmap* const Bitmap = &bitmap_;
    // Throws for an unknown extension or a file that cannot be read; the
    // picture is unchanged then.
    void LoadFromFile(const std::string& fileName);

private:
    TBitmap bitmap_;
};

// Drawing surface of a panel's picture. Drawing on an empty picture first gives
// it the panel's own size.
class TCanvas {
public:
    TCanvas(TBitmap& bitmap, int width, int height) : bitmap_(bitmap), width_(width), height_(height) {}
    TColor Pixel(int x, int y) const { return bitmap_.Pixel(x, y); }
    void SetPixel(int x, int y, TColor color);
    // The picture to draw on through ScanLine, given the panel's size first if
    // it has none yet, as drawing a pixel would.
    TBitmap& Surface();

private:
    TBitmap& bitmap_;
    int width_;
    int height_;
};
