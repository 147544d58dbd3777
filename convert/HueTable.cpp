#include "convert/HueTable.h"

#include <algorithm>

#include "convert/ConvertRgbToHsi.h"
#include "convert/StrictFloat.h"

namespace HueTable {

double negatedTheta[Entries];

double Fill(int low, int gap)
{
    // Some colour with r - g = low and r - b = low + gap; b <= g there, so
    // HueOf gives theta itself.
    const int r = std::max(0, low + gap);
    const double theta = HueOf(std::uint8_t(r), std::uint8_t(r - low), std::uint8_t(r - low - gap));
    negatedTheta[(low + 255) * Gaps + gap] = -theta;
    return theta;
}

}  // namespace HueTable
