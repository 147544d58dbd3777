// hsi_bench_check [PICTURE.jpg]: the fast paths against Baseline.cpp, bit for
// bit, on every workload the benchmarks time (PICTURE is the "jpeg" one).
// Exit status 0 when all agree, 1 otherwise. bench/run.sh runs it first.
#include "bench/Suites.h"
#include "bench/Workloads.h"

int main(int argc, char** argv)
{
    if (argc > 1) BenchPicture() = argv[1];
    return CheckFastPaths() == 0 ? 0 : 1;
}
