// Building a texture from a decoded image file.
#pragma once

#include "ImageTypes.h"
#include "d3d9.h"

namespace d3dx {

HRESULT CreateTextureFromDecoded(IDirect3DDevice9* device, const DecodedImage& file, UINT width, UINT height,
                                 UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                 DWORD mipFilter, D3DCOLOR colourKey, IDirect3DTexture9** texture);

}  // namespace d3dx
