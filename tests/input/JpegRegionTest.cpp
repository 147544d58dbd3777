// DecodeTopLeft, which decodes only what reaches the workspace, gives exactly
// the pixels of a full decode there: for every kind of file, for pictures
// smaller and larger than the corner, and at sizes off the block grid.
#include <gtest/gtest.h>

#include <algorithm>

#include "JpegTestSupport.h"
#include "core/CaseName.h"
#include "platform/JPEG.h"
#include "tests/support/QtPictures.h"

using namespace jpegtest;

namespace {

struct RegionCase {
    const char* name;
    QStringList cjpeg;
    int screenDepth;
};

void PrintTo(const RegionCase& c, std::ostream* os) { *os << c.name; }

const RegionCase kKinds[] = {
    {"baseline 444", {"-sample", "1x1"}, 24},
    {"baseline 422", {"-sample", "2x1"}, 24},
    {"baseline 420", {"-sample", "2x2"}, 24},
    {"baseline 440", {"-sample", "1x2"}, 24},
    {"progressive 420", {"-progressive"}, 24},  // block smoothing looks at neighbouring blocks
    {"progressive 444", {"-progressive", "-sample", "1x1"}, 24},
    {"restart every MCU", {"-restart", "1B"}, 24},
    {"arithmetic", {"-arithmetic"}, 24},
    {"coded as RGB", {"-rgb"}, 24},
    {"grayscale", {"-grayscale"}, 24},                 // one-pass dithering along whole rows
    {"8 bit display", {"-sample", "2x2"}, 8},          // two-pass: the palette needs every pixel
    {"8 bit display progressive", {"-progressive"}, 8},
};

struct Size {
    int width, height;
};

const Size kSizes[] = {
    {101, 67},    // smaller than the corner
    {423, 384},   // exactly the corner
    {437, 391},   // a little larger, off the block grid
    {1000, 500},  // much wider
    {300, 900},   // narrower and much taller
    {2000, 40},   // very wide and short
};

class Region : public ::testing::TestWithParam<std::tuple<RegionCase, Size>> {
protected:
    ~Region() override { ScreenColorDepth = saved_; }
    const int saved_ = ScreenColorDepth;
};

TEST_P(Region, TopLeftIsExactlyTheFullDecodesCorner)
{
    const auto& [kind, size] = GetParam();
    ScreenColorDepth = kind.screenDepth;
    const std::string name =
        std::string(kind.name) + "_" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".jpg";
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Cjpeg(SyntheticPpm(size.width, size.height), kind.cjpeg, name));

    const TBitmap full = jpeg.Decode();
    const TBitmap corner = jpeg.DecodeTopLeft(423, 384);
    ASSERT_EQ(corner.Width(), std::min(size.width, 423));
    ASSERT_EQ(corner.Height(), std::min(size.height, 384));
    int differing = 0;
    for (int y = 0; y < corner.Height(); ++y)
        for (int x = 0; x < corner.Width(); ++x)
            if (corner.Pixel(x, y) != full.Pixel(x, y) && differing++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") differs";
    EXPECT_EQ(differing, 0);
}

std::string RegionName(const ::testing::TestParamInfo<std::tuple<RegionCase, Size>>& info)
{
    const auto& [kind, size] = info.param;
    std::string n = kind.name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n + "_" + std::to_string(size.width) + "x" + std::to_string(size.height);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Region, ::testing::Combine(::testing::ValuesIn(kKinds), ::testing::ValuesIn(kSizes)),
                         RegionName);

TEST(Region, CutInsideTheScanStillMatches)
{
    // Rows past the cut come from the library's filler; the corner must agree.
    const Bytes whole = ReadBytes(Cjpeg(SyntheticPpm(900, 700), {"-sample", "2x2"}, "region_cut.jpg"));
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(Bytes(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 6)));
    const QImage full = ToQImage(jpeg.Decode());
    EXPECT_EQ(ToQImage(jpeg.DecodeTopLeft(423, 384)), full.copy(0, 0, 423, 384));
}

}  // namespace
