// TJPEGImage::Decode against libjpeg-turbo's own djpeg with the same settings
// (float DCT, fancy upsampling, block smoothing, 236 colours with F-S dither),
// bit for bit.
#include <gtest/gtest.h>

#include <algorithm>

#include "JpegTestSupport.h"
#include "core/CaseName.h"
#include "platform/Exception.h"
#include "platform/JPEG.h"
#include "tests/support/QtPictures.h"

using namespace jpegtest;

namespace {

// ScreenColorDepth is global: every test puts it back.
class WithScreenDepth {
protected:
    ~WithScreenDepth() { ScreenColorDepth = saved_; }
    const int saved_ = ScreenColorDepth;
};

QImage LoadAndDecode(const std::string& path)
{
    TJPEGImage jpeg;
    jpeg.LoadFromFile(path);
    return ToQImage(jpeg.Decode());
}

std::size_t DistinctColours(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    return colours.size();
}

// Every comparison below needs them; without them the tests fail, they do not skip.
TEST(Tools, DjpegAndCjpegAreThere)
{
    EXPECT_NO_THROW(DjpegPath());
    EXPECT_NO_THROW(CjpegPath());
}

// ---- Files cjpeg can write ----------------------------------------------------

struct KindCase {
    const char* name;
    QStringList cjpeg;
    int screenDepth;
    QImage::Format format;  // what Decode gives
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

const QStringList kPalette{"-colors", "236"};
constexpr auto kRgb32 = QImage::Format_RGB32;
constexpr auto kIndexed = QImage::Format_Indexed8;

const KindCase kKinds[] = {
    {"baseline 444", {"-sample", "1x1"}, 24, kRgb32},
    {"baseline 422", {"-sample", "2x1"}, 24, kRgb32},
    {"baseline 420", {"-sample", "2x2"}, 24, kRgb32},
    {"baseline 440", {"-sample", "1x2"}, 24, kRgb32},
    {"quality 100", {"-quality", "100", "-sample", "1x1"}, 24, kRgb32},
    {"quality 10", {"-quality", "10"}, 24, kRgb32},
    {"optimized tables", {"-optimize"}, 24, kRgb32},
    {"progressive 420", {"-progressive"}, 24, kRgb32},
    {"progressive 444", {"-progressive", "-sample", "1x1"}, 24, kRgb32},
    {"restart every row", {"-restart", "1"}, 24, kRgb32},
    {"restart every MCU", {"-restart", "1B"}, 24, kRgb32},
    {"arithmetic", {"-arithmetic"}, 24, kRgb32},
    {"arithmetic progressive", {"-arithmetic", "-progressive"}, 24, kRgb32},
    {"coded as RGB", {"-rgb"}, 24, kRgb32},
    {"16 bit display", {"-sample", "2x2"}, 16, kRgb32},
    // Gray always comes through the palette (the one-pass quantizer).
    {"grayscale", {"-grayscale"}, 24, kIndexed},
    {"grayscale progressive", {"-grayscale", "-progressive"}, 24, kIndexed},
    {"grayscale 8 bit display", {"-grayscale"}, 8, kIndexed},
    // Colour on 8-bit displays: the two-pass quantizer.
    {"8 bit display 420", {"-sample", "2x2"}, 8, kIndexed},
    {"8 bit display progressive", {"-progressive"}, 8, kIndexed},
    {"8 bit display coded as RGB", {"-rgb"}, 8, kIndexed},
    {"4 bit display", {"-sample", "1x1"}, 4, kIndexed},
};

class Kinds : public ::testing::TestWithParam<KindCase>, WithScreenDepth {};

TEST_P(Kinds, DecodeAsDjpegDoes)
{
    const KindCase& c = GetParam();
    ScreenColorDepth = c.screenDepth;
    // 101 x 67: neither a multiple of 8 nor of 16, so edge blocks are partial.
    const std::string file = Cjpeg(SyntheticPpm(101, 67), c.cjpeg, std::string(c.name) + ".jpg");
    TJPEGImage jpeg;
    jpeg.LoadFromFile(file);
    EXPECT_EQ(jpeg.Width(), 101);
    EXPECT_EQ(jpeg.Height(), 67);

    const QImage image = ToQImage(jpeg.Decode());
    const bool indexed = c.format == kIndexed;
    // Through the library's colour map: at most the palette's 236 colours.
    if (indexed) {
        EXPECT_LE(DistinctColours(image), 236u);
    }
    EXPECT_EQ(Differences(image, DjpegFloat(file, indexed ? kPalette : QStringList{})), "");
}

TEST_P(Kinds, DecodeTwiceGivesTheSamePicture)
{
    ScreenColorDepth = GetParam().screenDepth;
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Cjpeg(SyntheticPpm(101, 67), GetParam().cjpeg, std::string(GetParam().name) + ".jpg"));
    EXPECT_EQ(jpeg.Decode(), jpeg.Decode());
}

INSTANTIATE_TEST_SUITE_P(Cjpeg, Kinds, ::testing::ValuesIn(kKinds), CaseName{});

// ---- Files cut off inside their scan data ----------------------------------

struct CutCase {
    const char* name;
    QStringList cjpeg;
    int screenDepth;
    double keep;  // the share of the file kept
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

const CutCase kCuts[] = {
    {"baseline at 60 percent", {"-sample", "2x2"}, 24, 0.6},
    {"baseline at 95 percent", {"-sample", "1x1"}, 24, 0.95},
    {"baseline on an 8 bit display", {"-sample", "2x2"}, 8, 0.6},
    {"progressive at 50 percent", {"-progressive"}, 24, 0.5},
    {"progressive at 20 percent", {"-progressive"}, 24, 0.2},  // most AC data missing: block smoothing shows
    {"arithmetic at 70 percent", {"-arithmetic"}, 24, 0.7},
    {"grayscale at 50 percent", {"-grayscale"}, 24, 0.5},
};

class CutInScan : public ::testing::TestWithParam<CutCase>, WithScreenDepth {};

TEST_P(CutInScan, DecodesWithoutErrorAsDjpegDoes)
{
    const CutCase& c = GetParam();
    ScreenColorDepth = c.screenDepth;
    const Bytes whole = ReadBytes(Cjpeg(SyntheticPpm(200, 150), c.cjpeg, std::string(c.name) + ".jpg"));
    const auto keep = static_cast<std::size_t>(static_cast<double>(whole.size()) * c.keep);
    ASSERT_GT(keep, MarkerOffset(whole, 0xDA) + 100) << "the cut must fall inside the scan data";
    const std::string cut = TempPath(std::string(c.name) + ".cut.jpg");
    WriteBytes(cut, Bytes(whole.begin(), whole.begin() + static_cast<long>(keep)));

    QImage image;
    ::testing::internal::CaptureStderr();
    ASSERT_NO_THROW(image = LoadAndDecode(cut));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "the library's warning must stay quiet";
    const bool indexed = c.screenDepth <= 8 || c.cjpeg.contains("-grayscale");
    EXPECT_EQ(Differences(image, DjpegFloat(cut, indexed ? kPalette : QStringList{}, true)), "");
}

INSTANTIATE_TEST_SUITE_P(Truncated, CutInScan, ::testing::ValuesIn(kCuts), CaseName{});

// ---- CMYK and YCCK ------------------------------------------------------------

// Adobe's inverted CMYK of the synthetic picture: 255 is no ink, and
// C * K / 255 gives back red, and so on.
std::vector<std::uint8_t> InvertedCmykPicture(int width, int height)
{
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = SyntheticPixel(x, y);
            const int k = std::max({qRed(c), qGreen(c), qBlue(c)});
            auto part = [k](int v) { return static_cast<std::uint8_t>(k == 0 ? 255 : (v * 255 + k / 2) / k); };
            samples.insert(samples.end(), {part(qRed(c)), part(qGreen(c)), part(qBlue(c)), static_cast<std::uint8_t>(k)});
        }
    return samples;
}

struct CmykCase {
    const char* name;
    J_COLOR_SPACE coded;
    bool progressive;
    int screenDepth;
};

void PrintTo(const CmykCase& c, std::ostream* os) { *os << c.name; }

const CmykCase kCmyk[] = {
    {"CMYK", JCS_CMYK, false, 24},
    {"YCCK", JCS_YCCK, false, 24},  // K and Y subsampled 2x2 by default
    {"YCCK progressive", JCS_YCCK, true, 24},
    // The library's quantizer cannot do CMYK well: 24-bit on any display.
    {"CMYK 8 bit display", JCS_CMYK, false, 8},
    {"YCCK 8 bit display", JCS_YCCK, false, 8},
};

class Cmyk : public ::testing::TestWithParam<CmykCase>, WithScreenDepth {};

// djpeg's PPM writer turns CMYK into RGB as Adobe's inverted data: the
// reference for files with the Adobe marker.
TEST_P(Cmyk, AdobeFileDecodesAsDjpegDoes)
{
    const CmykCase& c = GetParam();
    ScreenColorDepth = c.screenDepth;
    RawJpeg how;
    how.width = 101;
    how.height = 67;
    how.components = 4;
    how.in = JCS_CMYK;
    how.coded = c.coded;
    how.progressive = c.progressive;
    const std::string file = TempPath(std::string(c.name) + ".jpg");
    WriteBytes(file, EncodeRaw(how, InvertedCmykPicture(how.width, how.height)));

    EXPECT_EQ(Differences(LoadAndDecode(file), DjpegFloat(file)), "");
}

INSTANTIATE_TEST_SUITE_P(FourComponents, Cmyk, ::testing::ValuesIn(kCmyk), CaseName{});

// Flat 8x8 blocks at quality 100 come back exactly, so the colours are known
// without any decoder: Adobe's data inverted, plain data (no Adobe marker)
// with 0 for no ink.
struct InkCase {
    std::uint8_t c, m, y, k;
    QRgb adobe, plain;
};

const InkCase kInks[] = {
    {255, 255, 255, 255, qRgb(255, 255, 255), qRgb(0, 0, 0)},
    {0, 0, 0, 0, qRgb(0, 0, 0), qRgb(255, 255, 255)},
    {0, 255, 255, 255, qRgb(0, 255, 255), qRgb(0, 0, 0)},
    {0, 255, 255, 0, qRgb(0, 0, 0), qRgb(255, 0, 0)},
    {255, 0, 255, 0, qRgb(0, 0, 0), qRgb(0, 255, 0)},
    {255, 255, 0, 128, qRgb(128, 128, 0), qRgb(0, 0, 127)},
    {200, 100, 50, 0, qRgb(0, 0, 0), qRgb(55, 155, 205)},
    {200, 100, 50, 100, qRgb(78, 39, 20), qRgb(33, 94, 125)},  // 78.4 39.2 19.6; 33.4 94.2 124.6
    {1, 127, 128, 255, qRgb(1, 127, 128), qRgb(0, 0, 0)},
    {1, 127, 128, 1, qRgb(0, 0, 1), qRgb(253, 127, 127)},  // 0.498 0.502; 127.498 126.502
};

std::string InkPicture(bool adobeMarker)
{
    constexpr int n = static_cast<int>(std::size(kInks));
    RawJpeg how;
    how.width = 8 * n;
    how.height = 8;
    how.components = 4;
    how.in = JCS_CMYK;
    how.coded = JCS_CMYK;
    how.adobeMarker = adobeMarker;
    how.quality = 100;
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < how.height; ++y)
        for (int x = 0; x < how.width; ++x) {
            const InkCase& ink = kInks[x / 8];
            samples.insert(samples.end(), {ink.c, ink.m, ink.y, ink.k});
        }
    const std::string file = TempPath(adobeMarker ? "inks_adobe.jpg" : "inks_plain.jpg");
    WriteBytes(file, EncodeRaw(how, samples));
    return file;
}

TEST(CmykInks, AdobeMarkerMeansInvertedData)
{
    const QImage image = LoadAndDecode(InkPicture(true));
    for (int i = 0; i < static_cast<int>(std::size(kInks)); ++i)
        for (int y = 0; y < 8; ++y)
            for (int x = 8 * i; x < 8 * i + 8; ++x)
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFFu, kInks[i].adobe & 0xFFFFFFu) << "block " << i;
}

TEST(CmykInks, WithoutAdobeMarkerZeroIsNoInk)
{
    const QImage image = LoadAndDecode(InkPicture(false));
    for (int i = 0; i < static_cast<int>(std::size(kInks)); ++i)
        for (int y = 0; y < 8; ++y)
            for (int x = 8 * i; x < 8 * i + 8; ++x)
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFFu, kInks[i].plain & 0xFFFFFFu) << "block " << i;
}

// ---- Component counts that have no colour meaning ------------------------------

class OddComponents : public ::testing::TestWithParam<int> {};

TEST_P(OddComponents, LoadButRefuseToDecode)
{
    RawJpeg how;
    how.width = 16;
    how.height = 8;
    how.components = GetParam();
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(how.width * how.height * how.components), 99);
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(EncodeRaw(how, samples));
    EXPECT_EQ(jpeg.Width(), 16);
    try {
        jpeg.Decode();
        FAIL() << "decoded a picture of " << GetParam() << " components";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "JPEG picture has " + std::to_string(GetParam()) +
                                   " colour components; only 1 (gray), 3 (colour) or 4 (CMYK) can be shown");
    }
}

INSTANTIATE_TEST_SUITE_P(Unknown, OddComponents, ::testing::Values(2, 5, 10));

}  // namespace
