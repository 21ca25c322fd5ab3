// Splitting a frame into one, two or four power-of-two tiles, so a frame a
// little larger than a power of two does not cost a texture twice its size.
#pragma once

#include "textures/SprFrame.h"

// Fills the tile layout of frame from its width and height (each taken up to
// 1024); textures are left alone. Nothing is planned (tile count 0) for a
// frame without pixels.
void PlanFrameTiles(KSprFrame& frame);
