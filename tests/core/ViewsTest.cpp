// The two views drawn row by row through TBitmap::ScanLine: the pixels the
// per-pixel drawing gave, one change reported per view, and the picture's own
// size and format kept.
#include <gtest/gtest.h>

#include "CaseName.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/Views.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"
#include "tests/support/QtPictures.h"

using namespace ChannelPlanes;

namespace {

// What a hue sample shows: red = the hue clamped to [0, 255], truncated.
struct ShadeCase {
    const char* name;
    double hue;
    int red;
};

const double inf = std::numeric_limits<double>::infinity();

const ShadeCase kShades[] = {
    {"zero", 0.0, 0},
    {"minus zero", -0.0, 0},
    {"fraction", 0.99, 0},
    {"green hue", 119.99972345376631, 119},
    {"just below 255", std::nextafter(255.0, 0.0), 254},
    {"255", 255.0, 255},
    {"blue hue", 240.0002765462337, 240},
    {"top of the turn", 359.999, 255},
    {"huge", 1e300, 255},
    {"infinity", inf, 255},
    {"negative", -0.5, 0},
    {"minus infinity", -inf, 0},
    {"NaN", std::numeric_limits<double>::quiet_NaN(), 0},
};

void PrintTo(const ShadeCase& c, std::ostream* os) { *os << c.name; }

class HueShade : public ::testing::TestWithParam<ShadeCase> {};

TEST_P(HueShade, FillsTheWholeView)
{
    const ShadeCase& c = GetParam();
    std::fill_n(&H[0][0], PlaneSamples, c.hue);
    TPicture panel;
    TCanvas canvas(*panel.Bitmap, PlaneWidth, PlaneHeight);
    PaintHueView(canvas);
    const QImage& image = ToQImage(*panel.Bitmap);
    ASSERT_EQ(image.format(), QImage::Format_RGB32);
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x)
            ASSERT_EQ(panel.Bitmap->Pixel(x, y), PackColor(std::uint8_t(c.red), 0, 0)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Hues, HueShade, ::testing::ValuesIn(kShades), CaseName{});

// Distinct values everywhere, so that a transposed or shifted copy shows.
void PatternPlanes()
{
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            R[x][y] = std::uint8_t(x);
            G[x][y] = std::uint8_t(y);
            B[x][y] = std::uint8_t(x * 7 + y * 3);
            H[x][y] = (x + y) % 300 + 0.5;
        }
}

TColor ExpectedReconstruction(int x, int y) { return PackColor(R[x][y], G[x][y], B[x][y]); }
TColor ExpectedHue(int x, int y) { return PackColor(std::uint8_t(std::min((x + y) % 300, 255)), 0, 0); }

}  // namespace

TEST(Views, EmptyPanelGetsItsSizeAndEveryPixel)
{
    PatternPlanes();
    for (bool hue : {false, true}) {
        TPicture panel;
        TCanvas canvas(*panel.Bitmap, PlaneWidth, PlaneHeight);
        int changes = 0;
        panel.Bitmap->OnChange = [&] { ++changes; };
        hue ? PaintHueView(canvas) : PaintReconstructionView(canvas);
        ASSERT_EQ(panel.Bitmap->Width(), PlaneWidth);
        ASSERT_EQ(panel.Bitmap->Height(), PlaneHeight);
        for (int y = 0; y < PlaneHeight; ++y)
            for (int x = 0; x < PlaneWidth; ++x)
                ASSERT_EQ(panel.Bitmap->Pixel(x, y), hue ? ExpectedHue(x, y) : ExpectedReconstruction(x, y))
                    << (hue ? "hue " : "reconstruction ") << x << "," << y;
        // One for the new picture, one for the drawing: not one per pixel.
        EXPECT_EQ(changes, 2) << (hue ? "hue" : "reconstruction");
        hue ? PaintHueView(canvas) : PaintReconstructionView(canvas);
        EXPECT_EQ(changes, 3) << (hue ? "hue" : "reconstruction");
    }
}

TEST(Views, PictureOfAnotherSizeIsDrawnWhereItReaches)
{
    PatternPlanes();
    struct {
        int width, height;
    } const sizes[] = {{1, 1}, {100, 50}, {423, 7}, {9, 384}, {500, 400}, {423, 384}};
    for (const auto& size : sizes) {
        TPicture panel;
        panel.Bitmap->SetSize(size.width, size.height);  // white
        TCanvas canvas(*panel.Bitmap, PlaneWidth, PlaneHeight);
        PaintReconstructionView(canvas);
        ASSERT_EQ(panel.Bitmap->Width(), size.width);
        ASSERT_EQ(panel.Bitmap->Height(), size.height);
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) {
                const TColor expected = x < PlaneWidth && y < PlaneHeight ? ExpectedReconstruction(x, y) : 0xFFFFFFu;
                ASSERT_EQ(panel.Bitmap->Pixel(x, y), expected)
                    << size.width << "x" << size.height << " at " << x << "," << y;
            }
    }
}

TEST(Views, PalettePictureIsPaintedOverAndKeptBeyond)
{
    PatternPlanes();
    QImage indexed(PlaneWidth + 10, PlaneHeight, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 50)});
    indexed.fill(1);
    TPicture panel;
    panel.Bitmap->Assign(ToBitmap(indexed));
    TCanvas canvas(*panel.Bitmap, PlaneWidth, PlaneHeight);
    PaintHueView(canvas);
    EXPECT_EQ(panel.Bitmap->Pixel(0, 0), ExpectedHue(0, 0));
    EXPECT_EQ(panel.Bitmap->Pixel(PlaneWidth - 1, PlaneHeight - 1), ExpectedHue(PlaneWidth - 1, PlaneHeight - 1));
    EXPECT_EQ(panel.Bitmap->Pixel(PlaneWidth + 3, 5), PackColor(200, 100, 50));  // beyond the workspace: kept
}

TEST(Bitmap, ScanLineIsTheRowAndTellsNoOne)
{
    TBitmap bitmap;
    QImage indexed(4, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3)});
    indexed.fill(0);
    bitmap.Assign(ToBitmap(indexed));
    int changes = 0;
    bitmap.OnChange = [&] { ++changes; };
    TPixel* row = bitmap.ScanLine(2);
    EXPECT_EQ(row[0], PixelOf(1, 2, 3));  // the palette colour, held directly
    row[3] = PixelOf(40, 50, 60);
    EXPECT_EQ(bitmap.Pixel(3, 2), PackColor(40, 50, 60));
    EXPECT_EQ(bitmap.Pixel(3, 1), PackColor(1, 2, 3));
    EXPECT_EQ(changes, 0);
    bitmap.Changed();
    EXPECT_EQ(changes, 1);
}
