// Moving pixels from memory into device surfaces, shared by the surface and
// texture loaders.
#pragma once

#include "PixelFormat.h"
#include "d3d9.h"

namespace d3dx {

// Copies sourceRect of source into destRect of the surface (null: whole),
// keying, scaling and converting as needed. Same format, same size and no
// key copy the stored bytes (blocks stay as they are).
HRESULT LoadSurfaceFromView(IDirect3DSurface9* dest, const RECT* destRect, const SurfaceView& source,
                            const RECT& sourceRect, DWORD filter, D3DCOLOR colourKey);

// Writes a whole A8R8G8B8 image into destRect of the surface (null: whole).
HRESULT LoadSurfaceFromImage(IDirect3DSurface9* dest, const RECT* destRect, const ArgbImage& image, DWORD filter,
                             D3DCOLOR colourKey);

}  // namespace d3dx
