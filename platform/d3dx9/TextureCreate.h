// Fitting a texture request to the device's capabilities and formats.
#pragma once

#include "d3d9.h"

namespace d3dx {

// Adjusts size, level count and format in place: D3DX_DEFAULT or 0 sizes
// become 256, sizes are rounded to powers of two only when the device
// demands it, block formats to whole blocks, a format the device refuses
// to the nearest one it accepts.
HRESULT FitTextureRequest(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* levels, DWORD usage,
                          D3DFORMAT* format);

}  // namespace d3dx
