#pragma once
#include <cstdint>

// The packed colour panels take and give: 0x00BBGGRR, red in the low byte.
using TColor = std::uint32_t;

// What a canvas answers for a pixel outside its picture.
inline constexpr TColor clInvalidColor = 0xFFFFFFFFu;
