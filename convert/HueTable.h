#pragma once
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "convert/StrictFloat.h"

// The hue of an 8-bit colour depends only on u = r - g and v = r - b: HueOf
// computes theta from u + v and u*u - u*v + v*v, whole numbers held exactly,
// and takes 360 - theta when u > v (b > g). So theta is kept once per
// unordered pair, at (min(u, v), |u - v|), and is bit for bit what HueOf gives.
//
// Each entry is computed the first time a colour needs it: a picture pays
// only for the pairs it holds, and memory no picture reaches is never touched.
// Not for two threads at once, like the workspace it serves.
namespace HueTable {

inline constexpr int Gaps = 256;              // |u - v| = |g - b| <= 255
inline constexpr int Entries = 511 * Gaps;    // min(u, v) in [-255, 255]: 1 MiB

// -theta once computed. theta is +0 (grays) or an arc cosine in degrees,
// never negative and never -0, so an entry whose bits are all zero, as static
// storage starts, is one not yet computed.
extern double negatedTheta[Entries];

// Computes the entry of (low, low + gap) through HueOf, stores it, returns theta.
double Fill(int low, int gap);

inline double Theta(int low, int gap)
{
    const double stored = negatedTheta[(low + 255) * Gaps + gap];
    if (std::bit_cast<std::uint64_t>(stored) == 0) return Fill(low, gap);
    return -stored;
}

}  // namespace HueTable

// HueOf(r, g, b) from u = r - g and v = r - b.
inline double TabledHue(int u, int v)
{
    const double theta = HueTable::Theta(u < v ? u : v, std::abs(u - v));
    // Both results, then one picked by a mask: b <= g is as often false as
    // true in a picture, too often for a branch to guess.
    const std::uint64_t mirrored = 0 - static_cast<std::uint64_t>(u > v);
    return std::bit_cast<double>((std::bit_cast<std::uint64_t>(theta) & ~mirrored) |
                                 (std::bit_cast<std::uint64_t>(360.0 - theta) & mirrored));
}
