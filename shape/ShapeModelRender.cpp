// A shape model's draw: the depth quad, then the handed-over instance moved
// on by the time since its start, animated and drawn at detail 0 in the
// model's world.
#include <mmsystem.h>

#include "shape/KShapeInstance.h"
#include "shape/KShapeModel.h"
#include "shape/ShapeDrawParams.h"
#include "shell/ClientSettings.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr int32_t kQuadLimit = 512;  // widths and heights outside 0..512 draw 512
constexpr float kQuadDepth = 0.06f;
constexpr int32_t kDefaultDivisor = 1000;

struct KDepthQuadVertex {
    float x, y, z;
    D3DCOLOR colour;
};
static_assert(sizeof(KDepthQuadVertex) == 16);
constexpr DWORD kDepthQuadFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

float HalfExtent(int32_t extent) { return float(extent < 0 || extent > kQuadLimit ? kQuadLimit : extent) * 0.5f; }

}  // namespace

HRESULT KShapeModel::Render(KMaterial*, float, IDirect3DBaseTexture9*, BYTE) {
    if (quadSwitch) DrawDepthQuad();
    HRESULT result = E_FAIL;
    if (instance && device) {
        DrawInstance();
        result = 0;
    }
    instance = nullptr;
    // Every exit: the depth quad leaves its blending on.
    if (KShellServices* shell = ShellServices()) shell->SetDefaultRenderStates();
    return result;
}

void KShapeModel::DrawInstance() {
    D3DMATRIX world;
    device->GetTransform(D3DTS_WORLD, &world);
    g_ShapeDrawParams.world = world;
    g_ShapeDrawParams.scale[0] = scale.x;
    g_ShapeDrawParams.scale[1] = scale.y;
    g_ShapeDrawParams.scale[2] = scale.z;
    if (divisor < 1) divisor = kDefaultDivisor;
    const DWORD elapsed = timeGetTime() - startTime;
    instance->AdvanceTime(float(elapsed) / float(divisor));
    instance->Animate();
    instance->RenderDetail(0, nullptr, nullptr);
    device->SetTransform(D3DTS_WORLD, &world);
}

void KShapeModel::DrawDepthQuad() {
    KShellServices* shell = ShellServices();
    IDirect3DDevice9* target = shell ? shell->GetDevice() : nullptr;
    if (!target) return;
    int first = 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    auto* v = static_cast<KDepthQuadVertex*>(shell->LockDynamicVertices(4, sizeof(KDepthQuadVertex), &first, &buffer));
    if (!v) return;
    const float w = HalfExtent(quadWidth), h = HalfExtent(quadHeight);
    const float x = float(quadCentreX), y = float(quadCentreY);
    v[0] = {x - w, y - h, kQuadDepth, 0x00FF0000u};
    v[1] = {x + w, y - h, kQuadDepth, 0x0000FF00u};
    v[2] = {x - w, y + h, kQuadDepth, 0x000000FFu};
    v[3] = {x + w, y + h, kQuadDepth, 0x000000FFu};
    shell->UnlockDynamicVertices();
    target->SetStreamSource(0, buffer, 0, sizeof(KDepthQuadVertex));
    target->SetFVF(kDepthQuadFvf);
    target->SetRenderState(D3DRS_ZENABLE, TRUE);
    target->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    if (g_ShowDebugInfo) {
        target->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    } else {
        // Depth only: the colour stays as it was.
        target->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        target->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        target->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
    target->DrawPrimitive(D3DPT_TRIANGLESTRIP, UINT(first), 2);
}
