// Runs alone in its own process: nothing may have touched the workspace yet.
#include <gtest/gtest.h>

#include <algorithm>

#include "workspace/ChannelPlanes.h"

TEST(InitialState, EveryPlaneHoldsZeroAtStart)
{
    using namespace ChannelPlanes;
    auto allZero = [](const auto& plane) {
        return std::all_of(&plane[0][0], &plane[0][0] + PlaneSamples, [](auto v) { return v == 0; });
    };
    EXPECT_TRUE(allZero(R));
    EXPECT_TRUE(allZero(G));
    EXPECT_TRUE(allZero(B));
    EXPECT_TRUE(allZero(H));
    EXPECT_TRUE(allZero(S));
    EXPECT_TRUE(allZero(I));
}
