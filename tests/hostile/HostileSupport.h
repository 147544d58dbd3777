#pragma once
// Shared by the hostile-input tests: broken files made on purpose, and the
// checks of what the program promises the workspace holds after each command.
#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Graphics.h"

namespace hostile {

using Bytes = std::vector<unsigned char>;

// ---- Files ------------------------------------------------------------------

// A folder of its own for each fixture, removed afterwards.
class Scratch {
public:
    Scratch();
    std::string Path(const std::string& name) const;
    // Writes `bytes` as `name`; its path.
    std::string Write(const std::string& name, const Bytes& bytes) const;

private:
    QTemporaryDir dir_;
};

Bytes ReadFile(const std::string& path);

// A picture through Qt's writer in another format ("PNG"), for the files
// that are pictures but not of the kind their name or entry says.
Bytes Encoded(const QImage& image, const char* format);

// ---- JPEG files from libjpeg-turbo's own tools ------------------------------

// A synthetic picture of this size (gradients, sharp-edged bars and noise,
// which exercise the transform, the upsampling and the quantizer) through
// cjpeg with `args`; the bytes of the JPEG file.
Bytes Cjpeg(int width, int height, const QStringList& args);
// djpeg -dct float [extra] of the file: the reference decode. Warnings only
// (djpeg's exit status 2, e.g. for a file cut short) are accepted.
QImage Djpeg(const std::string& path, const QStringList& extra = {});
// A small picture of `components` components through libjpeg's compressor,
// for what cjpeg cannot write.
Bytes CompressedComponents(int components);
// The N of "JPEG error #N ...", or -1.
int JpegErrorCode(const std::string& message);

// ---- JPEG datastreams -------------------------------------------------------

// One marker segment: where its 0xFF is and how many bytes it takes, marker
// and length included (2 for SOI).
struct Segment {
    std::size_t offset = 0;
    unsigned char marker = 0;
    std::size_t size = 0;
};
// SOI and every segment after it up to and including the first SOS; throws
// if the stream does not get that far.
std::vector<Segment> HeaderSegments(const Bytes& jpeg);
// The first segment with this marker; throws if there is none.
Segment FindSegment(const Bytes& jpeg, unsigned char marker);
// Where the first scan's entropy-coded data starts.
std::size_t ScanDataStart(const Bytes& jpeg);

// The first n bytes.
Bytes Head(const Bytes& bytes, std::size_t n);
// The frame header rewritten: its marker (SOF0..SOF15), sample precision and
// size.
Bytes PatchFrame(Bytes jpeg, unsigned char marker, int precision, int width, int height);
// The same size in the frame header, everything else left as it is.
Bytes PatchSize(Bytes jpeg, int width, int height);

// How a message of the JPEG decoder starts for the library's code `code`
// (a JERR_ name from jerror.h): "JPEG error #N (".
std::string JpegError(int code);

// ---- Windows bitmaps --------------------------------------------------------

// A bitmap file written byte by byte, so that any field can be wrong.
struct Bitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: top row first
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    std::vector<QRgb> palette;
    Bytes pixels;  // as they lie in the file
};
Bytes WriteBitmap(const Bitmap& bmp);
// Field offsets from the start of the file.
inline constexpr std::size_t BmpDataOffset = 10;
inline constexpr std::size_t BmpHeaderSize = 14;
inline constexpr std::size_t BmpWidth = 18;
inline constexpr std::size_t BmpHeight = 22;
inline constexpr std::size_t BmpPlanes = 26;
inline constexpr std::size_t BmpBitCount = 28;
inline constexpr std::size_t BmpCompression = 30;
inline constexpr std::size_t BmpColorsUsed = 46;
inline constexpr std::size_t BmpPalette = 54;
Bytes Put16(Bytes bytes, std::size_t at, std::uint16_t value);
Bytes Put32(Bytes bytes, std::size_t at, std::uint32_t value);

// A 24-bit picture of distinct colours, none white, and the file holding it
// bottom row first.
QRgb PatternPixel(int x, int y);
QImage PatternImage(int width, int height);
Bytes PatternBitmap(int width, int height);
// An 8-bit palette picture: index (x + y) % colours, palette of distinct
// colours, none white.
Bitmap PaletteBitmap(int width, int height, int colours);

// ---- The workspace ----------------------------------------------------------

// All six planes 255, as 開啟檔案 leaves them before a picture arrives.
::testing::AssertionResult AllPlanes255();
// R, G and B hold the picture's top-left pixels and 255 where it ends; H, S
// and I are 255, untouched since ResetPlanes.
::testing::AssertionResult PlanesHoldPicture(const QImage& picture);
// Exactly the pixels of `want` (colours only, whatever the formats).
::testing::AssertionResult SamePixels(const QImage& got, const QImage& want);

// ---- After each command ------------------------------------------------------

// After 轉換成HSI: S in [0, 1], H in [0, 360), I = (R + G + B) / 3, and every
// sample as the per-colour conversion gives it.
::testing::AssertionResult HsiFollowsRgb();
// The hue view: pixel (x, y) red min(trunc(H), 255), green and blue 0.
::testing::AssertionResult HueViewShowsH(const TBitmap& view);

struct HsiPlanes {
    std::vector<double> h, s;
    std::vector<std::uint8_t> i;
};
HsiPlanes SnapshotHsi();
// After 轉回RGB from `before`: H, S and I as they were, and R, G and B as the
// per-colour conversion stores them.
::testing::AssertionResult RgbFollowsHsi(const HsiPlanes& before);
// The reconstruction view: pixel (x, y) is PackColor(R, G, B).
::testing::AssertionResult ViewShowsRgb(const TBitmap& view);
// R, G and B, one after the other.
std::vector<std::uint8_t> SnapshotRgb();

}  // namespace hostile
