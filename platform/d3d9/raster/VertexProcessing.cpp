#include "d3d9/raster/VertexProcessing.h"

#include <cmath>
#include <cstring>

#include "d3d9/raster/VertexLighting.h"

namespace raster {

DMatrix ToDouble(const Matrix& m) {
    DMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.m[r][c] = m.m[r][c];
    return out;
}

DMatrix Multiply(const DMatrix& a, const DMatrix& b) {
    DMatrix out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[r][k] * b.m[k][c];
            out.m[r][c] = sum;
        }
    return out;
}

namespace {

void TransformRow(const double in[4], const DMatrix& m, double out[4]) {
    for (int c = 0; c < 4; ++c) out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + in[3] * m.m[3][c];
}

bool StreamFits(const StreamView& stream, uint32_t vertex, uint32_t offset, int bytes) {
    if (!stream.data) return false;
    const uint64_t start = uint64_t(vertex) * stream.stride + offset;
    return start + uint64_t(bytes) <= stream.size;
}

// Reads one element as four floats; absent components are 0 (w 1).
bool ReadElement(const VertexSetup& setup, const AttributeSlot& slot, uint32_t vertex, float out[4]) {
    const StreamView& stream = setup.streams[slot.stream];
    const int bytes = DeclTypeSize(slot.type);
    if (!StreamFits(stream, vertex, slot.offset, bytes)) return false;
    const uint8_t* p = stream.data + uint64_t(vertex) * stream.stride + slot.offset;
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

// The raw ARGB of a colour element, kept exact for 8-bit colours.
bool ReadColour(const VertexSetup& setup, const AttributeSlot& slot, uint32_t vertex, float out[4]) {
    if (slot.type == D3DDECLTYPE_D3DCOLOR) {
        const StreamView& stream = setup.streams[slot.stream];
        if (!StreamFits(stream, vertex, slot.offset, 4)) return false;
        const uint8_t* p = stream.data + uint64_t(vertex) * stream.stride + slot.offset;
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
        out[3] = p[3];
        return true;
    }
    if (!ReadElement(setup, slot, vertex, out)) return false;
    for (int i = 0; i < 4; ++i) out[i] *= 255.0f;
    return true;
}

// World-space position (and normal) after vertex blending.
void BlendToWorld(const VertexSetup& setup, const float pos[3], const float weights[4], const float indices[4],
                  const float normal[3], double worldPos[4], double worldNormal[3]) {
    int matrices = 1;
    if (setup.vertexBlend >= 1 && setup.vertexBlend <= 3) matrices = int(setup.vertexBlend) + 1;
    const double in[4] = {pos[0], pos[1], pos[2], 1.0};
    double remaining = 1.0;
    worldPos[0] = worldPos[1] = worldPos[2] = worldPos[3] = 0.0;
    worldNormal[0] = worldNormal[1] = worldNormal[2] = 0.0;
    for (int i = 0; i < matrices; ++i) {
        const double w = (i == matrices - 1) ? remaining : double(weights[i]);
        remaining -= w;
        int index = setup.indexedBlend ? int(indices[i]) : i;
        DMatrix fromPalette;
        const DMatrix* chosen;
        if (setup.indexedBlend && setup.palette && index >= 0 && uint32_t(index) < setup.paletteCount) {
            fromPalette = ToDouble(setup.palette[index]);
            chosen = &fromPalette;
        } else {
            chosen = &setup.world[index >= 0 && index < kMaxBlendMatrices ? index : 0];
        }
        const DMatrix& m = *chosen;
        double p[4];
        TransformRow(in, m, p);
        for (int c = 0; c < 4; ++c) worldPos[c] += w * p[c];
        for (int c = 0; c < 3; ++c)
            worldNormal[c] += w * (normal[0] * m.m[0][c] + normal[1] * m.m[1][c] + normal[2] * m.m[2][c]);
    }
}

void GenerateCoordinates(const StageCoordinates& st, const double cameraPos[4], const double cameraNormal[3],
                         double out[4]) {
    switch (st.generate) {
        case D3DTSS_TCI_CAMERASPACENORMAL:
            out[0] = cameraNormal[0];
            out[1] = cameraNormal[1];
            out[2] = cameraNormal[2];
            out[3] = 1.0;
            break;
        case D3DTSS_TCI_CAMERASPACEPOSITION:
            out[0] = cameraPos[0];
            out[1] = cameraPos[1];
            out[2] = cameraPos[2];
            out[3] = 1.0;
            break;
        default: {  // reflection of the eye vector about the normal
            double e[3] = {cameraPos[0], cameraPos[1], cameraPos[2]};
            const double len = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
            if (len > 0) for (double& c : e) c /= len;
            const double d = e[0] * cameraNormal[0] + e[1] * cameraNormal[1] + e[2] * cameraNormal[2];
            for (int c = 0; c < 3; ++c) out[c] = e[c] - 2.0 * d * cameraNormal[c];
            out[3] = 1.0;
            break;
        }
    }
}

}  // namespace

bool BuildVertexSetup(const DrawCommand& draw, int stageCount, VertexSetup& out) {
    out = VertexSetup{};
    const bool ok = draw.declaration ? LayoutFromDeclaration(draw.declaration, out.layout)
                                     : LayoutFromFvf(draw.fvf, out.layout);
    if (!ok) return false;
    for (int s = 0; s < kMaxStreams; ++s) {
        const uint32_t need = out.layout.streamBytes[s];
        if (need == 0) continue;
        if (!draw.streams[s].data || draw.streams[s].stride < need) return false;
    }
    out.streams = draw.streams;
    out.pretransformed = out.layout.pretransformed;
    const StateBlock& st = *draw.states;
    out.stageCount = stageCount;
    for (int s = 0; s < stageCount; ++s) {
        StageCoordinates& sc = out.stages[s];
        const uint32_t index = st.stage[s][D3DTSS_TEXCOORDINDEX];
        sc.sourceSet = int(index & 0xFFFF) % kMaxStages;
        sc.generate = out.pretransformed ? 0 : (index & 0xFFFF0000u);
        sc.transformFlags = out.pretransformed ? uint32_t(D3DTTFF_DISABLE) : st.stage[s][D3DTSS_TEXTURETRANSFORMFLAGS];
        sc.transform = ToDouble(st.texture[s]);
        if (sc.generate) out.needsCameraSpace = true;
    }
    if (out.pretransformed) return true;  // no transforms or lighting
    for (int i = 0; i < kMaxBlendMatrices; ++i) out.world[i] = ToDouble(st.world[i]);
    out.palette = st.worldPalette;
    out.paletteCount = st.worldPaletteCount;
    out.view = ToDouble(st.view);
    out.viewProjection = Multiply(out.view, ToDouble(st.projection));
    out.vertexBlend = st.render[D3DRS_VERTEXBLEND];
    out.indexedBlend = st.render[D3DRS_INDEXEDVERTEXBLENDENABLE] != 0;
    out.lighting = st.render[D3DRS_LIGHTING] != 0;
    return true;
}

bool ProcessVertex(const VertexSetup& setup, uint32_t vertex, ClipVertex& out) {
    const VertexLayout& layout = setup.layout;
    float pos[4];
    if (!ReadElement(setup, layout.position, vertex, pos)) return false;

    float diffuse[4] = {255, 255, 255, 255}, specular[4] = {0, 0, 0, 0};
    if (layout.diffuse.present && !ReadColour(setup, layout.diffuse, vertex, diffuse)) return false;
    if (layout.specular.present && !ReadColour(setup, layout.specular, vertex, specular)) return false;

    float sets[kMaxStages][4] = {};
    for (int set = 0; set < kMaxStages; ++set) {
        if (layout.texcoord[set].present && !ReadElement(setup, layout.texcoord[set], vertex, sets[set])) return false;
    }

    double cameraPos[4] = {0, 0, 0, 1}, cameraNormal[3] = {0, 0, 0};
    if (setup.pretransformed) {
        double rhw = pos[3];
        if (!std::isfinite(rhw) || rhw <= 0.0) rhw = 1.0;
        const double w = 1.0 / rhw;
        out.pos[0] = pos[0] * w;
        out.pos[1] = pos[1] * w;
        out.pos[2] = pos[2] * w;
        out.pos[3] = w;
        out.hasScreen = true;
        out.screen[0] = pos[0];
        out.screen[1] = pos[1];
        out.screen[2] = pos[2];
        out.screen[3] = rhw;
    } else {
        float weights[4] = {0, 0, 0, 0}, indices[4] = {0, 1, 2, 3}, normal[4] = {0, 0, 0, 0};
        if (layout.blendWeights.present && !ReadElement(setup, layout.blendWeights, vertex, weights)) return false;
        if (layout.blendIndices.present && !ReadElement(setup, layout.blendIndices, vertex, indices)) return false;
        if (layout.blendIndices.present && layout.blendIndices.type == D3DDECLTYPE_D3DCOLOR)
            for (float& i : indices) i *= 255.0f;
        if (layout.normal.present && !ReadElement(setup, layout.normal, vertex, normal)) return false;
        double worldPos[4], worldNormal[3];
        BlendToWorld(setup, pos, weights, indices, normal, worldPos, worldNormal);
        TransformRow(worldPos, setup.viewProjection, out.pos);
        out.hasScreen = false;
        if (setup.needsCameraSpace) {
            TransformRow(worldPos, setup.view, cameraPos);
            for (int c = 0; c < 3; ++c)
                cameraNormal[c] = worldNormal[0] * setup.view.m[0][c] + worldNormal[1] * setup.view.m[1][c] +
                                  worldNormal[2] * setup.view.m[2][c];
            const double len = std::sqrt(cameraNormal[0] * cameraNormal[0] + cameraNormal[1] * cameraNormal[1] +
                                         cameraNormal[2] * cameraNormal[2]);
            if (len > 0) for (double& c : cameraNormal) c /= len;
        }
        if (setup.lighting) LightVertex(diffuse, specular);
    }

    for (int c = 0; c < 4; ++c) {
        out.attr[kDiffuseR + c] = diffuse[c];
        out.attr[kSpecularR + c] = specular[c];
    }
    for (int s = 0; s < setup.stageCount; ++s) {
        const StageCoordinates& st = setup.stages[s];
        double coords[4];
        if (st.generate) {
            GenerateCoordinates(st, cameraPos, cameraNormal, coords);
        } else {
            const float* in = sets[st.sourceSet];
            const AttributeSlot& slot = layout.texcoord[st.sourceSet];
            const int dims = slot.present && slot.type <= D3DDECLTYPE_FLOAT4 ? slot.type - D3DDECLTYPE_FLOAT1 + 1 : 2;
            // Missing components: the first one after the given ones is 1.
            coords[0] = in[0];
            coords[1] = dims > 1 ? in[1] : 1.0;
            coords[2] = dims > 2 ? in[2] : (dims == 2 ? 1.0 : 0.0);
            coords[3] = dims > 3 ? in[3] : 0.0;
        }
        const uint32_t count = st.transformFlags & 0xFF;
        if (count != D3DTTFF_DISABLE) {
            double t[4];
            TransformRow(coords, st.transform, t);
            if ((st.transformFlags & D3DTTFF_PROJECTED) && count >= 2) {
                const double q = t[count - 1];
                if (q != 0.0) {
                    t[0] /= q;
                    t[1] /= q;
                }
            }
            coords[0] = t[0];
            coords[1] = t[1];
        }
        out.attr[kTexcoord0 + 2 * s] = float(coords[0]);
        out.attr[kTexcoord0 + 2 * s + 1] = float(coords[1]);
    }
    return true;
}

}  // namespace raster
