#include <gtest/gtest.h>

#include "CaseName.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "convert/ConvertRgbToHsi.h"
#include "workspace/ChannelPlanes.h"

using namespace ChannelPlanes;

namespace {

struct ForwardCase {
    const char* name;
    std::uint8_t r, g, b;
    double s, h;
    int i;
};

// Hues as exact doubles: 180/3.1416f degrees per half turn, so pure green
// comes out a little under 120.
const ForwardCase kForward[] = {
    {"black", 0, 0, 0, 0.0, 0.0, 0},
    {"gray", 77, 77, 77, 0.0, 0.0, 77},
    {"white", 255, 255, 255, 0.0, 0.0, 255},
    {"red", 255, 0, 0, 1.0, 0.0, 85},
    {"green", 0, 255, 0, 1.0, 0x1.dfffb7814be1cp+6, 85},    // 119.99972345376631
    {"blue", 0, 0, 255, 1.0, 0x1.e000243f5a0f2p+7, 85},     // 240.0002765462337
    {"yellow", 255, 255, 0, 1.0, 0x1.dfffb7814be1cp+5, 170},  // 59.999861726883154
    {"cyan", 0, 255, 255, 1.0, 0x1.67ffc9a0f8e94p+7, 170},   // 179.99958518064943, the largest theta
    {"magenta", 255, 0, 255, 1.0, 0x1.2c00090fd683cp+8, 170},  // 300.0001382731168
    {"near white", 255, 255, 254, 0.002617801047120394, 0x1.dfffb7814be1cp+5, 254},
    {"dark blue gray", 10, 20, 30, 0.5, 0x1.a4002d4f3092fp+7, 20},
};

void PrintTo(const ForwardCase& c, std::ostream* os) { *os << c.name; }

class Forward : public ::testing::TestWithParam<ForwardCase> {};

TEST_P(Forward, ExactToTheBit)
{
    const ForwardCase& c = GetParam();
    EXPECT_EQ(SaturationOf(c.r, c.g, c.b), c.s);
    EXPECT_EQ(HueOf(c.r, c.g, c.b), c.h);
    EXPECT_EQ(IntensityOf(c.r, c.g, c.b), c.i);
}

INSTANTIATE_TEST_SUITE_P(Colours, Forward, ::testing::ValuesIn(kForward), CaseName{});

}  // namespace

TEST(Forward, QuotedDecimals)
{
    // The leading digits as they are usually quoted: 119.99972..., 240.00027..., 179.99958...
    auto digits = [](double v) { return std::floor(v * 1e5) / 1e5; };
    EXPECT_EQ(digits(HueOf(0, 255, 0)), 119.99972);
    EXPECT_EQ(digits(HueOf(0, 0, 255)), 240.00027);
    EXPECT_EQ(digits(HueOf(0, 255, 255)), 179.99958);
}

TEST(Forward, AnyZeroComponentWithColourHasFullSaturation)
{
    for (int a = 1; a < 256; a += 17)
        for (int b = 0; b < 256; b += 51) {
            EXPECT_EQ(SaturationOf(0, std::uint8_t(a), std::uint8_t(b)), 1.0);
            EXPECT_EQ(SaturationOf(std::uint8_t(b), 0, std::uint8_t(a)), 1.0);
            EXPECT_EQ(SaturationOf(std::uint8_t(a), std::uint8_t(b), 0), 1.0);
        }
}

TEST(Forward, RangesOverEveryColour)
{
    // Hue stays in [0, 360), saturation in [0, 1]; 2^24 colours are cheap.
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const double h = HueOf(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
                const double s = SaturationOf(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
                if (!(h >= 0.0 && h < 360.0 && s >= 0.0 && s <= 1.0))
                    FAIL() << r << "," << g << "," << b << " -> h " << h << " s " << s;
            }
}

TEST(Forward, WholeWorkspaceOverwritesEveryHsiSample)
{
    ResetPlanes();  // what a load leaves in H, S and I
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            R[x][y] = std::uint8_t(x);
            G[x][y] = std::uint8_t(y);
            B[x][y] = std::uint8_t(x + y);
        }
    ConvertRgbToHsi();
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const auto r = R[x][y], g = G[x][y], b = B[x][y];
            ASSERT_EQ(H[x][y], HueOf(r, g, b)) << x << "," << y;
            ASSERT_EQ(S[x][y], SaturationOf(r, g, b)) << x << "," << y;
            ASSERT_EQ(I[x][y], (r + g + b) / 3) << x << "," << y;
        }
}

namespace {

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Sample k of the workspace, in the planes' own order.
std::uint8_t& At(std::uint8_t (&plane)[PlaneWidth][PlaneHeight], int k)
{
    return plane[k / PlaneHeight][k % PlaneHeight];
}

}  // namespace

TEST(ForwardWorkspace, EveryColourGivesThePerColourResultsBitForBit)
{
    // The workspace conversion looks hues up in a table filled as colours need
    // it and computes saturation without a branch; over all 2^24 colours it
    // must give what HueOf, SaturationOf and IntensityOf give, to the bit.
    constexpr int Colours = 1 << 24;
    constexpr int Chunks = (Colours + PlaneSamples - 1) / PlaneSamples;
    static_assert(Chunks == 104);
    int wrong = 0;
    for (int chunk = 0; chunk < Chunks; ++chunk) {
        for (int k = 0; k < PlaneSamples; ++k) {
            const int colour = (chunk * PlaneSamples + k) % Colours;  // the last chunk wraps round to black
            At(R, k) = std::uint8_t(colour >> 16);
            At(G, k) = std::uint8_t(colour >> 8);
            At(B, k) = std::uint8_t(colour);
        }
        ConvertRgbToHsi();
        for (int x = 0; x < PlaneWidth; ++x)
            for (int y = 0; y < PlaneHeight; ++y) {
                const auto r = R[x][y], g = G[x][y], b = B[x][y];
                const bool same = Bits(H[x][y]) == Bits(HueOf(r, g, b)) &&
                                  Bits(S[x][y]) == Bits(SaturationOf(r, g, b)) && I[x][y] == IntensityOf(r, g, b);
                if (!same && ++wrong <= 5)
                    ADD_FAILURE() << "colour " << int(r) << "," << int(g) << "," << int(b) << ": H " << H[x][y]
                                  << " S " << S[x][y] << " I " << int(I[x][y]);
            }
    }
    EXPECT_EQ(wrong, 0);
}
