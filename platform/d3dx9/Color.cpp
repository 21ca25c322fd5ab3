// Float colours and their conversion to and from 32-bit ARGB.
#include "d3dx9math.h"

namespace {

float ChannelToFloat(DWORD argb, int shift) { return float((argb >> shift) & 0xFF) * (1.0f / 255.0f); }

DWORD FloatToChannel(float v) {
    if (!(v > 0.0f)) return 0;  // also NaN
    if (v >= 1.0f) return 255;
    return DWORD(v * 255.0f + 0.5f);
}

}  // namespace

D3DXCOLOR::D3DXCOLOR(DWORD argb)
    : r(ChannelToFloat(argb, 16)),
      g(ChannelToFloat(argb, 8)),
      b(ChannelToFloat(argb, 0)),
      a(ChannelToFloat(argb, 24)) {}

D3DXCOLOR::operator DWORD() const {
    return (FloatToChannel(a) << 24) | (FloatToChannel(r) << 16) | (FloatToChannel(g) << 8) | FloatToChannel(b);
}

D3DXCOLOR* D3DXColorAdd(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b) {
    *out = *a + *b;
    return out;
}

D3DXCOLOR* D3DXColorSubtract(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b) {
    *out = *a - *b;
    return out;
}

D3DXCOLOR* D3DXColorScale(D3DXCOLOR* out, const D3DXCOLOR* c, float s) {
    *out = *c * s;
    return out;
}

D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b) {
    *out = D3DXCOLOR(a->r * b->r, a->g * b->g, a->b * b->b, a->a * b->a);
    return out;
}

D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b, float t) {
    *out = D3DXCOLOR(a->r + t * (b->r - a->r), a->g + t * (b->g - a->g), a->b + t * (b->b - a->b),
                     a->a + t * (b->a - a->a));
    return out;
}

D3DXCOLOR* D3DXColorNegative(D3DXCOLOR* out, const D3DXCOLOR* c) {
    *out = D3DXCOLOR(1.0f - c->r, 1.0f - c->g, 1.0f - c->b, c->a);
    return out;
}

D3DXCOLOR* D3DXColorAdjustSaturation(D3DXCOLOR* out, const D3DXCOLOR* c, float s) {
    float grey = c->r * 0.2125f + c->g * 0.7154f + c->b * 0.0721f;
    *out = D3DXCOLOR(grey + s * (c->r - grey), grey + s * (c->g - grey), grey + s * (c->b - grey), c->a);
    return out;
}

D3DXCOLOR* D3DXColorAdjustContrast(D3DXCOLOR* out, const D3DXCOLOR* c, float s) {
    *out = D3DXCOLOR(0.5f + s * (c->r - 0.5f), 0.5f + s * (c->g - 0.5f), 0.5f + s * (c->b - 0.5f), c->a);
    return out;
}
