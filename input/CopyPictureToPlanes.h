#pragma once
#include "platform/Graphics.h"

// R, G and B of the whole workspace from the picture's top-left 423 x 384
// pixels; white where the picture ends. H, S and I are left alone.
void CopyPictureToPlanes(const TBitmap& picture);
