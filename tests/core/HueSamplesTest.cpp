#include <gtest/gtest.h>

#include <set>

#include "convert/ConvertRgbToHsi.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/HueSamples.h"

using namespace ChannelPlanes;

TEST(HueSamples, ReadsTheNinePointsInBoxOrder)
{
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) H[x][y] = x * 1000.0 + y;
    const auto h = ReadHueSamples();
    const double expected[9] = {100055, 60051, 10023, 50050, 14018, 14050, 20101, 25016, 25027};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(h[k], expected[k]) << "Edit" << k + 1;
}

TEST(HueSamples, PointsAreDistinctAndInTheTopLeftQuarter)
{
    std::set<std::pair<int, int>> seen;
    for (auto p : HueSamplePoints) {
        EXPECT_LT(p.x, PlaneWidth / 2);
        EXPECT_LT(p.y, PlaneHeight / 2);
        EXPECT_TRUE(seen.insert({p.x, p.y}).second);
    }
}

TEST(HueSamples, AfterLoadAndAfterGrayConversion)
{
    ResetPlanes();
    for (double h : ReadHueSamples()) EXPECT_EQ(h, 255.0);
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) R[x][y] = G[x][y] = B[x][y] = std::uint8_t(y);
    ConvertRgbToHsi();
    for (double h : ReadHueSamples()) EXPECT_EQ(h, 0.0);
}
