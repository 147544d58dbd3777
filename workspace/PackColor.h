#pragma once
#include <cstdint>

#include "platform/TColor.h"

constexpr TColor PackColor(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return TColor{r} + 256u * g + 65536u * b;
}

// The top byte is ignored, so clInvalidColor unpacks to white.
constexpr std::uint8_t RedOf(TColor c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t GreenOf(TColor c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t BlueOf(TColor c) { return static_cast<std::uint8_t>(c >> 16); }
