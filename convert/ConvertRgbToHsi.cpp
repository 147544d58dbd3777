#include "convert/ConvertRgbToHsi.h"

#include <algorithm>
#include <cmath>

#include "convert/HueTable.h"
#include "convert/StrictFloat.h"
#include "workspace/ChannelPlanes.h"

double SaturationOf(std::uint8_t r8, std::uint8_t g8, std::uint8_t b8)
{
    const double r = r8, g = g8, b = b8;
    const double m = std::fmin(std::fmin(r, g), b);
    const double sum = r + g + b;
    if (sum == 0.0) return 0.0;
    return 1.0 - 3.0 * m / sum;
}

double HueOf(std::uint8_t r8, std::uint8_t g8, std::uint8_t b8)
{
    const double r = r8, g = g8, b = b8;
    const double d = (r - g) * (r - g) + (r - b) * (g - b);
    // d is 0 exactly for grays, where the angle is undefined and taken as 0.
    const double theta = d == 0.0 ? 0.0 : std::acos(((r - g) + (r - b)) * 0.5 / std::sqrt(d)) * 180.0 / Pi;
    return b <= g ? theta : 360.0 - theta;
}

std::uint8_t IntensityOf(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return static_cast<std::uint8_t>((r + g + b) / 3);
}

namespace {

// SaturationOf from the minimum and the sum, whole numbers: 1 - 3m / sum on
// the same exact doubles. Black (sum 0, so m 0) becomes 1 - 1/1, the 0 it must
// be, without a branch, so that the loop runs in vector instructions.
double SaturationFrom(int minimum, int sum)
{
    const int black = sum == 0;
    return 1.0 - static_cast<double>(3 * minimum + black) / static_cast<double>(sum + black);
}

}  // namespace

void ConvertRgbToHsi()
{
    using namespace ChannelPlanes;
    // Every output depends only on its own sample, so the walk follows the
    // planes' memory order. The hue, the costly one, is a table look-up;
    // saturation and intensity get a loop of their own, with no branch or
    // look-up in the way of vector instructions.
    for (int x = 0; x < PlaneWidth; ++x) {
        for (int y = 0; y < PlaneHeight; ++y) H[x][y] = TabledHue(R[x][y] - G[x][y], R[x][y] - B[x][y]);
        for (int y = 0; y < PlaneHeight; ++y) {
            const int r = R[x][y], g = G[x][y], b = B[x][y];
            const int sum = r + g + b;
            S[x][y] = SaturationFrom(std::min(std::min(r, g), b), sum);
            I[x][y] = static_cast<std::uint8_t>(sum / 3);
        }
    }
}
