#pragma once
#include <cstdint>

// The three components of one (h, s, i) in single precision, before storing:
// red, green, blue.
struct RgbReal {
    float r, g, b;
};
RgbReal HsiToRgbReal(double h, double s, std::uint8_t i);

// R, G and B of the whole workspace from its H, S and I, bit for bit what
// HsiToRgbReal and StoreSample give for any doubles in H and S; the cosines of
// each hue come from a cache (convert/HueCosines.h).
void ConvertHsiToRgb();
