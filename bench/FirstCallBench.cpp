// The first click of each kind in a process: the fast paths' hue table and
// cosine cache start cold, and the panel gets its picture. One iteration, so
// each is right only as the first click of a fresh process; bench/run.sh runs
// each alone, many times.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/Baseline.h"
#include "bench/Clicks.h"
#include "bench/Suites.h"
#include "bench/Workloads.h"

namespace {

using Click = void (*)();

void FirstClick(benchmark::State& state, Workload w, bool inverse, Click click)
{
    if (ClicksMade != 0) {
        state.SkipWithError("not the first click of this process: run it alone (--benchmark_filter)");
        return;
    }
    // What 開啟檔案 leaves: every plane written, then R, G and B from a picture.
    ResetPlanes();
    if (!FillWorkload(w, 0)) {
        state.SkipWithError("no picture: set HSI_BENCH_PICTURES");
        return;
    }
    if (inverse) BaselineConvertRgbToHsi();
    for (auto _ : state) click();
}

void Register(const std::string& name, Workload w, bool inverse, Click click)
{
    benchmark::RegisterBenchmark((name + "/" + WorkloadName(w)).c_str(), FirstClick, w, inverse, click)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
}

}  // namespace

void RegisterFirstCallBenchmarks()
{
    for (Workload w : {Workload::Photo, Workload::Noise, Workload::Jpeg}) {
        if (w == Workload::Jpeg && BenchPicture().empty()) continue;
        Register("FirstCall/Forward/Baseline", w, false, BaselineForwardClick);
        Register("FirstCall/Forward/Fast", w, false, FastForwardClick);
        Register("FirstCall/Inverse/Baseline", w, true, BaselineInverseClick);
        Register("FirstCall/Inverse/Fast", w, true, FastInverseClick);
    }
}
