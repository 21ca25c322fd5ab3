// Small device-state helpers shared by the scene renderers.
#pragma once

#include <d3d9.h>

inline void SetSampler0Filters(IDirect3DDevice9* device, DWORD filter) {
    device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
}

// Stage 0 colour operation, its two arguments and the texture factor: what a
// tinted draw changes and gives back.
class KSavedTint {
public:
    explicit KSavedTint(IDirect3DDevice9* device) : m_device(device) {
        device->GetTextureStageState(0, D3DTSS_COLOROP, &m_op);
        device->GetTextureStageState(0, D3DTSS_COLORARG1, &m_arg1);
        device->GetTextureStageState(0, D3DTSS_COLORARG2, &m_arg2);
        device->GetRenderState(D3DRS_TEXTUREFACTOR, &m_factor);
    }
    void Restore() const {
        m_device->SetTextureStageState(0, D3DTSS_COLOROP, m_op);
        m_device->SetTextureStageState(0, D3DTSS_COLORARG1, m_arg1);
        m_device->SetTextureStageState(0, D3DTSS_COLORARG2, m_arg2);
        m_device->SetRenderState(D3DRS_TEXTUREFACTOR, m_factor);
    }

private:
    IDirect3DDevice9* m_device;
    DWORD m_op = 0, m_arg1 = 0, m_arg2 = 0, m_factor = 0;
};

// Texture colour darkened to grey/255; the vertex colour takes no part.
inline void SetGreyTint(IDirect3DDevice9* device, float brightness) {
    const DWORD grey = static_cast<DWORD>(static_cast<int>(255.0f * brightness)) & 0xFF;
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF000000u | grey << 16 | grey << 8 | grey);
}

inline bool DarkensPicture(float brightness) { return brightness > 0.0f && brightness < 1.0f; }
