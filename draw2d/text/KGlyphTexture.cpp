#include "draw2d/text/KGlyphTexture.h"

#include <algorithm>

KGlyphTexture::~KGlyphTexture() { Release(); }

void KGlyphTexture::ReleaseTextures() {
    if (m_texture) m_texture->Release();
    if (m_sysTexture) m_sysTexture->Release();
    m_texture = nullptr;
    m_sysTexture = nullptr;
}

void KGlyphTexture::Release() {
    ReleaseTextures();
    m_columns = 0;
    m_cellCount = 0;
    m_face.Release();
}

bool KGlyphTexture::Create(const char* fileName, IDirect3DDevice9* device, const LOGFONTA* description,
                           int grayLevel, uint8_t mono) {
    Release();
    m_device = device;
    if (!device) return false;
    bool made = false;
    if (description) {
        made = m_face.CreateGdiFonts(description, grayLevel, mono);
    } else if (fileName) {
        made = m_face.LoadAsfFont(fileName);
    }
    if (!made) {
        Release();
        return false;
    }
    m_face.GetCellSize(&m_cellWidth, &m_cellHeight);
    D3DCAPS9 caps{};
    m_side = kMaxSide;
    if (SUCCEEDED(device->GetDeviceCaps(&caps))) m_side = std::min<int>(int(caps.MaxTextureWidth), kMaxSide);
    // A cell as large as the texture leaves no cell to draw from.
    const int columns = m_cellWidth > 0 ? m_side / (m_cellWidth + 1) : 0;
    const int rows = m_cellHeight > 0 ? m_side / (m_cellHeight + 1) : 0;
    if (columns < 1 || rows < 1) {
        Release();
        return false;
    }
    if (!RestoreDeviceObjects()) {
        Release();
        return false;
    }
    m_columns = columns;
    m_cellCount = columns * rows;
    return true;
}

// A failure keeps what exists: the system copy holds every cached glyph,
// and the next restore only makes what is missing.
bool KGlyphTexture::RestoreDeviceObjects() {
    if (!m_device) return false;
    if (!m_texture && FAILED(m_device->CreateTexture(UINT(m_side), UINT(m_side), 1, 0, D3DFMT_A4R4G4B4,
                                                     D3DPOOL_DEFAULT, &m_texture, nullptr))) {
        m_texture = nullptr;
        return false;
    }
    if (!m_sysTexture && FAILED(m_device->CreateTexture(UINT(m_side), UINT(m_side), 1, 0, D3DFMT_A4R4G4B4,
                                                        D3DPOOL_SYSTEMMEM, &m_sysTexture, nullptr))) {
        m_sysTexture = nullptr;
        return false;
    }
    // UpdateTexture copies only dirty regions, and the last upload cleared
    // them: a re-created texture needs the whole copy.
    m_sysTexture->AddDirtyRect(nullptr);
    m_device->UpdateTexture(m_sysTexture, m_texture);
    return true;
}

void KGlyphTexture::InvalidateDeviceObjects() {
    if (m_texture) m_texture->Release();
    m_texture = nullptr;
}

void KGlyphTexture::UploadGlyphs(const KGlyphUpload* list, int count) {
    if (!list || count < 1 || !m_sysTexture || m_columns < 1) return;
    D3DLOCKED_RECT locked{};
    if (FAILED(m_sysTexture->LockRect(0, &locked, nullptr, D3DLOCK_NOSYSLOCK))) return;
    auto* base = static_cast<uint8_t*>(locked.pBits);
    for (int i = 0; i < count; ++i) {
        const KGlyphUpload& entry = list[i];
        if (entry.cell >= m_cellCount) continue;
        uint8_t isGdi = 0;
        uint32_t runBytes = 0;
        const uint8_t* glyph = m_face.GetGlyph(entry.code, &isGdi, &runBytes);
        const int column = (m_cellWidth + 1) * (entry.cell % m_columns);
        const int row = (m_cellHeight + 1) * (entry.cell / m_columns);
        auto* first = reinterpret_cast<uint16_t*>(base + ptrdiff_t(row) * locked.Pitch) + column;
        if (!glyph) {
            // The slot already names this code: a blank cell, not the old glyph.
            m_face.DecodeAsfGlyph(nullptr, 0, first, locked.Pitch);
        } else if (isGdi) {
            m_face.WriteGdiGlyph(glyph, first, locked.Pitch);
        } else {
            m_face.DecodeAsfGlyph(glyph, runBytes, first, locked.Pitch);
        }
    }
    m_sysTexture->UnlockRect(0);
    if (m_texture) m_device->UpdateTexture(m_sysTexture, m_texture);
}
