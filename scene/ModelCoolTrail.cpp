// The cool trail: the model's recent positions, sampled at the shell's
// interval and drawn as upright quads that fade along the trail. Samples
// stay in time order, so the cap drops the oldest; the draw sorts a copy by
// y so the quads nearer the bottom of the screen come last.
#include <mmsystem.h>

#include <algorithm>
#include <vector>

#include "scene/KModel.h"
#include "shell/ClientSettings.h"
#include "textures/TextureManager.h"

namespace {

constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr float kDegreesPerRadian = 57.295776f;
constexpr float kHeadingOffsetDegrees = 630.0f;
constexpr float kFadeCut = 0.9f;

struct QuadVertex {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 24);

// Facing between 180 and 360 degrees, the trail fades from its first
// sorted sample; otherwise towards it.
float Fade(size_t i, size_t n, float facing) {
    const float f = facing > 180.0f && facing < 360.0f ? float(i) / float(n) : float(n - i) / float(n);
    return f;
}

void DrawQuad(IDirect3DDevice9* device, const D3DXVECTOR3& p, float halfWidth, float height, float fade) {
    const D3DCOLOR colour = DWORD(int(fade * 255.0f)) << 24 | 0xFFFFFF;
    const QuadVertex quad[4] = {
        {p.x - halfWidth, p.y, p.z + height, colour, 0.0f, 0.0f},
        {p.x + halfWidth, p.y, p.z + height, colour, 1.0f, 0.0f},
        {p.x - halfWidth, p.y, p.z, colour, 0.0f, 1.0f},
        {p.x + halfWidth, p.y, p.z, colour, 1.0f, 1.0f},
    };
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(QuadVertex));
}

}  // namespace

void KModel::SortAndDraw(float) {
    if (!coolTrailOn || !device) return;
    float h0 = 0, h1 = 0, h2 = 0, x = 0, y = 0, z = 0;
    GetHeading(&h0, &h1, &h2);
    GetPosition(&x, &y, &z, 0, 1);
    const DWORD now = timeGetTime();
    if (int64_t(now - lastCoolSampleTime) > int64_t(g_CoolSettings.interval)) {
        coolTrailSamples.emplace_back(x, y, z);
        const size_t limit = size_t(std::max(g_CoolSettings.limitNum, 0));
        if (coolTrailSamples.size() > limit)
            coolTrailSamples.erase(coolTrailSamples.begin(),
                                   coolTrailSamples.begin() + ptrdiff_t(coolTrailSamples.size() - limit));
        lastCoolSampleTime = now;
    }

    static constexpr D3DTEXTURESTAGESTATETYPE kStage[5] = {D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2,
                                                           D3DTSS_COLOROP, D3DTSS_COLORARG1};
    DWORD stage[5] = {}, srcBlend = 0, destBlend = 0;
    D3DXMATRIX savedWorld, identity;
    device->SetFVF(kQuadFvf);
    if (g_pTextureManager)
        g_pTextureManager->SetTexture(0, static_cast<KTextureRecord*>(g_CoolSettings.texture), 0);
    device->GetRenderState(D3DRS_SRCBLEND, &srcBlend);
    device->GetRenderState(D3DRS_DESTBLEND, &destBlend);
    for (int i = 0; i < 5; ++i) device->GetTextureStageState(0, kStage[i], &stage[i]);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->GetTransform(D3DTS_WORLD, &savedWorld);
    device->SetTransform(D3DTS_WORLD, D3DXMatrixIdentity(&identity));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    std::vector<D3DXVECTOR3> sorted = coolTrailSamples;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.y < b.y; });
    const float facing = kHeadingOffsetDegrees - h2 * kDegreesPerRadian;
    const float halfWidth = float(g_CoolSettings.width), height = float(g_CoolSettings.height);
    for (size_t i = 0; i < sorted.size(); ++i) {
        const float fade = Fade(i, sorted.size(), facing);
        if (fade <= kFadeCut) DrawQuad(device, sorted[i], halfWidth, height, fade);
    }

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    for (int i = 0; i < 5; ++i) device->SetTextureStageState(0, kStage[i], stage[i]);
    device->SetTransform(D3DTS_WORLD, &savedWorld);
    device->SetRenderState(D3DRS_SRCBLEND, srcBlend);
    device->SetRenderState(D3DRS_DESTBLEND, destBlend);
}
