#include "workspace/ChannelPlanes.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstddef>

// The workspace's 3.1 MiB is first touched by ResetPlanes, and on a virtual
// machine each of its 794 small pages costs a fault of about 10 us: more than
// the rest of opening a photograph. Laid out in definition order (this file
// is compiled with -fno-toplevel-reorder) from a 2 MiB boundary and padded to
// 4 MiB, the six planes fill exactly two huge pages, which the kernel is asked
// to use. Where it declines, nothing changes but the cost.
namespace {
constexpr std::size_t HugePage = std::size_t{2} << 20;
}

namespace ChannelPlanes {
alignas(HugePage) double H[PlaneWidth][PlaneHeight];
double S[PlaneWidth][PlaneHeight];
std::uint8_t R[PlaneWidth][PlaneHeight];
std::uint8_t G[PlaneWidth][PlaneHeight];
std::uint8_t B[PlaneWidth][PlaneHeight];
std::uint8_t I[PlaneWidth][PlaneHeight];
}  // namespace ChannelPlanes

namespace {
constexpr std::size_t PlaneBytes = PlaneSamples * (2 * sizeof(double) + 4);
[[gnu::used]] std::uint8_t padding[2 * HugePage - PlaneBytes];

[[gnu::constructor]] void AskForHugePages()
{
    ::madvise(&ChannelPlanes::H, 2 * HugePage, MADV_HUGEPAGE);
}
}  // namespace

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
