// A small DXT5 block coder for sprite fixtures: the farthest pair of colours
// and the alpha range as end points, nearest palette entries. A flat block
// comes back exactly when R5G6B5 holds its colour, a two-colour block when
// R5G6B5 holds both; other blocks come back approximately.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kDxt5BlockBytes = 16;

// One 4 x 4 block of 0xAARRGGBB pixels, row by row.
void EncodeDxt5Block(const uint32_t argb[16], uint8_t block[kDxt5BlockBytes]);
void DecodeDxt5Block(const uint8_t block[kDxt5BlockBytes], uint32_t argb[16]);

// A width x height image as block rows top to bottom, ceil(width / 4) blocks
// a row; pixels beyond the edges repeat the last column and row.
std::vector<uint8_t> EncodeDxt5(const uint32_t* argb, int width, int height);
// The reverse, into width x height pixels.
std::vector<uint32_t> DecodeDxt5(const uint8_t* blocks, int width, int height);
