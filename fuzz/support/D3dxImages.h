// What the D3DX image-file targets share: one software device for the
// process, the public load-from-memory calls, and seed images.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include "d3dx9/Codecs.h"
#include "d3dx9/ImageTypes.h"
#include "support/FuzzTarget.h"

namespace lumiva::fuzz {

// Reports the file's info, then makes a managed texture of it as the
// module's texture loads do (the full mip chain for small pictures).
void LoadD3dxImage(const uint8_t* data, size_t size);

// A width x height picture with varied colour and alpha.
d3dx::ArgbImage SeedPicture(UINT width, UINT height);

// A DDS file of format with levels mip levels, the first width x height.
Bytes SeedDds(D3DFORMAT format, UINT width, UINT height, UINT levels);

}  // namespace lumiva::fuzz
