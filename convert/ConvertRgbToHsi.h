#pragma once
#include <cstdint>

// The three components of one 8-bit colour, exactly as the workspace holds them.
double SaturationOf(std::uint8_t r, std::uint8_t g, std::uint8_t b);
double HueOf(std::uint8_t r, std::uint8_t g, std::uint8_t b);
std::uint8_t IntensityOf(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// S, H and I of the whole workspace from its R, G and B, bit for bit what the
// functions above give; hues come from a table (convert/HueTable.h) whose
// entries are computed the first time a colour needs them.
void ConvertRgbToHsi();
