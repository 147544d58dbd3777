#include "HostileSupport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cmath>
#include <cstdio>  // jpeglib.h wants FILE and size_t declared first
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include <jpeglib.h>

#include "convert/ConvertHsiToRgb.h"
#include "convert/ConvertRgbToHsi.h"
#include "convert/StoreSample.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"

namespace hostile {

// ---- Files ------------------------------------------------------------------

Scratch::Scratch()
{
    if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
}

std::string Scratch::Path(const std::string& name) const
{
    return dir_.filePath(QString::fromStdString(name)).toStdString();
}

std::string Scratch::Write(const std::string& name, const Bytes& bytes) const
{
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Encoded(const QImage& image, const char* format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format)) throw std::runtime_error(std::string("Qt cannot write ") + format);
    const QByteArray& data = buffer.data();
    return Bytes(data.begin(), data.end());
}

// ---- JPEG files from libjpeg-turbo's own tools ------------------------------

namespace {

const Scratch& ToolFolder()
{
    static const Scratch dir;
    return dir;
}

std::string Tool(const char* found, const char* name)
{
    if (!QFileInfo(QString::fromUtf8(found)).isExecutable())
        throw std::runtime_error(std::string(name) + " was not found (CMake gave \"" + found +
                                 "\"): install libjpeg-turbo-progs and configure again");
    return found;
}

void Run(const std::string& program, const QStringList& args, bool warningsOk)
{
    QProcess process;
    process.start(QString::fromStdString(program), args);
    const std::string command = program + " " + args.join(' ').toStdString();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        throw std::runtime_error("failed to run " + command);
    if (process.exitCode() != 0 && !(warningsOk && process.exitCode() == 2))
        throw std::runtime_error(command + " exited with " + std::to_string(process.exitCode()) + ": " +
                                 process.readAllStandardError().toStdString());
}

QRgb SyntheticPixel(int x, int y)
{
    std::uint32_t n = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    n ^= n >> 13;
    n *= 0x5bd1e995u;
    const int noise = static_cast<int>((n ^ n >> 15) % 64) - 32;
    const auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    switch ((x / 29 + y / 23) % 4) {
    case 0: return qRgb((x * 5) % 256, (y * 3) % 256, ((x + y) * 2) % 256);
    case 1: return (x / 5 + y / 9) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255);
    case 2: return qRgb(clamp(x + y), clamp(x + y), clamp(255 - x));
    default: return qRgb(clamp(128 + 3 * noise), clamp(90 - 2 * noise), clamp(200 + noise));
    }
}

}  // namespace

Bytes Cjpeg(int width, int height, const QStringList& args)
{
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    Bytes ppm(header.begin(), header.end());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = SyntheticPixel(x, y);
            ppm.insert(ppm.end(), {static_cast<unsigned char>(qRed(c)), static_cast<unsigned char>(qGreen(c)),
                                   static_cast<unsigned char>(qBlue(c))});
        }
    static int made = 0;
    const std::string name = "cjpeg-" + std::to_string(++made);
    const std::string in = ToolFolder().Write(name + ".ppm", ppm), out = ToolFolder().Path(name + ".jpg");
    Run(Tool(HSI_CJPEG, "cjpeg"), QStringList(args) << "-outfile" << QString::fromStdString(out) << QString::fromStdString(in),
        false);
    return ReadFile(out);
}

QImage Djpeg(const std::string& path, const QStringList& extra)
{
    const std::string out = path + ".djpeg.pnm";
    Run(Tool(HSI_DJPEG, "djpeg"),
        QStringList{"-dct", "float", "-pnm"} << extra << "-outfile" << QString::fromStdString(out) << QString::fromStdString(path),
        true);
    // Qt's own PNM reader: a plain format, and not what is under test.
    QImage image;
    if (!image.load(QString::fromStdString(out), "PPM") && !image.load(QString::fromStdString(out), "PGM"))
        throw std::runtime_error("cannot read djpeg's " + out);
    return image.convertToFormat(QImage::Format_RGB32);
}

Bytes CompressedComponents(int components)
{
    // The test's own input: the library's default error handler will do.
    const int width = 16, height = 8;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = JCS_UNKNOWN;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_UNKNOWN);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components), 100);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

int JpegErrorCode(const std::string& message)
{
    const std::string start = "JPEG error #";
    if (message.rfind(start, 0) != 0) return -1;
    return std::atoi(message.c_str() + start.size());
}

// ---- JPEG datastreams -------------------------------------------------------

std::vector<Segment> HeaderSegments(const Bytes& jpeg)
{
    if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) throw std::runtime_error("no SOI");
    std::vector<Segment> segments{{0, 0xD8, 2}};
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        const std::size_t size = 2 + (static_cast<std::size_t>(jpeg[pos + 2]) << 8 | jpeg[pos + 3]);
        segments.push_back({pos, jpeg[pos + 1], size});
        if (jpeg[pos + 1] == 0xDA) return segments;
        pos += size;
    }
    throw std::runtime_error("no SOS in the header");
}

Segment FindSegment(const Bytes& jpeg, unsigned char marker)
{
    for (const Segment& s : HeaderSegments(jpeg))
        if (s.marker == marker) return s;
    throw std::runtime_error("no such marker segment");
}

std::size_t ScanDataStart(const Bytes& jpeg)
{
    const Segment sos = FindSegment(jpeg, 0xDA);
    return sos.offset + sos.size;
}

Bytes Head(const Bytes& bytes, std::size_t n) { return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(n)); }

namespace {

std::size_t FrameOffset(const Bytes& jpeg)
{
    for (const Segment& s : HeaderSegments(jpeg))
        if (s.marker >= 0xC0 && s.marker <= 0xCF && s.marker != 0xC4 && s.marker != 0xC8 && s.marker != 0xCC)
            return s.offset;
    throw std::runtime_error("no frame header");
}

}  // namespace

Bytes PatchFrame(Bytes jpeg, unsigned char marker, int precision, int width, int height)
{
    const std::size_t at = FrameOffset(jpeg);
    jpeg[at + 1] = marker;
    jpeg[at + 4] = static_cast<unsigned char>(precision);
    jpeg[at + 5] = static_cast<unsigned char>(height >> 8);
    jpeg[at + 6] = static_cast<unsigned char>(height);
    jpeg[at + 7] = static_cast<unsigned char>(width >> 8);
    jpeg[at + 8] = static_cast<unsigned char>(width);
    return jpeg;
}

Bytes PatchSize(Bytes jpeg, int width, int height)
{
    const std::size_t at = FrameOffset(jpeg);
    const unsigned char marker = jpeg[at + 1];
    const int precision = jpeg[at + 4];
    return PatchFrame(std::move(jpeg), marker, precision, width, height);
}

std::string JpegError(int code) { return "JPEG error #" + std::to_string(code) + " ("; }

// ---- Windows bitmaps --------------------------------------------------------

Bytes Put16(Bytes bytes, std::size_t at, std::uint16_t value)
{
    if (bytes.size() < at + 2) bytes.resize(at + 2);
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
    return bytes;
}

Bytes Put32(Bytes bytes, std::size_t at, std::uint32_t value)
{
    if (bytes.size() < at + 4) bytes.resize(at + 4);
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<unsigned char>(value >> (8 * k));
    return bytes;
}

Bytes WriteBitmap(const Bitmap& bmp)
{
    const auto offset = static_cast<std::uint32_t>(BmpPalette + 4 * bmp.palette.size());
    Bytes out(offset, 0);
    out[0] = 'B';
    out[1] = 'M';
    out = Put32(out, 2, static_cast<std::uint32_t>(offset + bmp.pixels.size()));
    out = Put32(out, BmpDataOffset, offset);
    out = Put32(out, BmpHeaderSize, 40);
    out = Put32(out, BmpWidth, static_cast<std::uint32_t>(bmp.width));
    out = Put32(out, BmpHeight, static_cast<std::uint32_t>(bmp.height));
    out = Put16(out, BmpPlanes, 1);
    out = Put16(out, BmpBitCount, bmp.bitCount);
    out = Put32(out, BmpCompression, bmp.compression);
    out = Put32(out, 34, static_cast<std::uint32_t>(bmp.pixels.size()));
    out = Put32(out, BmpColorsUsed, static_cast<std::uint32_t>(bmp.palette.size()));
    std::size_t at = BmpPalette;
    for (QRgb c : bmp.palette) {
        out[at++] = static_cast<unsigned char>(qBlue(c));
        out[at++] = static_cast<unsigned char>(qGreen(c));
        out[at++] = static_cast<unsigned char>(qRed(c));
        out[at++] = 0;
    }
    out.insert(out.end(), bmp.pixels.begin(), bmp.pixels.end());
    return out;
}

QRgb PatternPixel(int x, int y) { return qRgb((x * 7 + y * 3) % 251, (x * 5 + y * 11 + 40) % 251, (x * 13 + y * 2 + 90) % 251); }

QImage PatternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, PatternPixel(x, y));
    return image;
}

Bytes PatternBitmap(int width, int height)
{
    Bitmap bmp{width, height, 24, 0, {}, {}};
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    bmp.pixels.assign(stride * height, 0);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const QRgb c = PatternPixel(x, height - 1 - row);
            unsigned char* p = &bmp.pixels[stride * row + 3 * x];
            p[0] = static_cast<unsigned char>(qBlue(c));
            p[1] = static_cast<unsigned char>(qGreen(c));
            p[2] = static_cast<unsigned char>(qRed(c));
        }
    return WriteBitmap(bmp);
}

Bitmap PaletteBitmap(int width, int height, int colours)
{
    Bitmap bmp{width, height, 8, 0, {}, {}};
    for (int i = 0; i < colours; ++i) bmp.palette.push_back(qRgb((i * 37 + 11) % 251, (i * 91 + 40) % 241, (i * 53 + 170) % 239));
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
    bmp.pixels.assign(stride * height, 0);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x)
            bmp.pixels[stride * row + x] = static_cast<unsigned char>((x + height - 1 - row) % colours);
    return bmp;
}

// ---- The workspace ----------------------------------------------------------

namespace {

std::string Sample(int x, int y)
{
    using namespace ChannelPlanes;
    std::ostringstream s;
    s << "(" << x << "," << y << ") R " << int(R[x][y]) << " G " << int(G[x][y]) << " B " << int(B[x][y]) << " H "
      << H[x][y] << " S " << S[x][y] << " I " << int(I[x][y]);
    return s.str();
}

}  // namespace

::testing::AssertionResult AllPlanes255()
{
    using namespace ChannelPlanes;
    long bad = 0;
    std::string first;
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y)
            if (R[x][y] != 255 || G[x][y] != 255 || B[x][y] != 255 || H[x][y] != 255.0 || S[x][y] != 255.0 ||
                I[x][y] != 255)
                if (++bad == 1) first = Sample(x, y);
    if (bad == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " workspace samples are not all 255, first " << first;
}

::testing::AssertionResult PlanesHoldPicture(const QImage& picture)
{
    using namespace ChannelPlanes;
    long bad = 0;
    std::string first;
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const bool inside = x < picture.width() && y < picture.height();
            const QRgb c = inside ? picture.pixel(x, y) : qRgb(255, 255, 255);
            if (R[x][y] != qRed(c) || G[x][y] != qGreen(c) || B[x][y] != qBlue(c) || H[x][y] != 255.0 ||
                S[x][y] != 255.0 || I[x][y] != 255)
                if (++bad == 1) {
                    std::ostringstream want;
                    want << " where the picture has " << qRed(c) << "," << qGreen(c) << "," << qBlue(c);
                    first = Sample(x, y) + want.str();
                }
        }
    if (bad == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " workspace samples do not hold the picture, first " << first;
}

::testing::AssertionResult SamePixels(const QImage& got, const QImage& want)
{
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << "size " << got.width() << " x " << got.height() << ", not "
                                             << want.width() << " x " << want.height();
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            if ((got.pixel(x, y) & 0xFFFFFF) != (want.pixel(x, y) & 0xFFFFFF))
                return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << std::hex
                                                     << (got.pixel(x, y) & 0xFFFFFF) << ", not "
                                                     << (want.pixel(x, y) & 0xFFFFFF);
    return ::testing::AssertionSuccess();
}

// ---- After each command ------------------------------------------------------

using namespace ChannelPlanes;


::testing::AssertionResult HsiFollowsRgb()
{
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const std::uint8_t r = R[x][y], g = G[x][y], b = B[x][y];
            const double h = H[x][y], s = S[x][y];
            const bool inRange = s >= 0.0 && s <= 1.0 && h >= 0.0 && h < 360.0 && I[x][y] == (r + g + b) / 3;
            // The whole-plane conversion agrees with the per-colour one.
            const bool same = h == HueOf(r, g, b) && s == SaturationOf(r, g, b) && I[x][y] == IntensityOf(r, g, b);
            if (!inRange || !same)
                return ::testing::AssertionFailure()
                       << "sample (" << x << "," << y << ") RGB " << int(r) << "," << int(g) << "," << int(b) << " gave H "
                       << h << " S " << s << " I " << int(I[x][y]) << "; per colour H " << HueOf(r, g, b) << " S "
                       << SaturationOf(r, g, b) << " I " << int(IntensityOf(r, g, b));
        }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HueViewShowsH(const TBitmap& view)
{
    if (view.Width() != PlaneWidth || view.Height() != PlaneHeight)
        return ::testing::AssertionFailure() << "hue view " << view.Width() << " x " << view.Height();
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const int red = static_cast<int>(std::min(std::trunc(H[x][y]), 255.0));
            if (view.Pixel(x, y) != PackColor(static_cast<std::uint8_t>(red), 0, 0))
                return ::testing::AssertionFailure() << "hue view (" << x << "," << y << ") is 0x" << std::hex
                                                     << view.Pixel(x, y) << " for H " << std::dec << H[x][y];
        }
    return ::testing::AssertionSuccess();
}

HsiPlanes SnapshotHsi() { return {{&H[0][0], &H[0][0] + PlaneSamples}, {&S[0][0], &S[0][0] + PlaneSamples}, {&I[0][0], &I[0][0] + PlaneSamples}}; }

namespace {

bool SameHsi(const HsiPlanes& a)
{
    // Bit for bit: NaN never arises, and a changed sample must show.
    return std::equal(a.h.begin(), a.h.end(), &H[0][0]) && std::equal(a.s.begin(), a.s.end(), &S[0][0]) &&
           std::equal(a.i.begin(), a.i.end(), &I[0][0]);
}

}  // namespace

::testing::AssertionResult RgbFollowsHsi(const HsiPlanes& before)
{
    if (!SameHsi(before)) return ::testing::AssertionFailure() << "轉回RGB changed H, S or I";
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const RgbReal c = HsiToRgbReal(H[x][y], S[x][y], I[x][y]);
            if (R[x][y] != StoreSample(c.r) || G[x][y] != StoreSample(c.g) || B[x][y] != StoreSample(c.b))
                return ::testing::AssertionFailure()
                       << "sample (" << x << "," << y << ") H " << H[x][y] << " S " << S[x][y] << " I " << int(I[x][y])
                       << " gave RGB " << int(R[x][y]) << "," << int(G[x][y]) << "," << int(B[x][y]) << ", per colour "
                       << int(StoreSample(c.r)) << "," << int(StoreSample(c.g)) << "," << int(StoreSample(c.b));
        }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ViewShowsRgb(const TBitmap& view)
{
    if (view.Width() != PlaneWidth || view.Height() != PlaneHeight)
        return ::testing::AssertionFailure() << "reconstruction view " << view.Width() << " x " << view.Height();
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y)
            if (view.Pixel(x, y) != PackColor(R[x][y], G[x][y], B[x][y]))
                return ::testing::AssertionFailure() << "reconstruction view (" << x << "," << y << ") is 0x" << std::hex
                                                     << view.Pixel(x, y) << ", the planes hold 0x"
                                                     << PackColor(R[x][y], G[x][y], B[x][y]);
    return ::testing::AssertionSuccess();
}

std::vector<std::uint8_t> SnapshotRgb()
{
    std::vector<std::uint8_t> v(&R[0][0], &R[0][0] + PlaneSamples);
    v.insert(v.end(), &G[0][0], &G[0][0] + PlaneSamples);
    v.insert(v.end(), &B[0][0], &B[0][0] + PlaneSamples);
    return v;
}

}  // namespace hostile
