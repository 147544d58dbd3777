#pragma once
#include <bit>
#include <cstdint>

// What the way back from HSI needs of a hue, which depends on the hue alone:
// the two cosines of the angle within its sector (a = h, h - 120 or h - 240,
// by the tests h < 120, h < 240 of HsiToRgbReal).
struct HueCosines {
    std::uint64_t key;  // the hue's bit pattern
    double cosAngle;    // cos(a * Pi / 180)
    double cosRest;     // cos((60 - a) * Pi / 180)
};

// Computes them as HsiToRgbReal does, for any double.
HueCosines CosinesOf(double hue);

// A direct-mapped cache of CosinesOf keyed by the hue's bits, so that equal
// hues, which pictures are full of, pay for their cosines once. Exact for any
// hue, NaN and infinities included: a slot is used only when its key matches.
inline constexpr int HueCosineSlotBits = 19;
inline constexpr int HueCosineSlots = 1 << HueCosineSlotBits;

// The cache, every slot valid (the first call fills all with the hue +0.0).
// Not for two threads at once, like the workspace it serves.
HueCosines* HueCosineCache();

inline const HueCosines& CachedCosines(HueCosines* cache, double hue)
{
    const std::uint64_t key = std::bit_cast<std::uint64_t>(hue);
    // Fibonacci hashing: the top bits of the product mix all bits of the hue.
    HueCosines& slot = cache[(key * 0x9E3779B97F4A7C15u) >> (64 - HueCosineSlotBits)];
    if (slot.key != key) slot = CosinesOf(hue);
    return slot;
}
