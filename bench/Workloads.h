#pragma once
#include <cstdint>
#include <string>

#include "workspace/ChannelPlanes.h"

// What the conversions are measured on: R, G and B of the workspace.
enum class Workload {
    Photo,  // smooth colour fields with edges and a little noise, like a photograph's corner
    Noise,  // every sample an independent random colour: the worst case for tables and caches
    Jpeg,   // the top-left corner of BenchPicture(), loaded as the window loads a JPEG
};

const char* WorkloadName(Workload w);

// Fills R, G and B; `variant` picks one of several different pictures of the
// kind (for Jpeg, the picture mirrored or its channels rotated), so that
// consecutive runs do not see the same hues. False when Jpeg has no picture.
bool FillWorkload(Workload w, int variant);
// How many variants the benchmarks cycle through and the check covers.
inline constexpr int WorkloadVariants = 4;

// The JPEG file of the Jpeg workload ("" if none); a function, so that it can
// be set before main.
std::string& BenchPicture();

// A copy of all six planes, to restore between timed runs.
struct PlaneSnapshot {
    std::uint8_t r[PlaneWidth][PlaneHeight], g[PlaneWidth][PlaneHeight], b[PlaneWidth][PlaneHeight];
    double h[PlaneWidth][PlaneHeight], s[PlaneWidth][PlaneHeight];
    std::uint8_t i[PlaneWidth][PlaneHeight];
};
void TakeSnapshot(PlaneSnapshot& snapshot);
void RestoreSnapshot(const PlaneSnapshot& snapshot);

// How many different bit patterns the H plane holds.
int DistinctHues();
