#pragma once
#include <cmath>
#include <cstdint>

// A real value reaches an 8-bit plane truncated toward zero, keeping only the
// low eight bits of the whole number: 257.57 -> 1, -1.5 -> 255. Defined for any
// float: from 2^31 up every float is a whole multiple of 256, whose low byte is
// 0, and infinities and NaN store 0 as well.
inline std::uint8_t StoreSample(float v)
{
    if (!(std::fabs(v) < 2147483648.0f)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::int32_t>(v) & 0xFF);
}
