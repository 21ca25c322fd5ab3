// DXT1, DXT3 and DXT5 blocks: 4 x 4 texels, row by row, as A8R8G8B8.
#pragma once

#include <cstdint>

#include "ImageTypes.h"

namespace d3dx {

void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t texels[16]);
void EncodeDxtBlock(D3DFORMAT format, const uint32_t texels[16], uint8_t* block);

}  // namespace d3dx
