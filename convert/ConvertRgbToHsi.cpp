#include "convert/ConvertRgbToHsi.h"

#include <cmath>

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

void ConvertRgbToHsi()
{
    using namespace ChannelPlanes;
    // Each output depends only on its own sample, so the saturation, hue and
    // intensity passes are fused into one walk in the usual scan order.
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) {
            const std::uint8_t r = R[x][y], g = G[x][y], b = B[x][y];
            S[x][y] = SaturationOf(r, g, b);
            H[x][y] = HueOf(r, g, b);
            I[x][y] = IntensityOf(r, g, b);
        }
}
