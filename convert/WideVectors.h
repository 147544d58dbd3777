#pragma once

// A loop of plain IEEE arithmetic built twice, for AVX2 and for any x86-64,
// the processor picking one when the program loads: the same operations on
// wider vectors give the same bits, and -ffp-contract=off keeps out fused
// multiply-adds either way.
// Defined empty beforehand (-DHSI_WIDE_VECTORS=), the loop is built once, for
// any x86-64, so that build can be tried on a processor with AVX2 too.
#ifndef HSI_WIDE_VECTORS
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define HSI_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define HSI_WIDE_VECTORS
#endif
#endif
