#include "draw2d/text/KFont.h"

#include "draw2d/text/TextGlobals.h"

KFont::KFont() = default;

KFont::~KFont() { ReleaseFontFace(); }

bool KFont::AttachDevice(IDirect3DDevice9* device) {
    ReleaseFontFace();
    if (!device) return false;
    HoldTextDevice(device);
    m_holdsDevice = true;
    ChooseAlphaCompare();
    return RestoreDeviceObjects();
}

void KFont::ChooseAlphaCompare() {
    D3DCAPS9 caps{};
    if (!g_pTextDevice || FAILED(g_pTextDevice->GetDeviceCaps(&caps))) return;
    const DWORD usable = D3DPCMPCAPS_GREATEREQUAL | D3DPCMPCAPS_GREATER | D3DPCMPCAPS_LESSEQUAL |
                         D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL | D3DPCMPCAPS_NOTEQUAL;
    g_bTextAlphaCompare = (caps.AlphaCmpCaps & usable) != 0;
}

bool KFont::CreateFontFace(const char* fileName, const LOGFONTA* description, int grayLevel) {
    m_cache.Reset();
    m_texture = nullptr;
    m_hasFace = 0;
    m_grayLevel = grayLevel;
    if (g_pTextDevice && m_cache.Create(fileName, g_pTextDevice, description, grayLevel, m_mono)) {
        m_cellWidth = float(m_cache.CellWidth());
        m_cellHeight = float(m_cache.CellHeight());
        m_texture = m_cache.GetTexture();
        m_hasFace = 1;
        m_isGdi = description ? 1 : 0;
    }
    return m_hasFace != 0;
}

void KFont::ReleaseFontFace() {
    if (m_holdsDevice) {
        m_holdsDevice = false;
        LetGoTextDevice();
    }
    m_hasFace = 0;
    m_texture = nullptr;
    m_cache.Reset();
}

void KFont::SetGradientColor(uint32_t argb) { g_TextGradientColor = argb; }

void KFont::GetFontSize(int* width, int* height) {
    if (width) *width = int(m_cellWidth);
    if (height) *height = int(m_cellHeight);
}

void KFont::SetFontSize(int advance, int lineHeight) {
    m_fullAdvance = advance < 1 ? int(m_cellWidth) : advance;
    m_halfAdvance[0] = m_fullAdvance / 2;
    m_halfAdvance[1] = (m_fullAdvance + 1) / 2;
    m_lineHeight = lineHeight < 1 ? int(m_cellHeight) : lineHeight;
}

KFont* KFont::AddRef() {
    if (m_refCount == kMaxRefCount) return nullptr;
    ++m_refCount;
    return this;
}

void KFont::Release() {
    if (--m_refCount == 0) delete this;
}

void KFont::InvalidateDeviceObjects() {
    m_cache.InvalidateDeviceObjects();
    m_texture = nullptr;
}

bool KFont::RestoreDeviceObjects() {
    if (!g_pTextDevice) return false;
    ApplyTextStates(g_pTextDevice);
    const bool restored = m_cache.RestoreDeviceObjects();
    m_texture = m_cache.GetTexture();
    return restored;
}

void KFont::SaveTextStates() { ReadTextStates(g_pTextDevice, m_savedStates); }

void KFont::RestoreTextStates() { WriteTextStates(g_pTextDevice, m_savedStates); }
