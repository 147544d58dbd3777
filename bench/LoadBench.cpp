// Opening a picture as 開啟檔案 does, and its copy into the workspace alone.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/Suites.h"
#include "input/CopyPictureToPlanes.h"
#include "input/OpenPicture.h"

namespace {

void BenchLoad(benchmark::State& state, const std::string& file)
{
    TPicture source;  // kept, as the window's left panel is
    for (auto _ : state) LoadChosenPicture(JpegEntry, file, source);
    state.counters["picture_width"] = source.Bitmap->Width();
    state.counters["picture_height"] = source.Bitmap->Height();
}

void BenchCopy(benchmark::State& state, const std::string& file)
{
    TPicture source;
    LoadChosenPicture(JpegEntry, file, source);
    for (auto _ : state) CopyPictureToPlanes(*source.Bitmap);
}

}  // namespace

void RegisterLoadBenchmarks(const std::vector<std::string>& pictures)
{
    for (const std::string& file : pictures) {
        const std::string name = std::filesystem::path(file).filename().string();
        benchmark::RegisterBenchmark(("Load/LoadChosenPicture/" + name).c_str(), BenchLoad, file)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("Load/CopyPictureToPlanes/" + name).c_str(), BenchCopy, file)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}
