// A JPEG file through TBitmap::Assign and CopyPictureToPlanes: the workspace's
// R, G and B hold djpeg's decode over the top-left 423 x 384, white beyond.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "JpegTestSupport.h"
#include "core/CaseName.h"
#include "input/CopyPictureToPlanes.h"
#include "platform/Exception.h"
#include "platform/Graphics.h"
#include "platform/JPEG.h"
#include "workspace/ChannelPlanes.h"

using namespace jpegtest;
using namespace ChannelPlanes;

namespace {

struct PlanesCase {
    const char* name;
    int width;
    int height;
    QStringList cjpeg;
};

const PlanesCase kPictures[] = {
    {"smaller 100x100", 100, 100, {}},
    {"smaller 37x21", 37, 21, {}},  // not a whole number of 16x16 blocks
    {"exactly the workspace", PlaneWidth, PlaneHeight, {}},
    {"wider, lower 500x300", 500, 300, {}},
    {"narrower, taller 300x500", 300, 500, {}},
    {"larger 1000x1000", 1000, 1000, {}},
    {"grayscale 37x21", 37, 21, {"-grayscale"}},
    {"grayscale 1000x1000", 1000, 1000, {"-grayscale"}},
};

void PrintTo(const PlanesCase& c, std::ostream* os) { *os << c.name; }

class PlanesFromJpeg : public ::testing::TestWithParam<PlanesCase> {};

TEST_P(PlanesFromJpeg, HoldTheDecodedPictureAndWhiteBeyond)
{
    const PlanesCase& c = GetParam();
    const std::string file = Cjpeg(SyntheticPpm(c.width, c.height), c.cjpeg, std::string(c.name) + ".jpg");
    const Pnm reference = DjpegFloat(file, c.cjpeg.contains("-grayscale") ? QStringList{"-colors", "236"} : QStringList{});
    TJPEGImage jpeg;
    jpeg.LoadFromFile(file);
    TBitmap bitmap;
    bitmap.Assign(jpeg);
    ASSERT_EQ(bitmap.Width(), c.width);
    ASSERT_EQ(bitmap.Height(), c.height);

    // Something other than white first, so that "white beyond" is the copy's doing.
    std::fill(&R[0][0], &R[0][0] + PlaneSamples, 7);
    std::fill(&G[0][0], &G[0][0] + PlaneSamples, 7);
    std::fill(&B[0][0], &B[0][0] + PlaneSamples, 7);
    CopyPictureToPlanes(bitmap);

    long wrong = 0;
    std::ostringstream first;
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const bool inside = x < c.width && y < c.height;
            const QRgb want = inside ? reference.At(x, y) : qRgb(255, 255, 255);
            if (R[x][y] == qRed(want) && G[x][y] == qGreen(want) && B[x][y] == qBlue(want)) continue;
            if (++wrong <= 3)
                first << " (" << x << "," << y << ") " << int{R[x][y]} << "," << int{G[x][y]} << "," << int{B[x][y]}
                      << " not " << qRed(want) << "," << qGreen(want) << "," << qBlue(want) << ";";
        }
    EXPECT_EQ(wrong, 0) << first.str();
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlanesFromJpeg, ::testing::ValuesIn(kPictures), CaseName{});

TEST(AssignJpeg, DecodingErrorLeavesThePictureAsItWas)
{
    TBitmap bitmap;
    bitmap.SetSize(5, 4);
    TJPEGImage empty;
    EXPECT_THROW(bitmap.Assign(empty), Exception);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Height(), 4);
}

}  // namespace
