// Drawing a shape mesh with the module-wide draw parameters.
#include <cmath>
#include <cstring>

#include "shape/KShapeMesh.h"
#include "shape/ShapeDrawParams.h"
#include "shape/ShapeMaterialList.h"

namespace {

constexpr float kBillboardTurn = -1.5707963f;  // about x

void ToFloats(const D3DMATRIX& m, float* out) { std::memcpy(out, &m, 64); }
D3DMATRIX ToMatrix(const float* m) {
    D3DMATRIX out;
    std::memcpy(&out, m, 64);
    return out;
}

// diag(1, 1, -1, 1): the shape's z runs the other way.
constexpr float kZMirror[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};

void SetSamplersAndStages(IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    for (DWORD s = 0; s < 8; ++s) {
        device->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
        device->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
        device->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(s, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        device->SetTexture(s, nullptr);
    }
}

// A visibility of 0 to 1 as one byte (truncated).
DWORD VisibilityByte(float v) {
    if (!(v > 0.0f)) return 0;
    return v >= 1.0f ? 255 : DWORD(v * 255.0f);
}

// Blend states of a translucent material; false when it is not drawn.
bool SetTranslucentStates(IDirect3DDevice9* device, const char* name, float visibility) {
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    if (!name || !*name) return false;
    const DWORD level = VisibilityByte(visibility);
    if (name[0] == 'S' && name[1] == '_') {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
        if (visibility < 0.99f) {
            device->SetRenderState(D3DRS_TEXTUREFACTOR, level * 0x01010101u);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
        }
    } else {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        if (visibility < 0.99f) {
            device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x00FFFFFFu | level << 24);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        }
    }
    return true;
}

}  // namespace

void KShapeMesh::SetTransforms(IDirect3DDevice9* device) {
    const KShapeDrawParams& params = g_ShapeDrawParams;
    float world[16], mirrored[16];
    ToFloats(params.world, world);
    MatrixMultiply(currentMatrix, world, world);
    MatrixMultiply(world, kZMirror, mirrored);
    if (!(typeFlags & kShapeMeshBillboard)) {
        const D3DMATRIX m = ToMatrix(mirrored);
        device->SetTransform(D3DTS_WORLD, &m);
        return;
    }
    // A billboard folds everything into the view and draws with no world.
    const float turn[16] = {1, 0, 0, 0, 0, std::cos(kBillboardTurn), std::sin(kBillboardTurn), 0,
                            0, -std::sin(kBillboardTurn), std::cos(kBillboardTurn), 0, 0, 0, 0, 1};
    D3DMATRIX viewMatrix;
    device->GetTransform(D3DTS_VIEW, &viewMatrix);
    float view[16], folded[16];
    ToFloats(viewMatrix, view);
    MatrixMultiply(mirrored, turn, folded);
    MatrixMultiply(folded, view, folded);
    const float scale[16] = {params.scale[0], 0, 0, 0, 0, params.scale[1], 0, 0, 0, 0, params.scale[2], 0, 0, 0, 0, 1};
    MatrixMultiply(scale, folded, folded);
    const D3DMATRIX replaced = ToMatrix(folded);
    float identity[16];
    MatrixIdentity(identity);
    const D3DMATRIX none = ToMatrix(identity);
    device->SetTransform(D3DTS_VIEW, &replaced);
    device->SetTransform(D3DTS_WORLD, &none);
}

void KShapeMesh::DrawDrawables(const KShapeMaterialList& materials, IDirect3DDevice9* device, int frame) {
    const uint64_t n = vertices.count;
    const uint64_t base = uint64_t(verticesPerFrame) * uint64_t(frame);
    // Every vertex the indices reach from this frame's base must exist.
    const bool fits = base < n && base + indexSpan <= n;
    const float visibility = g_ShapeDrawParams.BlendVisibility();
    for (uint32_t i = 0; i < drawables.size() && i < primitives.count; ++i) {
        const KShapeDrawable& d = drawables[i];
        if (!d.indices) continue;
        const uint32_t word = primitives[i].material;
        const bool untextured = word & kPrimitiveNoMaterial;
        const uint32_t material = word & kPrimitiveMaterialMask;
        device->SetTexture(0, untextured ? nullptr : materials.Texture(material));
        device->SetIndices(d.indices);
        if (untextured || !materials.IsTranslucent(material)) {
            device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        } else if (!SetTranslucentStates(device, materials.Name(material), visibility)) {
            continue;
        }
        if (fits)
            device->DrawIndexedPrimitive(d.type, INT(base), d.minIndex, UINT(n - base), d.start, d.primitiveCount);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu);
    }
}

void KShapeMesh::Render(int frame, int materialFrame, const KShapeMaterialList& materials, IDirect3DDevice9* device) {
    if (!device || frame < 0 || materialFrame < 0) return;
    if (!vertexBuffer && !BuildBuffers(device)) return;
    if (frame != bufferFrame || materialFrame != bufferMaterialFrame) RewriteFrame(frame, materialFrame);
    SetSamplersAndStages(device);
    D3DMATRIX savedView;
    device->GetTransform(D3DTS_VIEW, &savedView);
    SetTransforms(device);
    device->SetStreamSource(0, vertexBuffer, 0, kShapeMeshVertexBytes);
    device->SetFVF(kShapeMeshFvf);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    DrawDrawables(materials, device, frame);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTransform(D3DTS_VIEW, &savedView);
}
