// 32-bit ARGB helpers shared by group composition and the lists.
#pragma once

#include <cstdint>

struct KArgbBytes {
    uint8_t a, r, g, b;
};

KArgbBytes SplitArgb(uint32_t colour);
uint32_t PackArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b);
// R, G and B of colour times the factors, each product >> 8; alpha stays.
// ModulateColor (draw2d/scene/QuadStrip.h) does the same with a colour's.
uint32_t ScaleColor(uint32_t colour, uint8_t r, uint8_t g, uint8_t b);
