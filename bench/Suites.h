#pragma once
#include <string>
#include <vector>

// What hsi_bench and hsi_bench_check are made of, each in its own file.
void RegisterFirstCallBenchmarks();  // first, so that a full run's first one is right
void RegisterConversionBenchmarks();
void RegisterLoadBenchmarks(const std::vector<std::string>& pictures);
// Fast paths against Baseline.cpp on every workload, bit for bit: the number
// of differences found, each also printed.
int CheckFastPaths();
