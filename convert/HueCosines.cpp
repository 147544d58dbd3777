#include "convert/HueCosines.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cmath>

#include "convert/StrictFloat.h"

namespace {

// 12 MiB, so that the tens of thousands of hues of a picture, and those of
// the pictures before it, seldom meet in a slot: on a boundary of 2 MiB it
// fills six huge pages, which the first fill touches at the cost of six page
// faults instead of 3,072 (where the kernel grants them).
constexpr std::size_t HugePage = std::size_t{2} << 20;
alignas(HugePage) HueCosines cache_[HueCosineSlots];

}  // namespace

HueCosines CosinesOf(double hue)
{
    // The sector tests and the reductions of HsiToRgbReal, in its order.
    const int sector = hue < 120.0 ? 0 : hue < 240.0 ? 1 : 2;
    const double a = sector == 0 ? hue : sector == 1 ? hue - 120.0 : hue - 240.0;
    return {std::bit_cast<std::uint64_t>(hue), std::cos(a * Pi / 180.0), std::cos((60.0 - a) * Pi / 180.0)};
}

HueCosines* HueCosineCache()
{
    static const bool filled = (::madvise(cache_, sizeof cache_, MADV_HUGEPAGE),
                                std::fill_n(cache_, HueCosineSlots, CosinesOf(0.0)), true);
    (void)filled;
    return cache_;
}
