#include "shape/ShapeStrips.h"

uint32_t StripToList(const uint16_t* strip, uint32_t count, uint16_t* out) {
    uint32_t written = 0;
    for (uint32_t i = 0; i + 2 < count; ++i) {
        uint16_t a = strip[i], b = strip[i + 1];
        const uint16_t c = strip[i + 2];
        if (a == b || b == c || a == c) continue;
        if (i & 1) {
            const uint16_t t = a;
            a = b;
            b = t;
        }
        if (out) {
            out[written] = a;
            out[written + 1] = b;
            out[written + 2] = c;
        }
        written += 3;
    }
    return written;
}
