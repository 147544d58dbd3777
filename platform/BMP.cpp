#include "platform/BMP.h"

#include "platform/BMPReader.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "platform/Exception.h"

namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Where the file header says the pixels start (bfOffBits), or -1 when the
// file is too short to say.
qint64 PixelDataOffset(QIODevice& device)
{
    const QByteArray header = device.peek(14);
    if (header.size() < 14) return -1;
    const auto byte = [&](int k) { return static_cast<qint64>(static_cast<unsigned char>(header[k])); };
    return byte(10) | byte(11) << 8 | byte(12) << 16 | byte(13) << 24;
}

// A picture of the size and kind the header announces, cleared: Qt's reader
// fills it in place and leaves untouched whatever the file does not cover.
// None where the header is unreadable or the picture exceeds the reader's own
// allocation limit, which then refuses the file itself.
QImage ClearedPicture(QImageReader& reader)
{
    // A top-down file announces a negative height.
    QSize size = reader.size();
    size.setHeight(std::abs(size.height()));
    const QImage::Format format = reader.imageFormat();
    if (!size.isValid() || format == QImage::Format_Invalid) return {};
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes > qint64(QImageReader::allocationLimit()) * 1024 * 1024) return {};
    QImage picture(size, format);
    if (!picture.isNull()) picture.fill(0);
    return picture;
}

std::uint32_t Le(const QByteArray& bytes, int at, int size)
{
    std::uint32_t v = 0;
    for (int k = size - 1; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(bytes[at + k]);
    return v;
}

// A channel of `bits` bits widened to 8 by repeating its top bits, so that
// full scale is 255.
int Widen(int value, int bits)
{
    int out = 0, filled = 0;
    for (; filled < 8; filled += bits) out = out << bits | value;
    return out >> (filled - 8);
}

// Qt's reader moves a 5- or 6-bit channel into the top of the byte and leaves
// the low bits empty: white comes out (248, 248, 248). Widen such channels,
// as ImageMagick and most other readers do.
void WidenShortChannels(QImage& picture, const QByteArray& header)
{
    // Only a Windows info header (40 bytes or more) has its bit count here;
    // an OS/2 core header puts other fields at these offsets.
    const bool direct = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32;
    if (!direct || header.size() < 34 || Le(header, 14, 4) < 40 || Le(header, 28, 2) != 16) return;
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // x555 unless bit fields say otherwise
    if (Le(header, 30, 4) == 3) {
        if (header.size() < 66) return;
        for (int k = 0; k < 3; ++k) masks[k] = Le(header, 54 + 4 * k, 4);
    }
    int bits[3];
    for (int k = 0; k < 3; ++k) {
        bits[k] = std::popcount(masks[k]);
        if (bits[k] < 1 || bits[k] > 7) bits[k] = 8;  // nothing to widen
    }
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = row[x];
            const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
            int w[3];
            for (int k = 0; k < 3; ++k) w[k] = bits[k] == 8 ? v[k] : Widen(v[k] >> (8 - bits[k]), bits[k]);
            row[x] = qRgba(w[0], w[1], w[2], qAlpha(c));
        }
    }
}

}  // namespace

QImage ReadBitmap(QIODevice& device, const std::string& name)
{
    const auto fail = [&](const std::string& why) {
        return Exception("Cannot read the bitmap " + Quoted(name) + ": " + why);
    };
    // Qt's reader takes such a file for a picture of nothing but what was in memory.
    if (const qint64 offset = PixelDataOffset(device); offset >= device.size())
        throw fail("its pixel data would start past the end of the file");
    const QByteArray header = device.peek(66);

    QImageReader reader(&device, "bmp");
    reader.setAutoDetectImageFormat(false);
    QImage picture = ClearedPicture(reader);
    if (!reader.read(&picture) || picture.isNull()) throw fail(reader.errorString().toStdString());
    WidenShortChannels(picture, header);
    return picture;
}

TBitmap DecodeBitmap(const std::vector<unsigned char>& file, const std::string& name)
{
    QBuffer buffer;
    buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                           static_cast<qsizetype>(file.size())));
    buffer.open(QIODevice::ReadOnly);
    return BitmapOf(ReadBitmap(buffer, name));
}

TBitmap BitmapOf(const QImage& image)
{
    // Palettes become their colours; an alpha channel is dropped, not applied.
    const QImage picture = image.convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) throw Exception("Not enough memory for a picture of " + IntToStr(image.width()) + " x " +
                                          IntToStr(image.height()) + " pixels");
    const int width = picture.width(), height = picture.height();
    std::vector<TPixel> pixels = NewPixels(width, height);
    for (int y = 0; y < height; ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(picture.constScanLine(y)), width,
                    pixels.begin() + std::ptrdiff_t(y) * width);
    return TBitmap(width, height, std::move(pixels));
}
