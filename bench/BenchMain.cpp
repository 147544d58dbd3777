// hsi_bench: Google Benchmark over the conversions, the views and the loads.
// HSI_BENCH_PICTURES=A.jpg:B.jpg names JPEG files for the load benchmarks;
// the first is also the "jpeg" workload of the conversions. Arguments are
// Google Benchmark's own (--benchmark_filter=... and so on).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/Suites.h"
#include "bench/Workloads.h"

namespace {

std::vector<std::string> PicturesFromEnvironment()
{
    std::vector<std::string> pictures;
    const char* list = std::getenv("HSI_BENCH_PICTURES");
    std::istringstream in(list ? list : "");
    for (std::string file; std::getline(in, file, ':');)
        if (!file.empty()) pictures.push_back(file);
    return pictures;
}

bool RegisterAll()
{
    const std::vector<std::string> pictures = PicturesFromEnvironment();
    if (!pictures.empty()) BenchPicture() = pictures.front();
    RegisterFirstCallBenchmarks();
    RegisterConversionBenchmarks();
    RegisterLoadBenchmarks(pictures);
    return true;
}

// Before main, which BENCHMARK_MAIN below defines, so in this order.
const bool registered = RegisterAll();

}  // namespace

BENCHMARK_MAIN();
