// A font's glyph cache: the cell texture, its slot table, and the texture
// coordinates of each cell.
#pragma once

#include <d3d9.h>
#include <wingdi.h>

#include <cstdint>

#include "draw2d/text/KGlyphSlotTable.h"
#include "draw2d/text/KGlyphTexture.h"
#include "draw2d/text/TextGlobals.h"

class KGlyphCache {
public:
    static constexpr int kBatch = 64;

    bool Create(const char* fileName, IDirect3DDevice9* device, const LOGFONTA* description, int grayLevel,
                uint8_t mono);
    void Reset();
    // Fills the texture coordinates of n quads (six vertices each) and
    // rasterises the codes not cached yet. n is cut to BatchLimit().
    void PrepareGlyphs(const uint16_t* codes, int n, KTextVertex* vertices);
    // Quads one PrepareGlyphs may take: 64, or fewer when the texture holds
    // fewer cells, so no quad of a batch loses its cell to a later one.
    int BatchLimit() const;

    IDirect3DTexture9* GetTexture() const { return m_texture.Texture(); }
    bool RestoreDeviceObjects() { return m_texture.RestoreDeviceObjects(); }
    void InvalidateDeviceObjects() { m_texture.InvalidateDeviceObjects(); }

    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    int Columns() const { return m_columns; }
    float GlyphU() const { return m_glyphU; }
    float GlyphV() const { return m_glyphV; }
    float StepU() const { return m_stepU; }
    float StepV() const { return m_stepV; }
    KGlyphTexture& Texture() { return m_texture; }
    KGlyphSlotTable& Slots() { return m_slots; }

private:
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_columns = 0;
    float m_glyphU = 0, m_glyphV = 0;
    float m_stepU = 0, m_stepV = 0;
    KGlyphTexture m_texture;
    KGlyphSlotTable m_slots;
};
