#pragma once
#include <array>

struct HueSamplePoint {
    int x;
    int y;
};

// One point per readout box, Edit1 first.
inline constexpr std::array<HueSamplePoint, 9> HueSamplePoints{{
    {100, 55}, {60, 51}, {10, 23}, {50, 50}, {14, 18}, {14, 50}, {20, 101}, {25, 16}, {25, 27},
}};

// The H sample at each of HueSamplePoints, in their order.
std::array<double, 9> ReadHueSamples();
