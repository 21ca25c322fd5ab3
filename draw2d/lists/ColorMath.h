// 32-bit ARGB helpers shared by group composition and light-grid tessellation.
#pragma once

#include <cstdint>

struct KArgbBytes {
    uint8_t a, r, g, b;
};

KArgbBytes SplitArgb(uint32_t colour);
uint32_t PackArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b);
// R, G and B of colour times the factor's R, G and B, each product >> 8;
// the colour's alpha stays.
uint32_t ModulateColor(uint32_t colour, uint32_t factor);
uint32_t ScaleColor(uint32_t colour, uint8_t r, uint8_t g, uint8_t b);
