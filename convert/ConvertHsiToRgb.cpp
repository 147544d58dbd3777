#include "convert/ConvertHsiToRgb.h"

#include <cmath>

#include "convert/HueCosines.h"
#include "convert/StoreSample.h"
#include "convert/StrictFloat.h"
#include "convert/WideVectors.h"
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

namespace {

// One column in two passes: the cosines of its hues from the cache first, then
// the arithmetic, which then has no calls or look-ups in the way of the
// compiler's vector instructions.
HSI_WIDE_VECTORS void ConvertColumn(HueCosines* cache, int x)
{
    using namespace ChannelPlanes;
    double cosAngle[PlaneHeight], cosRest[PlaneHeight];
    for (int y = 0; y < PlaneHeight; ++y) {
        const HueCosines& c = CachedCosines(cache, H[x][y]);
        cosAngle[y] = c.cosAngle;
        cosRest[y] = c.cosRest;
    }
    for (int y = 0; y < PlaneHeight; ++y) {
        const double h = H[x][y], s = S[x][y], i = I[x][y];
        // The arithmetic of HsiToRgbReal's Sector, operation for operation.
        const float smallest = static_cast<float>(i * (1.0 - s));
        const float fromAngle = static_cast<float>(i * (1.0 + s * cosAngle[y] / cosRest[y]));
        const float third =
            static_cast<float>(3.0 * i - (static_cast<double>(fromAngle) + static_cast<double>(smallest)));
        const std::uint8_t low = StoreSample(smallest), angle = StoreSample(fromAngle), rest = StoreSample(third);
        // HsiToRgbReal's sector tests; NaN fails both, as there.
        const bool redGreen = h < 120.0, greenBlue = !redGreen && h < 240.0;
        R[x][y] = redGreen ? angle : greenBlue ? low : rest;
        G[x][y] = redGreen ? rest : greenBlue ? angle : low;
        B[x][y] = redGreen ? low : greenBlue ? rest : angle;
    }
}

}  // namespace

void ConvertHsiToRgb()
{
    HueCosines* const cache = HueCosineCache();
    for (int x = 0; x < PlaneWidth; ++x) ConvertColumn(cache, x);
}
