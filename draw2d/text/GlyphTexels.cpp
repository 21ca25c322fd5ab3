// Texel writers of KFontFace: glyphs become A4R4G4B4 texels of one cell.
#include <cstring>
#include <vector>

#include "draw2d/text/KFontFace.h"
#include "draw2d/text/TextGlobals.h"

namespace {

uint16_t* RowOf(uint16_t* cell, int pitch, int row) {
    return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(cell) + ptrdiff_t(pitch) * row);
}

void ClearCell(uint16_t* cell, int pitch, int width, int height) {
    for (int y = 0; y < height; ++y) std::memset(RowOf(cell, pitch, y), 0, size_t(width) * 2);
}

uint16_t AsfTexel(int level) {
    if (level == 7) return 0xFFFF;
    if (level == 0) return 0x0000;
    return g_bTextAlphaCompare ? 0xEFFF : 0x0000;
}

// Intensity t raised by coverage c: t + (255 - t) * c / 255.
int Raise(int t, int c) { return t + (255 - t) * c / 255; }

}  // namespace

void KFontFace::DecodeAsfGlyph(const uint8_t* runs, uint32_t runBytes, uint16_t* cell, int pitch) const {
    if (!cell || m_cellWidth < 1 || m_cellHeight < 1) return;
    ClearCell(cell, pitch, m_cellWidth, m_cellHeight);
    if (!runs) return;
    uint32_t read = 0;
    for (int y = 0; y < m_cellHeight; ++y) {
        uint16_t* texel = RowOf(cell, pitch, y);
        int x = 0;
        while (x < m_cellWidth) {
            if (read >= runBytes) return;
            const uint8_t run = runs[read++];
            const int length = run & 0x1F;
            if (length == 0) return;
            const uint16_t value = AsfTexel(run >> 5);
            const int end = x + length < m_cellWidth ? x + length : m_cellWidth;
            for (; x < end; ++x) texel[x] = value;
        }
    }
}

// The glyph pixel (x, y) is texel (x + 1, y + 1), leaving room for a ring
// of outline around it. Everything stays inside the cell's own texels.
void KFontFace::WriteGdiGlyph(const uint8_t* coverage, uint16_t* cell, int pitch) const {
    const int width = m_cellWidth;
    const int height = m_cellHeight;
    if (!cell || width < 1 || height < 1) return;
    ClearCell(cell, pitch, width, height);
    if (!coverage) return;
    auto coverageAtTexel = [&](int tx, int ty) -> int {
        const int gx = tx - 1;
        const int gy = ty - 1;
        if (gx < 0 || gy < 0 || gx >= width || gy >= height) return 0;
        return coverage[size_t(gy) * size_t(width) + size_t(gx)];
    };
    if (!g_bTextAlphaCompare) {
        for (int ty = 1; ty < height; ++ty) {
            uint16_t* row = RowOf(cell, pitch, ty);
            for (int tx = 1; tx < width; ++tx) {
                const int c = coverageAtTexel(tx, ty);
                if (c & 0xF0) row[tx] = uint16_t((c & 0xF0) << 8 | 0x0FFF);
            }
        }
        return;
    }
    std::vector<int> intensity(size_t(width) * size_t(height), 0);
    auto raiseAt = [&](int tx, int ty, int c) {
        if (tx < 0 || ty < 0 || tx >= width || ty >= height) return;
        int& t = intensity[size_t(ty) * size_t(width) + size_t(tx)];
        t = Raise(t, c);
    };
    for (int ty = 1; ty < height; ++ty) {
        for (int tx = 1; tx < width; ++tx) {
            const int c = coverageAtTexel(tx, ty);
            if (c <= 0) continue;
            raiseAt(tx, ty, c);
            raiseAt(tx - 1, ty, c);
            raiseAt(tx + 1, ty, c);
            raiseAt(tx, ty - 1, c);
            raiseAt(tx, ty + 1, c);
        }
    }
    for (int ty = 0; ty < height; ++ty) {
        uint16_t* row = RowOf(cell, pitch, ty);
        for (int tx = 0; tx < width; ++tx) {
            const int t = intensity[size_t(ty) * size_t(width) + size_t(tx)];
            const int c = coverageAtTexel(tx, ty);
            if (c > 0) {
                const int alpha = Raise(t, c) >> 4;
                const int grey = c * 15 / 255;
                row[tx] = uint16_t(alpha << 12 | grey << 8 | grey << 4 | grey);
            } else {
                row[tx] = uint16_t((t >> 4) << 12);
            }
        }
    }
}
