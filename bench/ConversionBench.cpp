// Each conversion with the painting of its view, as one click of the window
// does it, against the straightforward per-pixel code in Baseline.cpp.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/Baseline.h"
#include "bench/Clicks.h"
#include "bench/Suites.h"
#include "bench/Workloads.h"

namespace {

// The workspace of a picture after its forward conversion (the baseline's,
// so that no table of the program's is touched before it is timed).
const PlaneSnapshot* Prepared(Workload w, int variant)
{
    static std::map<std::pair<Workload, int>, std::unique_ptr<PlaneSnapshot>> prepared;
    auto& slot = prepared[{w, variant}];
    if (!slot) {
        if (!FillWorkload(w, variant)) return nullptr;
        BaselineConvertRgbToHsi();
        slot = std::make_unique<PlaneSnapshot>();
        TakeSnapshot(*slot);
    }
    return slot.get();
}

using Click = void (*)();

// Times click() per iteration, each on the next of `variants` pictures, as a
// user opening one picture after another would: a cache warmed by the
// previous pictures helps only as much as they share hues (variants = 1: the
// same picture every time).
void Run(benchmark::State& state, Workload w, Click click, int variants)
{
    std::vector<const PlaneSnapshot*> pictures;
    for (int v = 0; v < variants; ++v) pictures.push_back(Prepared(w, v));
    if (!pictures[0]) {
        state.SkipWithError("no picture: set HSI_BENCH_PICTURES");
        return;
    }
    RestoreSnapshot(*pictures[0]);
    state.counters["distinct_hues"] = DistinctHues();
    int next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RestoreSnapshot(*pictures[next++ % variants]);
        state.ResumeTiming();
        click();
    }
}

void Register(const std::string& name, Workload w, Click click, int variants = WorkloadVariants)
{
    benchmark::RegisterBenchmark((name + "/" + WorkloadName(w)).c_str(), Run, w, click, variants)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

}  // namespace

void RegisterConversionBenchmarks()
{
    for (Workload w : {Workload::Photo, Workload::Noise, Workload::Jpeg}) {
        if (w == Workload::Jpeg && BenchPicture().empty()) continue;
        Register("Forward/Baseline", w, BaselineForwardClick);
        Register("Forward/Fast", w, FastForwardClick);
        Register("Inverse/Baseline", w, BaselineInverseClick);
        Register("Inverse/Fast", w, FastInverseClick);
        Register("Inverse/FastSamePicture", w, FastInverseClick, 1);
    }
}
