#include "platform/Graphics.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/BMP.h"
#include "platform/Exception.h"
#include "platform/FileBytes.h"
#include "platform/JPEG.h"

namespace {

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Extension(const std::string& fileName)
{
    const std::string base = std::filesystem::path(fileName).filename().string();
    const auto dot = base.rfind('.');
    return dot == std::string::npos ? std::string() : Lower(base.substr(dot + 1));
}

}  // namespace

void TBitmap::SetSize(int width, int height)
{
    std::vector<TPixel> pixels = NewPixels(width, height);
    std::fill(pixels.begin(), pixels.end(), PixelOf(255, 255, 255));
    Assign(TBitmap(width, height, std::move(pixels)));
}

TColor TBitmap::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return clInvalidColor;
    const TPixel p = ScanLine(y)[x];
    return (p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16;
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    ScanLine(y)[x] = PixelOf(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    Changed();
}

void TBitmap::Assign(TBitmap source)
{
    width_ = source.width_;
    height_ = source.height_;
    pixels_ = std::move(source.pixels_);
    Changed();
}

void TBitmap::Assign(const TJPEGImage& jpeg) { Assign(jpeg.Decode()); }

void TBitmap::LoadFromFile(const std::string& fileName) { Assign(DecodeBitmap(ReadFileBytes(fileName), fileName)); }

void TBitmap::Changed()
{
    if (OnChange) OnChange();
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    const std::string ext = Extension(fileName);
    if (ext == "bmp") {
        bitmap_.LoadFromFile(fileName);
    } else if (ext == "jpg" || ext == "jpeg") {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(fileName);
        bitmap_.Assign(jpeg);
    } else {
        throw Exception("Unknown picture file extension (." + ext + ")");
    }
}

void TCanvas::SetPixel(int x, int y, TColor color) { Surface().SetPixel(x, y, color); }

TBitmap& TCanvas::Surface()
{
    if (bitmap_.Empty()) bitmap_.SetSize(width_, height_);
    return bitmap_;
}
