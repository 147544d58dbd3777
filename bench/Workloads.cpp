#include "bench/Workloads.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <unordered_set>

#include "input/OpenPicture.h"

using namespace ChannelPlanes;

std::string& BenchPicture()
{
    static std::string file;
    return file;
}

namespace {

std::uint8_t Clamp8(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); }

// Three waves per channel and a hard diagonal edge, plus +-4 of noise.
void FillPhoto(int variant)
{
    std::mt19937 random(static_cast<unsigned>(1000 + variant));
    std::uniform_real_distribution<double> phase(0.0, 6.2832), noise(-4.0, 4.0);
    std::uint8_t (*planes[3])[PlaneHeight] = {R, G, B};
    for (auto* plane : planes) {
        const double p0 = phase(random), p1 = phase(random), p2 = phase(random);
        for (int x = 0; x < PlaneWidth; ++x)
            for (int y = 0; y < PlaneHeight; ++y) {
                double v = 128.0 + 60.0 * std::sin(x * 0.013 + p0) + 40.0 * std::sin(y * 0.021 + p1) +
                           20.0 * std::sin((x + y) * 0.05 + p2);
                if (x + 2 * y > 500 + 40 * variant) v = 255.0 - v;
                plane[x][y] = Clamp8(v + noise(random));
            }
    }
}

void FillNoise(int variant)
{
    std::mt19937 random(static_cast<unsigned>(2000 + variant));
    for (auto* plane : {&R, &G, &B})
        for (auto& column : *plane)
            for (auto& sample : column) sample = static_cast<std::uint8_t>(random());
}

bool FillJpeg(int variant)
{
    if (BenchPicture().empty()) return false;
    static PlaneSnapshot* loaded = nullptr;  // read once, reused for every variant
    if (!loaded) {
        TPicture picture;
        LoadChosenPicture(JpegEntry, BenchPicture(), picture);
        loaded = new PlaneSnapshot;
        TakeSnapshot(*loaded);
    }
    // Rotating the channels turns every hue by about 120 degrees; mirroring
    // moves them about.
    const std::uint8_t (*from[3])[PlaneHeight] = {loaded->r, loaded->g, loaded->b};
    std::uint8_t (*to[3])[PlaneHeight] = {R, G, B};
    const bool mirror = variant % 2 == 1;
    for (int c = 0; c < 3; ++c)
        for (int x = 0; x < PlaneWidth; ++x)
            std::memcpy(to[c][x], from[(c + variant) % 3][mirror ? PlaneWidth - 1 - x : x], PlaneHeight);
    return true;
}

}  // namespace

const char* WorkloadName(Workload w)
{
    switch (w) {
    case Workload::Photo: return "photo";
    case Workload::Noise: return "noise";
    case Workload::Jpeg: return "jpeg";
    }
    return "?";
}

bool FillWorkload(Workload w, int variant)
{
    switch (w) {
    case Workload::Photo: FillPhoto(variant); return true;
    case Workload::Noise: FillNoise(variant); return true;
    case Workload::Jpeg: return FillJpeg(variant);
    }
    return false;
}

void TakeSnapshot(PlaneSnapshot& snapshot)
{
    std::memcpy(snapshot.r, R, sizeof R);
    std::memcpy(snapshot.g, G, sizeof G);
    std::memcpy(snapshot.b, B, sizeof B);
    std::memcpy(snapshot.h, H, sizeof H);
    std::memcpy(snapshot.s, S, sizeof S);
    std::memcpy(snapshot.i, I, sizeof I);
}

void RestoreSnapshot(const PlaneSnapshot& snapshot)
{
    std::memcpy(R, snapshot.r, sizeof R);
    std::memcpy(G, snapshot.g, sizeof G);
    std::memcpy(B, snapshot.b, sizeof B);
    std::memcpy(H, snapshot.h, sizeof H);
    std::memcpy(S, snapshot.s, sizeof S);
    std::memcpy(I, snapshot.i, sizeof I);
}

int DistinctHues()
{
    std::unordered_set<std::uint64_t> seen;
    for (const auto& column : H)
        for (double h : column) {
            std::uint64_t bits;
            std::memcpy(&bits, &h, sizeof bits);
            seen.insert(bits);
        }
    return static_cast<int>(seen.size());
}
