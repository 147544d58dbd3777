#include <gtest/gtest.h>

#include <algorithm>

#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"

using namespace ChannelPlanes;

TEST(ChannelPlanes, ResetFillsAllSixPlanesWith255)
{
    std::fill_n(&H[0][0], PlaneSamples, 1.5);
    std::fill_n(&R[0][0], PlaneSamples, std::uint8_t{7});
    ResetPlanes();
    auto all255 = [](const auto& plane) {
        return std::all_of(&plane[0][0], &plane[0][0] + PlaneSamples, [](auto v) { return v == 255; });
    };
    EXPECT_TRUE(all255(R));
    EXPECT_TRUE(all255(G));
    EXPECT_TRUE(all255(B));
    EXPECT_TRUE(all255(H));
    EXPECT_TRUE(all255(S));
    EXPECT_TRUE(all255(I));
}

TEST(ChannelPlanes, ColumnMajorLayout)
{
    static_assert(PlaneSamples == 162432);
    EXPECT_EQ(&R[422][383] - &R[0][0], 162431);
    EXPECT_EQ(&H[1][0] - &H[0][0], PlaneHeight);  // a column's samples lie together
    EXPECT_EQ(sizeof(R), std::size_t{162432});
}

TEST(PackColor, PacksRedLowAndUnpacksIgnoringTheTopByte)
{
    EXPECT_EQ(PackColor(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(PackColor(0, 255, 0), 0x00FF00u);
    EXPECT_EQ(PackColor(0, 0, 255), 0xFF0000u);
    EXPECT_EQ(PackColor(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(RedOf(0xFFFFFFFFu), 255);
    EXPECT_EQ(GreenOf(0xFFFFFFFFu), 255);
    EXPECT_EQ(BlueOf(0xFFFFFFFFu), 255);
    EXPECT_EQ(RedOf(0xAA563412u), 0x12);
    EXPECT_EQ(GreenOf(0xAA563412u), 0x34);
    EXPECT_EQ(BlueOf(0xAA563412u), 0x56);
}
