#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "BmpTestSupport.h"

// Writes Windows bitmaps byte by byte, for the kinds ImageMagick will not
// write (RLE4, top-down rows, bit fields after a 40-byte header) and for
// files broken on purpose. Knows nothing of the reader under test.
namespace bmptest {

inline constexpr std::uint32_t BiRgb = 0;
inline constexpr std::uint32_t BiRle8 = 1;
inline constexpr std::uint32_t BiRle4 = 2;
inline constexpr std::uint32_t BiBitfields = 3;

// Offsets of header fields, from the start of the file.
inline constexpr std::size_t OffDataOffset = 10;
inline constexpr std::size_t OffHeaderSize = 14;
inline constexpr std::size_t OffWidth = 18;
inline constexpr std::size_t OffHeight = 22;
inline constexpr std::size_t OffPlanes = 26;
inline constexpr std::size_t OffBitCount = 28;
inline constexpr std::size_t OffCompression = 30;
inline constexpr std::size_t OffColorsUsed = 46;
inline constexpr std::size_t FileAndInfoHeader = 54;

struct BmpParts {
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: rows stored top row first
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = BiRgb;
    std::vector<Rgb> palette;                // stored as B, G, R, 0
    std::optional<std::uint32_t> colorsUsed;  // palette.size() unless given
    std::vector<std::uint32_t> masks;        // stored right after the 40-byte header
    Bytes pixels;                            // stored as given
    std::optional<std::uint32_t> dataOffset;  // right after the palette unless given
};
Bytes WriteBmp(const BmpParts& parts);

// Uncompressed rows in file order, each padded to four bytes. `value` is asked
// in picture coordinates (y = 0 the top row): a palette index below 8 bits,
// the raw 16- or 32-bit word, or 0xRRGGBB at 24 bits.
Bytes PackRows(int width, int height, int bitCount, bool topDown,
               const std::function<std::uint32_t(int x, int y)>& value);

// Rows given top row first, stored bottom row first: encoded runs for repeats
// (alternating pairs at 4 bits), absolute runs for the rest, an end of line
// after every row and an end of bitmap last.
using IndexRows = std::vector<std::vector<std::uint8_t>>;
Bytes EncodeRle8(const IndexRows& rows);
Bytes EncodeRle4(const IndexRows& rows);

// Little-endian stores, for patching headers.
void Put16(Bytes& bytes, std::size_t at, std::uint16_t value);
void Put32(Bytes& bytes, std::size_t at, std::uint32_t value);

// Palette pictures made from indices and a palette.
IndexRows MakeIndices(int width, int height, const std::function<std::uint8_t(int x, int y)>& index);
Picture FromIndices(const IndexRows& rows, const std::vector<Rgb>& palette);
// `count` distinct colours (up to 256), none white.
std::vector<Rgb> MakePalette(int count);

// A file and the pixels it holds.
struct Made {
    Bytes file;
    Picture expected;
};
// An uncompressed file of any depth: a palette of distinct colours below 16
// bits, x555 words without masks at 16, Pattern() at 24 and 32.
Made MakeUncompressed(int width, int height, int bitCount, bool topDown = false);

// A palette picture as XPM text: ImageMagick reads it as a palette picture
// and writes palette bitmaps of it without requantizing, which is both exact
// and many times faster.
void WriteXpm(const std::filesystem::path& path, const IndexRows& rows, const std::vector<Rgb>& palette);

// A `bits`-bit channel value widened to 8 bits by repeating its top bits, as
// both Windows and ImageMagick do. `bits` from 1 to 8.
std::uint8_t Widen(std::uint32_t value, int bits);

}  // namespace bmptest
