#pragma once
#include <QImage>

#include <functional>
#include <string>

#include "platform/TColor.h"

class TJPEGImage;

// A picture held in memory: 24-bit colour, or 8-bit with a palette.
class TBitmap {
public:
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }

    // A new picture of this size; its pixels are white until drawn.
    void SetSize(int width, int height);
    // The colour of a pixel (a palette picture gives the palette colour);
    // clInvalidColor outside the picture.
    TColor Pixel(int x, int y) const;
    // Ignored outside the picture.
    void SetPixel(int x, int y, TColor color);
    // Row y of the picture for drawing many pixels at once: Width() pixels,
    // 0xFFRRGGBB each. A picture held otherwise (8-bit with a palette) becomes
    // 24-bit colour first, as SetPixel does. Writing here tells no one: call
    // Changed() once after the last row. y must lie within the picture.
    QRgb* ScanLine(int y);

    // Decodes the JPEG picture into this one. Throws on a decoding error,
    // leaving this picture as it was.
    void Assign(const TJPEGImage& jpeg);
    // Reads a Windows bitmap file. Throws, leaving this picture as it was.
    void LoadFromFile(const std::string& fileName);

    const QImage& Image() const { return image_; }
    void SetImage(QImage image);

    // Called after every change, so that a panel can repaint.
    std::function<void()> OnChange;
    // Calls OnChange: done by every change above, and to be done after
    // writing through ScanLine.
    void Changed();

private:
    QImage image_;
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
