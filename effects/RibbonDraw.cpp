// The ribbon's strip: a band of constant width around the line through its
// points, opaque at the head and fading toward the tail, drawn with the
// states it changes given back.
#include <cmath>

#include "draw2d/render/VertexBuilders.h"
#include "effects/KRibbon.h"
#include "shell/D3DDevice.h"
#include "textures/TextureManager.h"

namespace {

constexpr uint32_t kFewestDrawnPoints = 3;

// The render and stage-0 states a draw changes, read before it.
struct KRibbonSavedStates {
    explicit KRibbonSavedStates(IDirect3DDevice9* d) : device(d) {
        device->GetRenderState(D3DRS_SRCBLEND, &srcBlend);
        device->GetRenderState(D3DRS_DESTBLEND, &destBlend);
        device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
        for (int i = 0; i < 6; ++i) device->GetTextureStageState(0, kStages[i], &stages[i]);
        device->GetRenderState(D3DRS_TEXTUREFACTOR, &factor);
    }
    void Restore() const {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
        device->SetRenderState(D3DRS_CULLMODE, cull);
        device->SetTransform(D3DTS_WORLD, &world);
        for (int i = 0; i < 6; ++i) device->SetTextureStageState(0, kStages[i], stages[i]);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
        device->SetRenderState(D3DRS_SRCBLEND, srcBlend);
        device->SetRenderState(D3DRS_DESTBLEND, destBlend);
    }

    static constexpr D3DTEXTURESTAGESTATETYPE kStages[6] = {D3DTSS_ALPHAOP,  D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2,
                                                            D3DTSS_COLOROP,  D3DTSS_COLORARG1, D3DTSS_COLORARG2};
    IDirect3DDevice9* device;
    DWORD srcBlend = 0, destBlend = 0, blend = 0, factor = 0, cull = 0;
    DWORD stages[6] = {};
    D3DXMATRIX world{};
};

void AdvancePoints(KRibbon& ribbon, const D3DXVECTOR3& head, uint32_t now) {
    if (!ribbon.initialised) {
        ribbon.points.assign(ribbon.pointCount, head);
        ribbon.initialised = 1;
        ribbon.lastShiftTime = now;
    }
    if (now - ribbon.lastShiftTime <= ribbon.shiftInterval || ribbon.points.empty()) return;
    for (size_t k = ribbon.points.size() - 1; k > 0; --k) ribbon.points[k] = ribbon.points[k - 1];
    ribbon.points[0] = head;
    ribbon.lastShiftTime = now;
}

// Vertices 2i and 2i + 1: the two edge points around point i + 1, half the
// width away across the line from point i, at the head's height.
void WriteEdges(const KRibbon& ribbon, float z, KSceneVertex* v) {
    const uint32_t n = ribbon.pointCount;
    for (uint32_t i = 0; i + 1 < n; ++i) {
        const D3DXVECTOR3& a = ribbon.points[i];
        const D3DXVECTOR3& b = ribbon.points[i + 1];
        const float d = Distance2D(a.x, a.y, a.z, b.x, b.y);
        const float hx = std::fabs(a.y - b.y) * ribbon.width / 2.0f / d;
        const float hy = std::fabs(a.x - b.x) * ribbon.width / 2.0f / d;
        const float sy = (b.y < a.y) == (b.x > a.x) ? -hy : hy;
        v[2 * i].x = b.x + hx, v[2 * i].y = b.y - sy, v[2 * i].z = z;
        v[2 * i + 1].x = b.x - hx, v[2 * i + 1].y = b.y + sy, v[2 * i + 1].z = z;
    }
    for (uint32_t i = 0; i < n; ++i) {
        const auto fade = static_cast<DWORD>(static_cast<int>(float(i) / float(n) * 255.0f)) & 255;
        const DWORD colour = (255 - fade) << 24 | 0x00FFFFFF;
        const float along = float(i) / float(n - 1);
        v[2 * i].colour = v[2 * i + 1].colour = colour;
        v[2 * i].u = 0.0f, v[2 * i + 1].u = 1.0f;
        v[2 * i].v = v[2 * i + 1].v = along;
    }
}

void SetStripStates(IDirect3DDevice9* device, const KRibbon& ribbon) {
    if (ribbon.additive) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE4X);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, ribbon.textureFactor);
    }
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
}

}  // namespace

void DrawRibbon(KRibbon& ribbon, const D3DXVECTOR3& head) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    AdvancePoints(ribbon, head, timeGetTime());
    const uint32_t n = ribbon.pointCount;
    if (!device || !ribbon.vertexBuffer || n < kFewestDrawnPoints || ribbon.points.size() != n) return;

    void* bytes = nullptr;
    if (FAILED(ribbon.vertexBuffer->Lock(0, 0, &bytes, 0))) return;
    KRibbonSavedStates saved(device);
    device->GetTransform(D3DTS_WORLD, &saved.world);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    WriteEdges(ribbon, head.z + ribbon.heightOffset, static_cast<KSceneVertex*>(bytes));
    ribbon.vertexBuffer->Unlock();

    SetStripStates(device, ribbon);
    device->GetRenderState(D3DRS_CULLMODE, &saved.cull);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (g_pTextureManager) g_pTextureManager->SetTexture(0, ribbon.texture, 0);
    device->SetFVF(kSceneVertexFvf);
    device->SetStreamSource(0, ribbon.vertexBuffer, 0, sizeof(KSceneVertex));
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2 * n - 4);
    saved.Restore();
}
