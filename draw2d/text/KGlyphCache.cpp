#include "draw2d/text/KGlyphCache.h"

#include <algorithm>

bool KGlyphCache::Create(const char* fileName, IDirect3DDevice9* device, const LOGFONTA* description,
                         int grayLevel, uint8_t mono) {
    Reset();
    if (!m_texture.Create(fileName, device, description, grayLevel, mono)) return false;
    if (!m_slots.Init(m_texture.CellCount())) {
        Reset();
        return false;
    }
    m_cellWidth = m_texture.CellWidth();
    m_cellHeight = m_texture.CellHeight();
    m_columns = m_texture.Columns();
    const float side = float(m_texture.Side());
    m_glyphU = float(m_cellWidth) / side;
    m_glyphV = float(m_cellHeight) / side;
    m_stepU = float(m_cellWidth + 1) / side;
    m_stepV = float(m_cellHeight + 1) / side;
    return true;
}

void KGlyphCache::Reset() {
    m_slots.Release();
    m_texture.Release();
    m_cellWidth = m_cellHeight = 0;
    m_columns = 0;
}

int KGlyphCache::BatchLimit() const { return std::min(kBatch, m_slots.Capacity()); }

void KGlyphCache::PrepareGlyphs(const uint16_t* codes, int n, KTextVertex* vertices) {
    n = std::min(n, BatchLimit());
    if (!codes || !vertices || n < 1 || m_columns < 1) return;
    uint16_t cells[kBatch];
    KGlyphUpload missing[kBatch];
    int missingCount = 0;
    m_slots.Lookup(codes, n, cells, missing, &missingCount);
    for (int k = 0; k < n; ++k) {
        const float left = float(cells[k] % m_columns) * m_stepU;
        const float top = float(cells[k] / m_columns) * m_stepV;
        const float right = left + m_glyphU;
        const float bottom = top + m_glyphV;
        KTextVertex* quad = vertices + 6 * k;
        const float us[6] = {left, right, left, left, right, right};
        const float vs[6] = {top, top, bottom, bottom, top, bottom};
        for (int i = 0; i < 6; ++i) {
            quad[i].u = us[i];
            quad[i].v = vs[i];
        }
    }
    m_texture.UploadGlyphs(missing, missingCount);
}
