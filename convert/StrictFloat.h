#pragma once
// The conversions must be exact to the bit. Refuse to compile them where the
// compiler may reassociate, contract a*b+c into one rounding, or keep
// intermediates in wider registers. The build also passes -ffp-contract=off.
#include <cfloat>

#if defined(__FAST_MATH__)
#error "the colour conversions must not be built with -ffast-math"
#endif
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD != 0
#error "the colour conversions need float and double evaluated in their own precision (SSE2, not x87)"
#endif
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

// 3.1416 held in single precision, as the program has always used it.
inline constexpr double Pi = static_cast<double>(3.1416f);
