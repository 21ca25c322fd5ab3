// Scaling A8R8G8B8 images, and the colour key.
#pragma once

#include "ImageTypes.h"

namespace d3dx {

// filter is a D3DX_FILTER_ value (its low byte decides; D3DX_DEFAULT means
// box). NONE copies the overlapping top-left part and leaves the rest
// transparent black; POINT takes the nearest texel; LINEAR interpolates;
// TRIANGLE, BOX and the default average the covered area when shrinking and
// interpolate when growing, per axis. Channels are filtered independently.
ArgbImage Resample(const ArgbImage& source, UINT width, UINT height, DWORD filter);

// Texels equal to key become transparent black. A key of 0 keys nothing.
void ApplyColourKey(ArgbImage* image, D3DCOLOR key);

// The filter part of a D3DX filter value: 1..5.
DWORD BaseFilter(DWORD filter);

}  // namespace d3dx
