#include "draw2d/lists/ColorMath.h"

KArgbBytes SplitArgb(uint32_t colour) {
    return KArgbBytes{uint8_t(colour >> 24), uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
}

uint32_t PackArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

uint32_t ScaleColor(uint32_t colour, uint8_t r, uint8_t g, uint8_t b) {
    const KArgbBytes c = SplitArgb(colour);
    return PackArgb(c.a, uint8_t((c.r * r) >> 8), uint8_t((c.g * g) >> 8), uint8_t((c.b * b) >> 8));
}
