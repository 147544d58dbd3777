// Before anything is timed: the fast paths give exactly what the baseline
// gives, planes and pictures, on every workload the benchmarks use.
#include <cstdio>
#include <cstring>

#include "bench/Baseline.h"
#include "bench/Suites.h"
#include "bench/Workloads.h"
#include "convert/ConvertHsiToRgb.h"
#include "convert/ConvertRgbToHsi.h"
#include "ui/Views.h"

namespace {

int Differences(const char* what, const char* workload, int variant, bool same)
{
    if (same) return 0;
    std::printf("check: %s differs from the baseline on %s/%d\n", what, workload, variant);
    return 1;
}

bool SamePlanes(const PlaneSnapshot& a, const PlaneSnapshot& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// One picture both ways round, first by the baseline, then by the fast paths.
int CheckOne(const char* name, int variant)
{
    static PlaneSnapshot before, expected, actual;
    TPicture baseView, fastView;
    TCanvas baseCanvas(*baseView.Bitmap, PlaneWidth, PlaneHeight);
    TCanvas fastCanvas(*fastView.Bitmap, PlaneWidth, PlaneHeight);
    int differences = 0;

    TakeSnapshot(before);
    BaselineConvertRgbToHsi();
    BaselinePaintHueView(baseCanvas);
    TakeSnapshot(expected);
    RestoreSnapshot(before);
    ConvertRgbToHsi();
    PaintHueView(fastCanvas);
    TakeSnapshot(actual);
    differences += Differences("the forward conversion", name, variant, SamePlanes(expected, actual));
    differences += Differences("the hue view", name, variant, *baseView.Bitmap == *fastView.Bitmap);

    BaselineConvertHsiToRgb();
    BaselinePaintReconstructionView(baseCanvas);
    TakeSnapshot(expected);
    RestoreSnapshot(actual);
    ConvertHsiToRgb();
    PaintReconstructionView(fastCanvas);
    TakeSnapshot(actual);
    differences += Differences("the inverse conversion", name, variant, SamePlanes(expected, actual));
    differences +=
        Differences("the reconstruction", name, variant, *baseView.Bitmap == *fastView.Bitmap);
    return differences;
}

}  // namespace

int CheckFastPaths()
{
    int differences = 0, pictures = 0;
    for (Workload w : {Workload::Photo, Workload::Noise, Workload::Jpeg})
        for (int variant = 0; variant < WorkloadVariants; ++variant)
            if (FillWorkload(w, variant)) {
                differences += CheckOne(WorkloadName(w), variant);
                ++pictures;
            }
    // What a load leaves before any forward pass: every plane at 255.
    ResetPlanes();
    static PlaneSnapshot loaded, expected;
    TakeSnapshot(loaded);
    BaselineConvertHsiToRgb();
    TakeSnapshot(expected);
    RestoreSnapshot(loaded);
    ConvertHsiToRgb();
    TakeSnapshot(loaded);
    differences += Differences("the inverse conversion", "planes at 255", 0, SamePlanes(expected, loaded));
    std::printf("check: %d pictures and the planes at 255, %d differences\n", pictures, differences);
    return differences;
}
