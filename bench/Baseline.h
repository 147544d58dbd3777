#pragma once
#include "platform/Graphics.h"

// The straightforward per-pixel implementations that the program's fast
// paths replaced: what the benchmarks measure them against, and what
// hsi_bench --check compares their results with.

// S, H and I through SaturationOf, HueOf and IntensityOf, sample by sample.
void BaselineConvertRgbToHsi();
// R, G and B through HsiToRgbReal and StoreSample, sample by sample.
void BaselineConvertHsiToRgb();
// The two views drawn one SetPixel at a time.
void BaselinePaintHueView(TCanvas& canvas);
void BaselinePaintReconstructionView(TCanvas& canvas);
