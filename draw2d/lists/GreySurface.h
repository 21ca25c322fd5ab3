// The caller-filled 8-bit grey image of a surface record, shown through one
// dynamic A8R8G8B8 texture. Grey 255 is the transparent key.
#pragma once

#include <d3d9.h>

#include <cstdint>

// Texel for one grey byte: (0, g, g, g) for 255, else (255, g, g, g).
uint32_t GreyTexel(uint8_t grey);

// Fills a surfaceWidth x surfaceHeight A8R8G8B8 area from a greyWidth x
// greyHeight image. The device may have grown the texture past the image:
// only the image is read, and texels beyond it are transparent.
void FillGreySurfaceTexels(uint8_t* bits, int pitch, int surfaceWidth, int surfaceHeight, const uint8_t* grey,
                           int greyWidth, int greyHeight);

// Replaces *texture (released first) with a new texture showing the image;
// null when the size is not positive, the pixels are missing or the texture
// cannot be made or locked.
void RebuildGreySurfaceTexture(IDirect3DDevice9* device, IDirect3DTexture9** texture, const uint8_t* grey, int width,
                               int height);
