#pragma once
#include <cstdint>

inline constexpr int PlaneWidth = 423;
inline constexpr int PlaneHeight = 384;
inline constexpr int PlaneSamples = PlaneWidth * PlaneHeight;

// The one workspace of the process: six planes indexed [x][y], column-major,
// so sample (x, y) is element x * PlaneHeight + y. Static storage, zero at start.
// H and S hold reals so that a hue such as 119.99972 survives the round trip.
namespace ChannelPlanes {
extern std::uint8_t R[PlaneWidth][PlaneHeight];
extern std::uint8_t G[PlaneWidth][PlaneHeight];
extern std::uint8_t B[PlaneWidth][PlaneHeight];
extern double H[PlaneWidth][PlaneHeight];
extern double S[PlaneWidth][PlaneHeight];
extern std::uint8_t I[PlaneWidth][PlaneHeight];
}  // namespace ChannelPlanes

// Every sample of all six planes, H and S included, becomes 255.
void ResetPlanes();
