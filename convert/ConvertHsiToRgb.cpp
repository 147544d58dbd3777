#include "convert/ConvertHsiToRgb.h"

#include <cmath>

#include "convert/StoreSample.h"
#include "convert/StrictFloat.h"
#include "workspace/ChannelPlanes.h"

namespace {

double CosDegrees(double a) { return std::cos(a * Pi / 180.0); }

// The three components of one sector, in the order (smallest, from the angle,
// third). Each is rounded to single precision once, when complete; the third is
// computed from the two rounded values.
void Sector(double a, double s, double i, float& smallest, float& fromAngle, float& third)
{
    smallest = static_cast<float>(i * (1.0 - s));
    fromAngle = static_cast<float>(i * (1.0 + s * CosDegrees(a) / CosDegrees(60.0 - a)));
    third = static_cast<float>(3.0 * i - (static_cast<double>(fromAngle) + static_cast<double>(smallest)));
}

}  // namespace

RgbReal HsiToRgbReal(double h, double s, std::uint8_t i8)
{
    const double i = i8;
    RgbReal c{};
    if (h < 120.0)
        Sector(h, s, i, c.b, c.r, c.g);
    else if (h < 240.0)
        Sector(h - 120.0, s, i, c.r, c.g, c.b);
    else
        Sector(h - 240.0, s, i, c.g, c.b, c.r);
    return c;
}

void ConvertHsiToRgb()
{
    using namespace ChannelPlanes;
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) {
            const RgbReal c = HsiToRgbReal(H[x][y], S[x][y], I[x][y]);
            R[x][y] = StoreSample(c.r);
            G[x][y] = StoreSample(c.g);
            B[x][y] = StoreSample(c.b);
        }
}
