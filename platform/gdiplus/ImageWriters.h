// Encoders behind the GDI+ codecs: each turns a decoded image into the
// bytes of a file.
#pragma once

#include <gdiplus.h>

#include <vector>

#include "gdiplus/DecodedImage.h"

namespace lumiva::gdiplus {

// Bottom-up 24-bit BMP with the image's resolution.
Gdiplus::Status WriteBmp(const DecodedImage& image, std::vector<BYTE>* out);

// Baseline JFIF through libjpeg-turbo; quality 0..100.
Gdiplus::Status WriteJpeg(const DecodedImage& image, int quality, std::vector<BYTE>* out);

// 8-bit RGB PNG through libpng.
Gdiplus::Status WritePng(const DecodedImage& image, std::vector<BYTE>* out);

}  // namespace lumiva::gdiplus
