#pragma once
#include <string>

#include "platform/Graphics.h"

// The hue plane as shades of red: whole degrees, 255 and above at full red.
void PaintHueView(TCanvas& canvas);
// R, G and B as they stand.
void PaintReconstructionView(TCanvas& canvas);
// A hue sample as the readout boxes show it: whole degrees.
std::string HueText(double hue);
