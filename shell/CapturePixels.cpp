#include "shell/CapturePixels.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t Load16(const uint8_t* at) { return uint16_t(at[0] | at[1] << 8); }

void Store16(uint8_t* at, uint16_t v) {
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}

// Bits widened by repeating their top bits, as the device decodes them.
uint32_t Widen(uint32_t value, int bits) { return (value << (8 - bits)) | (value >> (2 * bits - 8)); }

}  // namespace

int CapturePixelBytes(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            return 4;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            return 2;
        default:
            return 0;
    }
}

D3DCOLOR ReadCapturePixel(const uint8_t* at, D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8: {
            uint32_t v;
            std::memcpy(&v, at, 4);
            return v;
        }
        case D3DFMT_X8R8G8B8: {
            uint32_t v;
            std::memcpy(&v, at, 4);
            return v | 0xFF000000u;
        }
        case D3DFMT_R5G6B5: {
            uint32_t v = Load16(at);
            return 0xFF000000u | Widen(v >> 11, 5) << 16 | Widen((v >> 5) & 63, 6) << 8 | Widen(v & 31, 5);
        }
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            uint32_t v = Load16(at);
            uint32_t alpha = format == D3DFMT_X1R5G5B5 || (v & 0x8000) ? 0xFF000000u : 0;
            return alpha | Widen((v >> 10) & 31, 5) << 16 | Widen((v >> 5) & 31, 5) << 8 | Widen(v & 31, 5);
        }
        default:
            return 0;
    }
}

void WriteCapturePixel(uint8_t* at, D3DFORMAT format, D3DCOLOR c) {
    const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            std::memcpy(at, &c, 4);
            break;
        case D3DFMT_R5G6B5:
            Store16(at, uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3));
            break;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            Store16(at, uint16_t((c >> 31) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3));
            break;
        default:
            break;
    }
}

CaptureSpan ClipCaptureSpan(int origin, int length, int limit) {
    if (length <= 0) return CaptureSpan{0, 0};
    const int64_t first = std::max<int64_t>(0, -int64_t(origin));
    const int64_t last = std::min<int64_t>(length, int64_t(limit) - origin);
    return CaptureSpan{int(std::clamp<int64_t>(first, 0, length)), int(std::clamp<int64_t>(last, 0, length))};
}
