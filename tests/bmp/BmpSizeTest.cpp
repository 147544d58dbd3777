// Pictures smaller than, as big as and bigger than the 423 x 384 workspace,
// and widths whose rows end in padding.
#include <gtest/gtest.h>

#include "../core/CaseName.h"
#include "BmpTestSupport.h"
#include "BmpWriter.h"
#include "input/OpenPicture.h"
#include "workspace/ChannelPlanes.h"

using namespace bmptest;

namespace {

struct SizeCase {
    std::string name;
    int width;
    int height;
    int bitCount;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

std::vector<SizeCase> SizeCases()
{
    std::vector<SizeCase> cases = {
        {"Small_100x100", 100, 100, 24},
        {"Small_100x100_Bits8", 100, 100, 8},
        {"Large_1000x1000", 1000, 1000, 24},
        {"Large_1000x1000_Bits4", 1000, 1000, 4},
        {"Exact_423x384", 423, 384, 24},
        {"OneLess_422x383", 422, 383, 24},
        {"OneMore_424x385", 424, 385, 24},
        {"WiderButShorter_1000x50", 1000, 50, 24},
        {"NarrowerButTaller_50x1000", 50, 1000, 24},
        {"OnePixel_1x1", 1, 1, 24},
    };
    // Rows padded to four bytes, and at 1 and 4 bits a last byte only partly
    // used.
    for (int width : {1, 3, 5, 37})
        for (int bits : {1, 4, 8, 16, 24, 32})
            cases.push_back({"Width" + std::to_string(width) + "_Bits" + std::to_string(bits), width, 9, bits});
    return cases;
}

class BmpSize : public BmpLoadTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(BmpSize, FillsTheWorkspaceFromTheTopLeftAndWhiteBeyond)
{
    const SizeCase& c = GetParam();
    const Made made = MakeUncompressed(c.width, c.height, c.bitCount);
    const std::filesystem::path file = Write("size.bmp", made.file);
    ASSERT_TRUE(SamePicture(DecodeWithImageMagick(file), made.expected)) << "ImageMagick reads the file otherwise";

    ResetPlanes();
    MarkHsi();
    Load(file);
    // Where the picture lands is the point here; how 16-bit colours widen to
    // 8 bits is the variant tests' business, so only their stored bits count.
    const Rgb keep = c.bitCount == 16 ? Rgb{0xF8, 0xF8, 0xF8} : Rgb{0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(PlanesShow(made.expected, keep));
    EXPECT_TRUE(HsiStillMarked());
    EXPECT_EQ(source_.Bitmap->Width(), c.width);
    EXPECT_EQ(source_.Bitmap->Height(), c.height);
}

INSTANTIATE_TEST_SUITE_P(BmpSize, BmpSize, ::testing::ValuesIn(SizeCases()), CaseName{});

// ImageMagick writing the big one too, so the sizes do not rest on this
// test's writer alone.
TEST(BmpSizeByImageMagick, Large1000x1000FillsTheWorkspace)
{
    ScratchDir dir;
    const Picture picture = Pattern(1000, 1000);
    WritePpm(dir / "in.ppm", picture);
    Convert({(dir / "in.ppm").string(), "-type", "TrueColor", "BMP3:" + (dir / "large.bmp").string()});
    ASSERT_EQ(ParseBmp(ReadBytes(dir / "large.bmp")).bitCount, 24);
    TPicture source;
    ResetPlanes();
    LoadChosenPicture(BmpEntry, (dir / "large.bmp").string(), source);
    EXPECT_TRUE(PlanesShow(picture));
}

Bytes Bitmap24(const Picture& picture)
{
    BmpParts parts;
    parts.width = picture.width;
    parts.height = picture.height;
    parts.pixels = PackRows(picture.width, picture.height, 24, false, [&](int x, int y) {
        const Rgb c = picture.At(x, y);
        return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
    });
    return WriteBmp(parts);
}

using BmpSizeSequence = BmpLoadTest;

// The program does not reset the planes before every load; a small picture
// after a big one must still leave nothing of the big one.
TEST_F(BmpSizeSequence, SmallPictureAfterALargeOneLeavesWhiteBeyondIt)
{
    const Picture large = MakePicture(1000, 1000, [](int x, int y) { return PatternColour(y, x); });
    const Picture small = Pattern(100, 60);
    Load(Write("large.bmp", Bitmap24(large)));
    ASSERT_TRUE(PlanesShow(large));
    Load(Write("small.bmp", Bitmap24(small)));
    EXPECT_TRUE(PlanesShow(small));
    EXPECT_TRUE(BitmapShows(*source_.Bitmap, small));
}

}  // namespace
