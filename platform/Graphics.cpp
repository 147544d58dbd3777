#include "platform/Graphics.h"

#include <QFileInfo>

#include <cctype>

#include "platform/BMP.h"
#include "platform/Exception.h"
#include "platform/JPEG.h"

namespace {

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Extension(const std::string& fileName)
{
    const std::string base = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
    const auto dot = base.rfind('.');
    return dot == std::string::npos ? std::string() : Lower(base.substr(dot + 1));
}

}  // namespace

void TBitmap::SetSize(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    SetImage(std::move(image));
}

TColor TBitmap::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return clInvalidColor;
    const QRgb c = image_.pixel(x, y);
    return TColor(qRed(c)) | TColor(qGreen(c)) << 8 | TColor(qBlue(c)) << 16;
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    ScanLine(y)[x] = qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    Changed();
}

QRgb* TBitmap::ScanLine(int y)
{
    if (image_.format() != QImage::Format_RGB32) image_ = image_.convertToFormat(QImage::Format_RGB32);
    return reinterpret_cast<QRgb*>(image_.scanLine(y));
}

void TBitmap::Assign(const TJPEGImage& jpeg) { SetImage(jpeg.Decode()); }

void TBitmap::LoadFromFile(const std::string& fileName) { SetImage(ReadBitmapFile(fileName)); }

void TBitmap::SetImage(QImage image)
{
    image_ = std::move(image);
    Changed();
}

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
