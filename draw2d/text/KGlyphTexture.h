// The glyph cells of one font: a square A4R4G4B4 texture drawn from, and a
// system-memory copy written to, so glyphs outlive a device reset.
#pragma once

#include <d3d9.h>
#include <wingdi.h>

#include <cstdint>

#include "draw2d/text/KFontFace.h"
#include "draw2d/text/KGlyphSlotTable.h"

class KGlyphTexture {
public:
    static constexpr int kMaxSide = 512;

    virtual ~KGlyphTexture();

    bool Create(const char* fileName, IDirect3DDevice9* device, const LOGFONTA* description, int grayLevel,
                uint8_t mono);
    bool RestoreDeviceObjects();
    void InvalidateDeviceObjects();
    void Release();
    void UploadGlyphs(const KGlyphUpload* list, int count);

    KFontFace& Face() { return m_face; }
    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    int Columns() const { return m_columns; }
    int CellCount() const { return m_cellCount; }
    int Side() const { return m_side; }
    IDirect3DTexture9* Texture() const { return m_texture; }
    IDirect3DTexture9* SystemTexture() const { return m_sysTexture; }

private:
    void ReleaseTextures();

    KFontFace m_face;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_columns = 0;
    int m_cellCount = 0;
    int m_side = kMaxSide;
    IDirect3DDevice9* m_device = nullptr;
    IDirect3DTexture9* m_texture = nullptr;
    IDirect3DTexture9* m_sysTexture = nullptr;
};
