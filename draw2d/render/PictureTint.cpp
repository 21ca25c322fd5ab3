#include "draw2d/render/PictureTint.h"

#include <d3d9.h>

#include <algorithm>

namespace {

constexpr D3DTEXTURESTAGESTATETYPE kStage[6] = {D3DTSS_COLOROP,   D3DTSS_ALPHAOP,   D3DTSS_COLORARG1,
                                                D3DTSS_COLORARG2, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2};
constexpr DWORD kTinted[6] = {D3DTOP_MODULATE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTA_TEXTURE, D3DTA_TFACTOR};

}  // namespace

KPictureTint::KPictureTint(int percent, float brightness) : m_applies(percent >= 0 && percent <= 100) {
    if (!m_applies) return;
    // Brightness beyond 1.0 saturates instead of wrapping to a dark grey; one
    // that is no number counts as none given.
    const DWORD grey = !(brightness >= 0.0f) ? 255u : DWORD(std::clamp(255.0f * brightness, 0.0f, 255.0f));
    const DWORD alpha = DWORD(float(percent) / 100.0f * 255.0f);
    m_factor = alpha << 24 | grey << 16 | grey << 8 | grey;
}

void KPictureTint::Begin(IDirect3DDevice9* device) {
    if (!m_applies) return;
    for (int i = 0; i < kStageStates; ++i) device->GetTextureStageState(0, kStage[i], &m_saved[i]);
    device->GetRenderState(D3DRS_TEXTUREFACTOR, &m_savedFactor);
    for (int i = 0; i < kStageStates; ++i) device->SetTextureStageState(0, kStage[i], kTinted[i]);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, m_factor);
}

void KPictureTint::End(IDirect3DDevice9* device) {
    if (!m_applies) return;
    for (int i = 0; i < kStageStates; ++i) device->SetTextureStageState(0, kStage[i], m_saved[i]);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, m_savedFactor);
}
