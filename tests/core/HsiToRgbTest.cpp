#include <gtest/gtest.h>

#include "CaseName.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "convert/ConvertHsiToRgb.h"
#include "convert/ConvertRgbToHsi.h"
#include "convert/StoreSample.h"
#include "convert/StrictFloat.h"
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

namespace {

// Runs ConvertHsiToRgb on the workspace as it stands and counts the samples
// whose R, G or B differ from HsiToRgbReal and StoreSample, reporting a few.
int InverseDifferences()
{
    ConvertHsiToRgb();
    int wrong = 0;
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const RgbReal c = HsiToRgbReal(H[x][y], S[x][y], I[x][y]);
            if (R[x][y] == StoreSample(c.r) && G[x][y] == StoreSample(c.g) && B[x][y] == StoreSample(c.b)) continue;
            if (++wrong <= 5)
                ADD_FAILURE() << "h " << H[x][y] << " s " << S[x][y] << " i " << int(I[x][y]) << ": " << int(R[x][y])
                              << "," << int(G[x][y]) << "," << int(B[x][y]);
        }
    return wrong;
}

}  // namespace

TEST(InverseWorkspace, EveryHueOfAForwardPassBitForBit)
{
    // All 2^24 colours, a workspace at a time: every hue the forward
    // conversion can give, with its saturation and intensity, many more
    // distinct hues than the cosine cache has slots.
    constexpr int Colours = 1 << 24;
    int wrong = 0;
    for (int first = 0; first < Colours; first += PlaneSamples) {
        for (int x = 0; x < PlaneWidth; ++x)
            for (int y = 0; y < PlaneHeight; ++y) {
                const int colour = (first + x * PlaneHeight + y) % Colours;
                R[x][y] = std::uint8_t(colour >> 16);
                G[x][y] = std::uint8_t(colour >> 8);
                B[x][y] = std::uint8_t(colour);
            }
        ConvertRgbToHsi();
        wrong += InverseDifferences();
    }
    EXPECT_EQ(wrong, 0);
}

TEST(InverseWorkspace, AnyDoublesBitForBit)
{
    // H and S hold whatever was put there: sector edges, values far outside
    // a hue's or a saturation's range, zeros of both signs, subnormals,
    // infinities and NaNs, each hue with each saturation and all intensities.
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const double hues[] = {0.0,   -0.0,   60.0,   std::nextafter(120.0, 0.0), 120.0, std::nextafter(240.0, 0.0),
                           240.0, 255.0,  359.99, 360.0, 720.0, -1.0, -120.0, -360.0, 4e-320, 1e300,
                           -1e300, std::numeric_limits<double>::max(), inf, -inf, nan, -nan,
                           std::bit_cast<double>(0x7FF0000000000123u)};  // a NaN with a payload
    const double saturations[] = {0.0, -0.0, 1.0, 0.5, 255.0, -1.0, 2.0, 1e-300, 1e300, -1e300, inf, -inf, nan};
    int k = 0;
    for (double h : hues)
        for (double s : saturations)
            for (int i = 0; i < 256; ++i, ++k) {
                H[k / PlaneHeight][k % PlaneHeight] = h;
                S[k / PlaneHeight][k % PlaneHeight] = s;
                I[k / PlaneHeight][k % PlaneHeight] = std::uint8_t(i);
            }
    // The rest: random bit patterns, which are any doubles, and random reals
    // in and around the hues' and saturations' ranges.
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> hue(-720.0, 720.0), saturation(-2.0, 2.0);
    for (; k < PlaneSamples; ++k) {
        const bool bits = k % 2 == 0;
        H[k / PlaneHeight][k % PlaneHeight] = bits ? std::bit_cast<double>(random()) : hue(random);
        S[k / PlaneHeight][k % PlaneHeight] = bits ? std::bit_cast<double>(random()) : saturation(random);
        I[k / PlaneHeight][k % PlaneHeight] = std::uint8_t(random());
    }
    EXPECT_EQ(InverseDifferences(), 0);
    EXPECT_EQ(InverseDifferences(), 0) << "again, with the cache holding these hues";
}

TEST(InverseWorkspace, AfterALoadWithoutAForwardPass)
{
    ResetPlanes();  // H, S and I all 255
    EXPECT_EQ(InverseDifferences(), 0);
    EXPECT_EQ(R[0][0], 7);
    EXPECT_EQ(G[0][0], 254);
    EXPECT_EQ(B[0][0], 248);
}

namespace {

// The component from the angle before rounding to float, as HsiToRgbReal
// computes it.
double FromAngle(double h, double s, double i)
{
    const double a = h < 120.0 ? h : h < 240.0 ? h - 120.0 : h - 240.0;
    return i * (1.0 + s * std::cos(a * Pi / 180.0) / std::cos((60.0 - a) * Pi / 180.0));
}

// A saturation for hue h and intensity i at which FromAngle is exactly
// `target`, searched among the doubles next to the obvious one; NaN if none.
double SaturationHitting(double h, double i, double target)
{
    const double a = h < 120.0 ? h : h < 240.0 ? h - 120.0 : h - 240.0;
    const double guess = (target / i - 1.0) * std::cos((60.0 - a) * Pi / 180.0) / std::cos(a * Pi / 180.0);
    double up = guess, down = guess;
    for (int step = 0; step < 4000; ++step) {
        if (FromAngle(h, up, i) == target) return up;
        if (FromAngle(h, down, i) == target) return down;
        up = std::nextafter(up, 1e300);
        down = std::nextafter(down, 0.0);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

TEST(InverseWorkspace, RoundingSensitiveCasesBitForBit)
{
    // 2^24 + 1 lies halfway between two floats whose low bytes are 0 and 2:
    // exactly there the component rounds to 0, one double above it to 2. A
    // path that computes it any other way, say (cos a / cos(60 - a)) first or
    // i + i * (...), is one double off for many of these cases.
    const double tie = 16777217.0;
    const double hues[] = {10.0, 25.5, 47.0, 75.25, 100.0, 119.99972345376631, 130.0, 170.0,
                           200.0, 239.5, 250.0, 290.0, 333.0, 359.0};
    const int intensities[] = {1, 3, 7, 85, 170, 255};
    int k = 0;
    for (double h : hues)
        for (int i : intensities)
            for (double target : {tie, std::nextafter(tie, 1e300)}) {
                const double s = SaturationHitting(h, i, target);
                if (std::isnan(s)) continue;
                // The reference itself lands on either side of the tie.
                const RgbReal c = HsiToRgbReal(h, s, std::uint8_t(i));
                EXPECT_EQ(h < 120.0 ? c.r : h < 240.0 ? c.g : c.b, target == tie ? 16777216.0f : 16777218.0f) << h;
                H[0][k] = h, S[0][k] = s, I[0][k] = std::uint8_t(i);
                ++k;
            }
    ASSERT_GE(k, 100) << "too few cases found";
    for (int y = k; y < PlaneHeight; ++y) H[0][y] = S[0][y] = 0.0, I[0][y] = 0;
    for (int x = 1; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) H[x][y] = S[x][y] = 0.0, I[x][y] = 0;
    EXPECT_EQ(InverseDifferences(), 0);
}
