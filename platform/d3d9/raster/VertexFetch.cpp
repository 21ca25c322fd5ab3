#include "d3d9/raster/VertexFetch.h"

#include <cmath>
#include <cstring>

namespace raster {

namespace {

const uint8_t* ElementBytes(const StreamView* streams, const AttributeSlot& slot, uint32_t vertex, int bytes) {
    const StreamView& stream = streams[slot.stream];
    if (!stream.data || bytes == 0) return nullptr;
    const uint64_t start = uint64_t(vertex) * stream.stride + slot.offset;
    if (start + uint64_t(bytes) > stream.size) return nullptr;
    return stream.data + start;
}

}  // namespace

bool ReadConvertedElement(const StreamView* streams, const AttributeSlot& slot, uint32_t vertex, float out[4]) {
    const int bytes = DeclTypeSize(slot.type);
    const uint8_t* p = ElementBytes(streams, slot, vertex, bytes);
    if (!p) return false;
    out[0] = out[1] = out[2] = 0.0f;
    out[3] = 1.0f;
    switch (slot.type) {
        case D3DDECLTYPE_FLOAT1:
        case D3DDECLTYPE_FLOAT2:
        case D3DDECLTYPE_FLOAT3:
        case D3DDECLTYPE_FLOAT4: std::memcpy(out, p, size_t(bytes)); break;
        case D3DDECLTYPE_D3DCOLOR:
            out[0] = p[2] / 255.0f;
            out[1] = p[1] / 255.0f;
            out[2] = p[0] / 255.0f;
            out[3] = p[3] / 255.0f;
            break;
        case D3DDECLTYPE_UBYTE4:
            for (int i = 0; i < 4; ++i) out[i] = p[i];
            break;
        case D3DDECLTYPE_UBYTE4N:
            for (int i = 0; i < 4; ++i) out[i] = p[i] / 255.0f;
            break;
        case D3DDECLTYPE_SHORT2:
        case D3DDECLTYPE_SHORT4:
        case D3DDECLTYPE_SHORT2N:
        case D3DDECLTYPE_SHORT4N: {
            const int n = bytes / 2;
            const bool norm = slot.type == D3DDECLTYPE_SHORT2N || slot.type == D3DDECLTYPE_SHORT4N;
            for (int i = 0; i < n; ++i) {
                int16_t v;
                std::memcpy(&v, p + 2 * i, 2);
                out[i] = norm ? std::fmax(-1.0f, v / 32767.0f) : float(v);
            }
            break;
        }
        case D3DDECLTYPE_USHORT2N:
        case D3DDECLTYPE_USHORT4N: {
            const int n = bytes / 2;
            for (int i = 0; i < n; ++i) {
                uint16_t v;
                std::memcpy(&v, p + 2 * i, 2);
                out[i] = v / 65535.0f;
            }
            break;
        }
        default: return false;
    }
    return true;
}

bool ReadColour(const StreamView* streams, const AttributeSlot& slot, uint32_t vertex, float out[4]) {
    if (slot.type == D3DDECLTYPE_D3DCOLOR) {
        const uint8_t* p = ElementBytes(streams, slot, vertex, 4);
        if (!p) return false;
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
        out[3] = p[3];
        return true;
    }
    if (!ReadElement(streams, slot, vertex, out)) return false;
    for (int i = 0; i < 4; ++i) out[i] *= 255.0f;
    return true;
}

}  // namespace raster
