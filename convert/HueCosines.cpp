#include "convert/HueCosines.h"

#include <algorithm>
#include <cmath>

#include "convert/StrictFloat.h"

namespace {

HueCosines cache_[HueCosineSlots];

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
    static const bool filled = (std::fill_n(cache_, HueCosineSlots, CosinesOf(0.0)), true);
    (void)filled;
    return cache_;
}
