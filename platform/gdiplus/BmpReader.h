// Uncompressed BMP files (24 and 32 bits a pixel, either row order). Every
// size and offset is checked against the bytes at hand before use.
#pragma once

#include <gdiplus.h>

#include <vector>

#include "gdiplus/DecodedImage.h"

namespace lumiva::gdiplus {

bool LooksLikeBmp(const std::vector<BYTE>& bytes);

// UnknownImageFormat when the bytes are no BMP, InvalidParameter when a BMP
// is malformed or of a kind not read here.
Gdiplus::Status ReadBmp(const std::vector<BYTE>& bytes, DecodedImage* image);

}  // namespace lumiva::gdiplus
