#pragma once
#include <string>

#include "platform/Graphics.h"

// The views draw the workspace's 423 x 384 samples straight into the rows of
// the canvas's picture (cut to the picture if it is smaller), giving it the
// panel's size if it has none, and tell the panel once, not per pixel.

// The hue plane as shades of red: whole degrees, 255 and above at full red.
void PaintHueView(TCanvas& canvas);
// R, G and B as they stand.
void PaintReconstructionView(TCanvas& canvas);
// A hue sample as the readout boxes show it: whole degrees.
std::string HueText(double hue);
