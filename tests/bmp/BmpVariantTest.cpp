// Every kind of Windows bitmap the BMP entry should read, each compared sample
// for sample with ImageMagick's decoding of the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "../core/CaseName.h"
#include "BmpTestSupport.h"
#include "BmpWriter.h"
#include "workspace/ChannelPlanes.h"

using namespace bmptest;

namespace {

// An odd width, so every row of every depth ends in padding.
constexpr int VariantWidth = 61;
constexpr int VariantHeight = 47;

std::uint32_t Packed24(Rgb c) { return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b; }

// ---------------------------------------------------------------------------
// Files ImageMagick writes from a synthetic picture.

// What ImageMagick is given: a palette picture is handed over as one, so it
// picks the depth from the number of colours and keeps them exactly.
enum class Source { Truecolour, TruecolourWithAlpha, Palette, BlackAndWhite };

struct ImageMagickCase {
    const char* name;
    Source source;
    int colours;                       // of a palette source
    std::vector<std::string> options;  // between the source picture and the bitmap
    const char* coder;                 // BMP3: the 40-byte header; BMP: the 124-byte one
    // What the file must hold, read from its header.
    std::uint16_t bitCount;
    std::uint32_t compression;
    std::uint32_t headerSize;
    std::uint32_t masks[4];  // checked for bit fields
    // What identify -verbose must say of it.
    const char* imCompression;
    const char* imType;
};

void PrintTo(const ImageMagickCase& c, std::ostream* os) { *os << c.name; }

const ImageMagickCase imageMagickCases[] = {
    {"Bits1_BlackAndWhite", Source::BlackAndWhite, 2, {"-compress", "None"}, "BMP3", 1, BiRgb, 40, {}, "None",
     "Bilevel"},
    {"Bits1_TwoColours", Source::Palette, 2, {"-compress", "None"}, "BMP3", 1, BiRgb, 40, {}, "None", "Palette"},
    {"Bits4_Colours16", Source::Palette, 16, {"-compress", "None"}, "BMP3", 4, BiRgb, 40, {}, "None", "Palette"},
    {"Bits4_Colours9", Source::Palette, 9, {"-compress", "None"}, "BMP3", 4, BiRgb, 40, {}, "None", "Palette"},
    {"Bits8_Colours200", Source::Palette, 200, {"-compress", "None"}, "BMP3", 8, BiRgb, 40, {}, "None", "Palette"},
    {"Bits8_Colours200_Header124", Source::Palette, 200, {"-compress", "None"}, "BMP", 8, BiRgb, 124, {}, "None",
     "Palette"},
    {"Rle8_Colours200", Source::Palette, 200, {"-compress", "RLE"}, "BMP3", 8, BiRle8, 40, {}, "RLE", "Palette"},
    // Few colours: long encoded runs as well as absolute ones.
    {"Rle8_Colours6", Source::Palette, 6, {"-compress", "RLE"}, "BMP3", 8, BiRle8, 40, {}, "RLE", "Palette"},
    {"Bits16_Rgb565", Source::Truecolour, 0, {"-define", "bmp:subtype=RGB565"}, "BMP", 16, BiBitfields, 124,
     {0xF800, 0x07E0, 0x001F, 0}, "Undefined", "TrueColor"},
    {"Bits16_Rgb555", Source::Truecolour, 0, {"-define", "bmp:subtype=RGB555"}, "BMP", 16, BiBitfields, 124,
     {0x7C00, 0x03E0, 0x001F, 0}, "Undefined", "TrueColor"},
    {"Bits24", Source::Truecolour, 0, {"-type", "TrueColor"}, "BMP3", 24, BiRgb, 40, {}, "None", "TrueColor"},
    {"Bits24_Header124", Source::Truecolour, 0, {"-type", "TrueColor"}, "BMP", 24, BiRgb, 124, {}, "None",
     "TrueColor"},
    // Alpha is dropped on the way into the planes; the colours stay as stored.
    {"Bits32_Bitfields_Alpha", Source::TruecolourWithAlpha, 0, {"-define", "bmp:format=bmp4"}, "BMP", 32,
     BiBitfields, 124, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, "Undefined", "TrueColorAlpha"},
};

// Indices that change from pixel to pixel in part of each row and stay put
// in the rest, so both kinds of run turn up.
std::uint8_t MixedIndex(int x, int y, int colours)
{
    if (x < 12) return static_cast<std::uint8_t>((y / 3) % colours);
    if (x < 25) return static_cast<std::uint8_t>((x * 5 + y) % colours);
    if (x < 40) return static_cast<std::uint8_t>((x % 2 ? y : y + 3) % colours);
    return static_cast<std::uint8_t>((x / 7 + y * 2) % colours);
}

class ImageMagickVariant : public BmpLoadTest, public ::testing::WithParamInterface<ImageMagickCase> {};

TEST_P(ImageMagickVariant, PlanesMatchImageMagick)
{
    const ImageMagickCase& c = GetParam();
    Picture source = Pattern(VariantWidth, VariantHeight);
    std::filesystem::path input;
    switch (c.source) {
    case Source::Truecolour:
        input = dir_ / "in.ppm";
        WritePpm(input, source);
        break;
    case Source::TruecolourWithAlpha:
        input = dir_ / "in.pam";
        WritePam(input, source, [](int x, int y) { return static_cast<std::uint8_t>((x * 9 + y * 17) % 256); });
        break;
    case Source::Palette:
    case Source::BlackAndWhite: {
        const std::vector<Rgb> palette =
            c.source == Source::BlackAndWhite ? std::vector<Rgb>{{0, 0, 0}, {255, 255, 255}} : MakePalette(c.colours);
        const IndexRows rows = MakeIndices(VariantWidth, VariantHeight,
                                           [&](int x, int y) { return MixedIndex(x, y, c.colours); });
        input = dir_ / "in.xpm";
        WriteXpm(input, rows, palette);
        source = FromIndices(rows, palette);
        break;
    }
    }
    const std::filesystem::path file = dir_ / "variant.bmp";
    std::vector<std::string> args{input.string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(std::string(c.coder) + ":" + file.string());
    Convert(args);

    // That ImageMagick wrote the kind of file this case is about.
    const BmpFields fields = ParseBmp(ReadBytes(file));
    EXPECT_EQ(fields.bitCount, c.bitCount);
    EXPECT_EQ(fields.compression, c.compression);
    EXPECT_EQ(fields.headerSize, c.headerSize);
    EXPECT_EQ(fields.width, VariantWidth);
    EXPECT_EQ(fields.height, VariantHeight) << "rows stored bottom row first";
    if (c.compression == BiBitfields) {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(fields.masks[i], c.masks[i]) << "mask " << i;
    }
    const std::string verbose = IdentifyVerbose(file);
    EXPECT_EQ(IdentifyField(verbose, "Geometry"), "61x47+0+0");
    EXPECT_EQ(IdentifyField(verbose, "Compression"), c.imCompression);
    EXPECT_EQ(IdentifyField(verbose, "Type"), c.imType);

    const Picture expected = DecodeWithImageMagick(file);
    // Only 16 bits a pixel lose anything of the source.
    if (c.bitCount != 16) {
        EXPECT_TRUE(SamePicture(expected, source)) << "ImageMagick changed the picture on the way";
    }

    ResetPlanes();
    MarkHsi();
    Load(file);
    EXPECT_TRUE(PlanesShow(expected));
    EXPECT_TRUE(HsiStillMarked());
    EXPECT_TRUE(BitmapShows(*source_.Bitmap, expected));

    if (!fields.palette.empty()) {
        std::set<std::uint32_t> palette;
        for (const Rgb& p : fields.palette) palette.insert(Packed24(p));
        const Picture got = FromBitmap(*source_.Bitmap);
        EXPECT_TRUE(std::all_of(got.pixels.begin(), got.pixels.end(),
                                [&](const Rgb& p) { return palette.count(Packed24(p)) == 1; }))
            << "a pixel of a palette picture is not one of its palette's colours";
    }
}

INSTANTIATE_TEST_SUITE_P(BmpVariant, ImageMagickVariant, ::testing::ValuesIn(imageMagickCases), CaseName{});

// ---------------------------------------------------------------------------
// Files written here byte by byte, for what ImageMagick will not write: RLE4,
// top-down rows, bit fields after the 40-byte header, 16-bit words without
// masks, runs that skip pixels. Each is checked against the pixels it was
// made from and against ImageMagick.

struct HandMadeCase {
    const char* name;
    Made (*make)();
};

void PrintTo(const HandMadeCase& c, std::ostream* os) { *os << c.name; }

Made Indexed(int bitCount, bool topDown, std::vector<Rgb> palette, std::optional<std::uint32_t> colorsUsed = {})
{
    const int colours = static_cast<int>(palette.size());
    const IndexRows rows = MakeIndices(VariantWidth, VariantHeight,
                                       [&](int x, int y) { return MixedIndex(x, y, colours); });
    BmpParts parts;
    parts.width = VariantWidth;
    parts.height = topDown ? -VariantHeight : VariantHeight;
    parts.bitCount = static_cast<std::uint16_t>(bitCount);
    parts.palette = palette;
    parts.colorsUsed = colorsUsed;
    parts.pixels = PackRows(VariantWidth, VariantHeight, bitCount, topDown,
                            [&](int x, int y) { return std::uint32_t{rows[y][x]}; });
    return {WriteBmp(parts), FromIndices(rows, palette)};
}

Made Rle(int bitCount)
{
    const std::vector<Rgb> palette = MakePalette(bitCount == 4 ? 16 : 256);
    const int colours = bitCount == 4 ? 16 : 200;
    const IndexRows rows = MakeIndices(VariantWidth, VariantHeight,
                                       [&](int x, int y) { return MixedIndex(x, y, colours); });
    BmpParts parts;
    parts.width = VariantWidth;
    parts.height = VariantHeight;
    parts.bitCount = static_cast<std::uint16_t>(bitCount);
    parts.compression = bitCount == 4 ? BiRle4 : BiRle8;
    parts.palette = palette;
    parts.pixels = bitCount == 4 ? EncodeRle4(rows) : EncodeRle8(rows);
    return {WriteBmp(parts), FromIndices(rows, palette)};
}

// A valid run-length file that leaves pixels out: a row ended early and a
// jump. The pixels left out take colour 0 of the palette, as in ImageMagick.
// 40 pixels wide, so the picture's memory is big enough to show stale
// contents if pixels are left unwritten.
constexpr int SkipWidth = 40;

Made RleWithSkips(int bitCount)
{
    const std::vector<Rgb> palette = MakePalette(bitCount == 4 ? 16 : 256);
    auto value = [&](int v) { return static_cast<std::uint8_t>(bitCount == 4 ? v << 4 | v : v); };
    BmpParts parts;
    parts.width = SkipWidth;
    parts.height = 4;
    parts.bitCount = static_cast<std::uint16_t>(bitCount);
    parts.compression = bitCount == 4 ? BiRle4 : BiRle8;
    parts.palette = palette;
    parts.pixels = {SkipWidth, value(1), 0, 0,       // row 3, the bottom one
                    4, value(2), 0, 0,               // row 2, ended after 4 pixels
                    2, value(3), 0, 2, 3, 1,         // row 1: 2 pixels, then 3 right and 1 up
                    SkipWidth - 5, value(4), 0, 1};  // row 0 from x = 5
    IndexRows rows(4, std::vector<std::uint8_t>(SkipWidth, 0));
    rows[3].assign(SkipWidth, 1);
    std::fill_n(rows[2].begin(), 4, 2);
    std::fill_n(rows[1].begin(), 2, 3);
    std::fill(rows[0].begin() + 5, rows[0].end(), 4);
    return {WriteBmp(parts), FromIndices(rows, palette)};
}

Made Direct24(bool topDown)
{
    const Picture picture = Pattern(VariantWidth, VariantHeight);
    BmpParts parts;
    parts.width = VariantWidth;
    parts.height = topDown ? -VariantHeight : VariantHeight;
    parts.bitCount = 24;
    parts.pixels = PackRows(VariantWidth, VariantHeight, 24, topDown,
                            [&](int x, int y) { return Packed24(picture.At(x, y)); });
    return {WriteBmp(parts), picture};
}

// 16-bit words, 5 bits a channel unless `green6`; with no masks the layout is
// x RRRRR GGGGG BBBBB and the top bit, set here in every other pixel, means
// nothing.
Made Direct16(const Picture& picture, bool topDown, bool withMasks, bool green6)
{
    const int gBits = green6 ? 6 : 5;
    auto word = [&](int x, int y) {
        const Rgb c = picture.At(x, y);
        const std::uint32_t r = c.r >> 3, g = c.g >> (8 - gBits), b = c.b >> 3;
        const std::uint32_t unused = (!green6 && x % 2) ? 0x8000 : 0;
        return unused | r << (5 + gBits) | g << 5 | b;
    };
    BmpParts parts;
    parts.width = picture.width;
    parts.height = topDown ? -picture.height : picture.height;
    parts.bitCount = 16;
    if (withMasks) {
        parts.compression = BiBitfields;
        parts.masks = green6 ? std::vector<std::uint32_t>{0xF800, 0x07E0, 0x001F}
                             : std::vector<std::uint32_t>{0x7C00, 0x03E0, 0x001F};
    }
    parts.pixels = PackRows(picture.width, picture.height, 16, topDown, word);
    const Picture expected = MakePicture(picture.width, picture.height, [&](int x, int y) {
        const Rgb c = picture.At(x, y);
        return Rgb{Widen(c.r >> 3, 5), Widen(static_cast<std::uint32_t>(c.g >> (8 - gBits)), gBits),
                   Widen(c.b >> 3, 5)};
    });
    return {WriteBmp(parts), expected};
}

// 32-bit words: B, G, R and an unused byte without masks (filled with junk
// here), or the given masks.
Made Direct32(bool topDown, std::vector<std::uint32_t> masks)
{
    const Picture picture = Pattern(VariantWidth, VariantHeight);
    const bool redLow = !masks.empty() && masks[0] == 0xFF;
    BmpParts parts;
    parts.width = VariantWidth;
    parts.height = topDown ? -VariantHeight : VariantHeight;
    parts.bitCount = 32;
    if (!masks.empty()) parts.compression = BiBitfields;
    parts.masks = masks;
    parts.pixels = PackRows(VariantWidth, VariantHeight, 32, topDown, [&](int x, int y) {
        const Rgb c = picture.At(x, y);
        const std::uint32_t rgb = redLow ? (std::uint32_t{c.b} << 16 | std::uint32_t{c.g} << 8 | c.r) : Packed24(c);
        return (masks.empty() ? static_cast<std::uint32_t>((x * 31 + y) % 256) << 24 : 0) | rgb;
    });
    return {WriteBmp(parts), picture};
}

// Full and empty channels: the top value of a 5- or 6-bit channel is 255.
Picture FullScale()
{
    return FromIndices({{0, 1, 2, 3}, {4, 5, 6, 7}}, {{255, 255, 255},
                                                      {0, 0, 0},
                                                      {255, 0, 0},
                                                      {0, 255, 0},
                                                      {0, 0, 255},
                                                      {255, 255, 0},
                                                      {0, 255, 255},
                                                      {255, 0, 255}});
}

// Two-colour pictures whose palette is not black and white, darker colour
// first or second: a reader that swaps the bits to put white first must swap
// the palette with them.
const std::vector<Rgb> darkThenLight = {{120, 10, 20}, {150, 200, 240}};
const std::vector<Rgb> lightThenDark = {{150, 200, 240}, {120, 10, 20}};

const HandMadeCase handMadeCases[] = {
    {"Bits1_DarkFirst", [] { return Indexed(1, false, darkThenLight); }},
    {"Bits1_LightFirst", [] { return Indexed(1, false, lightThenDark); }},
    {"Bits1_TopDown", [] { return Indexed(1, true, darkThenLight); }},
    {"Bits4_Palette16", [] { return Indexed(4, false, MakePalette(16)); }},
    {"Bits4_TopDown", [] { return Indexed(4, true, MakePalette(16)); }},
    {"Bits8_Palette256", [] { return Indexed(8, false, MakePalette(256)); }},
    {"Bits8_TopDown", [] { return Indexed(8, true, MakePalette(256)); }},
    // Only as many colours as used: the pixel data follows at once.
    {"Bits8_Palette20", [] { return Indexed(8, false, MakePalette(20), 20u); }},
    {"Rle4", [] { return Rle(4); }},
    {"Rle8", [] { return Rle(8); }},
    {"Rle4_EarlyEndOfLineAndJump", [] { return RleWithSkips(4); }},
    {"Rle8_EarlyEndOfLineAndJump", [] { return RleWithSkips(8); }},
    {"Bits16_NoMasks", [] { return Direct16(Pattern(VariantWidth, VariantHeight), false, false, false); }},
    {"Bits16_NoMasks_TopDown", [] { return Direct16(Pattern(VariantWidth, VariantHeight), true, false, false); }},
    {"Bits16_NoMasks_FullScale", [] { return Direct16(FullScale(), false, false, false); }},
    {"Bits16_Bitfields555", [] { return Direct16(Pattern(VariantWidth, VariantHeight), false, true, false); }},
    {"Bits16_Bitfields565", [] { return Direct16(Pattern(VariantWidth, VariantHeight), false, true, true); }},
    {"Bits16_Bitfields565_TopDown", [] { return Direct16(Pattern(VariantWidth, VariantHeight), true, true, true); }},
    {"Bits16_Bitfields565_FullScale", [] { return Direct16(FullScale(), false, true, true); }},
    {"Bits24_BottomUp", [] { return Direct24(false); }},
    {"Bits24_TopDown", [] { return Direct24(true); }},
    {"Bits32_NoMasks", [] { return Direct32(false, {}); }},
    {"Bits32_NoMasks_TopDown", [] { return Direct32(true, {}); }},
    {"Bits32_Bitfields_RedInLowByte", [] { return Direct32(false, {0x000000FF, 0x0000FF00, 0x00FF0000}); }},
};

class HandMadeVariant : public BmpLoadTest, public ::testing::WithParamInterface<HandMadeCase> {};

TEST_P(HandMadeVariant, PlanesMatchKnownPixelsAndImageMagick)
{
    const Made made = GetParam().make();
    const std::filesystem::path file = Write("variant.bmp", made.file);

    // ImageMagick reading the file as made shows the writer wrote what it meant.
    const Picture imageMagick = DecodeWithImageMagick(file);
    EXPECT_TRUE(SamePicture(imageMagick, made.expected)) << "ImageMagick reads the file otherwise";

    ResetPlanes();
    MarkHsi();
    HeapPoison poison;
    poison.Prepare(made.expected.width, made.expected.height, 0xA5);
    Load(file);
    EXPECT_TRUE(PlanesShow(made.expected));
    EXPECT_TRUE(PlanesShow(imageMagick));
    EXPECT_TRUE(HsiStillMarked());
    EXPECT_TRUE(BitmapShows(*source_.Bitmap, made.expected));
}

INSTANTIATE_TEST_SUITE_P(BmpVariant, HandMadeVariant, ::testing::ValuesIn(handMadeCases), CaseName{});

}  // namespace
