#include "workspace/ChannelPlanes.h"

#include <algorithm>

namespace ChannelPlanes {
std::uint8_t R[PlaneWidth][PlaneHeight];
std::uint8_t G[PlaneWidth][PlaneHeight];
std::uint8_t B[PlaneWidth][PlaneHeight];
double H[PlaneWidth][PlaneHeight];
double S[PlaneWidth][PlaneHeight];
std::uint8_t I[PlaneWidth][PlaneHeight];
}  // namespace ChannelPlanes

void ResetPlanes()
{
    using namespace ChannelPlanes;
    std::fill_n(&R[0][0], PlaneSamples, std::uint8_t{255});
    std::fill_n(&G[0][0], PlaneSamples, std::uint8_t{255});
    std::fill_n(&B[0][0], PlaneSamples, std::uint8_t{255});
    std::fill_n(&H[0][0], PlaneSamples, 255.0);
    std::fill_n(&S[0][0], PlaneSamples, 255.0);
    std::fill_n(&I[0][0], PlaneSamples, std::uint8_t{255});
}
