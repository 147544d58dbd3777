#include <gtest/gtest.h>

#include "CaseName.h"

#include <algorithm>

#include "convert/ConvertHsiToRgb.h"
#include "convert/ConvertRgbToHsi.h"
#include "convert/StoreSample.h"
#include "workspace/ChannelPlanes.h"

using namespace ChannelPlanes;

namespace {

struct InverseCase {
    const char* name;
    double h, s;
    std::uint8_t i;
    float r, g, b;        // single-precision values before storing
    int R, G, B;          // what reaches the planes
};

const InverseCase kInverse[] = {
    {"red", 0, 1, 85, 255.00071716308594f, -0.0007171630859375f, 0.0f, 255, 0, 0},
    {"green", 120, 1, 85, 0.0f, 255.00071716308594f, -0.0007171630859375f, 0, 255, 0},
    {"blue", 240, 1, 85, -0.0007171630859375f, 0.0f, 255.00071716308594f, 0, 0, 255},
    {"yellow at pi 3.1416", 60, 1, 170, 254.99964904785156f, 255.00035095214844f, 0.0f, 254, 255, 0},
    {"h 360 is blue-red", 360, 1, 85, 255.00106811523438f, 0.0f, -0.001065904856659472f, 255, 0, 0},
    {"gray", 200, 0, 93, 93.0f, 93.0f, 93.0f, 93, 93, 93},
    // What a load leaves (all 255) converted back without a forward pass.
    {"after a load", 255, 255, 255, -23545.9453125f, -64770.0f, 89080.9453125f, 7, 254, 248},
};

void PrintTo(const InverseCase& c, std::ostream* os) { *os << c.name; }

class Inverse : public ::testing::TestWithParam<InverseCase> {};

TEST_P(Inverse, ExactToTheBit)
{
    const InverseCase& c = GetParam();
    const RgbReal v = HsiToRgbReal(c.h, c.s, c.i);
    EXPECT_EQ(v.r, c.r);
    EXPECT_EQ(v.g, c.g);
    EXPECT_EQ(v.b, c.b);
    EXPECT_EQ(StoreSample(v.r), c.R);
    EXPECT_EQ(StoreSample(v.g), c.G);
    EXPECT_EQ(StoreSample(v.b), c.B);
}

INSTANTIATE_TEST_SUITE_P(Triples, Inverse, ::testing::ValuesIn(kInverse), CaseName{});

}  // namespace

TEST(Inverse, SectorBoundaries)
{
    // 120 starts green-blue and 240 starts blue-red: the smallest component moves.
    EXPECT_EQ(HsiToRgbReal(119.999, 0.5, 100).b, 50.0f);
    EXPECT_EQ(HsiToRgbReal(120.0, 0.5, 100).r, 50.0f);
    EXPECT_EQ(HsiToRgbReal(239.999, 0.5, 100).r, 50.0f);
    EXPECT_EQ(HsiToRgbReal(240.0, 0.5, 100).g, 50.0f);
}

TEST(StoreSample, TruncatesAndKeepsTheLowEightBits)
{
    struct {
        float v;
        int stored;
    } const cases[] = {
        {0.0f, 0},      {0.999f, 0},        {254.9996f, 254}, {255.0007f, 255}, {257.57f, 1},
        {-0.0007f, 0},  {-1.5f, 255},       {-256.0f, 0},     {-257.0f, 255},   {65791.0f, 255},
        {2147483520.0f, 128},  // the largest float below 2^31: 0x7FFFFF80
        {2147483648.0f, 0},    {-2147483648.0f, 0}, {3.0e38f, 0},    {-3.0e38f, 0},
        {std::numeric_limits<float>::infinity(), 0},  {-std::numeric_limits<float>::infinity(), 0},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(StoreSample(c.v), c.stored) << c.v;
}

TEST(RoundTrip, PureColours)
{
    struct {
        std::uint8_t r, g, b;
        int R, G, B;
    } const cases[] = {
        {255, 0, 0, 255, 0, 0},
        {0, 255, 0, 0, 254, 0},  // hue 119.99972 lands just inside red-green
        {0, 0, 255, 0, 0, 254},  // and 240.00027 likewise
    };
    for (const auto& c : cases) {
        const RgbReal v = HsiToRgbReal(HueOf(c.r, c.g, c.b), SaturationOf(c.r, c.g, c.b), IntensityOf(c.r, c.g, c.b));
        EXPECT_EQ(StoreSample(v.r), c.R);
        EXPECT_EQ(StoreSample(v.g), c.G);
        EXPECT_EQ(StoreSample(v.b), c.B);
    }
}

TEST(RoundTrip, EveryGrayReturnsUnchangedThroughTheWorkspace)
{
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) R[x][y] = G[x][y] = B[x][y] = std::uint8_t(x + y);
    ConvertRgbToHsi();
    ConvertHsiToRgb();
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const std::uint8_t k = std::uint8_t(x + y);
            ASSERT_EQ(R[x][y], k);
            ASSERT_EQ(G[x][y], k);
            ASSERT_EQ(B[x][y], k);
        }
}

TEST(RoundTrip, ConvertingBackTwiceGivesTheSameResult)
{
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            R[x][y] = std::uint8_t(x * 3);
            G[x][y] = std::uint8_t(y * 5);
            B[x][y] = std::uint8_t(x ^ y);
        }
    ConvertRgbToHsi();
    ConvertHsiToRgb();
    std::uint8_t first[PlaneWidth][PlaneHeight];
    std::copy_n(&R[0][0], PlaneSamples, &first[0][0]);
    ConvertHsiToRgb();
    EXPECT_TRUE(std::equal(&R[0][0], &R[0][0] + PlaneSamples, &first[0][0]));
}

TEST(RoundTrip, RealHuesStayWithinMinusOneTo256)
{
    // With H and S as reals from a forward pass, every reconstructed value
    // lies in (-1, 256): storing never wraps.
    for (int r = 0; r < 256; r += 3)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 7) {
                const auto r8 = std::uint8_t(r), g8 = std::uint8_t(g), b8 = std::uint8_t(b);
                const RgbReal v = HsiToRgbReal(HueOf(r8, g8, b8), SaturationOf(r8, g8, b8), IntensityOf(r8, g8, b8));
                for (float c : {v.r, v.g, v.b}) ASSERT_TRUE(c > -1.0f && c < 256.0f) << r << "," << g << "," << b;
            }
}

TEST(ConvertHsiToRgb, AllZeroPlanesStayBlack)
{
    std::fill_n(&H[0][0], PlaneSamples, 0.0);
    std::fill_n(&S[0][0], PlaneSamples, 0.0);
    std::fill_n(&I[0][0], PlaneSamples, std::uint8_t{0});
    std::fill_n(&R[0][0], PlaneSamples, std::uint8_t{9});
    ConvertHsiToRgb();
    EXPECT_TRUE(std::all_of(&R[0][0], &R[0][0] + PlaneSamples, [](auto v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(&G[0][0], &G[0][0] + PlaneSamples, [](auto v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(&B[0][0], &B[0][0] + PlaneSamples, [](auto v) { return v == 0; }));
}
