// KFont::DrawString: a multi-byte string as textured glyph quads.
#include <cstring>

#include "lumiva/basrel/LineBreak.h"
#include "draw2d/text/KFont.h"
#include "draw2d/text/TextGlobals.h"

namespace {

constexpr float kGlyphZ = 0.9f;

// Single-byte characters of a bitmap font live in its full-width row.
uint16_t FileCodeOfSingleByte(uint8_t b) {
    const uint8_t trail = b <= 0x5E ? uint8_t(b + 0x20) : uint8_t(b + 0x21);
    return uint16_t(0xA3 | trail << 8);
}

}  // namespace

// 0 stands for "no glyph": the character advances but draws nothing.
uint16_t KFont::CharacterCode(const uint8_t* bytes, int count, bool nt) const {
    if (!m_isGdi) {
        return count == 2 ? uint16_t(bytes[0] | bytes[1] << 8) : FileCodeOfSingleByte(bytes[0]);
    }
    if (!nt) return count == 2 ? uint16_t(bytes[0] << 8 | bytes[1]) : bytes[0];
    WCHAR wide[2] = {};
    if (MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), count, wide, 2) < 1) return 0;
    return wide[0] > 0xFFFF ? 0 : uint16_t(wide[0]);
}

void KFont::FlushBatch(const uint16_t* codes, KTextVertex* vertices, int quads, uint32_t gradient) {
    if (quads < 1) return;
    m_cache.PrepareGlyphs(codes, quads, vertices);
    g_pfnDrawTextQuads(vertices, quads);
    g_TextGradientColor = gradient;
}

void KFont::DrawString(const char* text, float x, float y, int length, int xKeep, int yKeep, uint32_t colour,
                       int wrapWidth) {
    if (!text || !m_hasFace || !g_pTextDevice) return;
    if (length == -1) length = int(std::strlen(text));
    if (length < 0) length = 0;
    if (xKeep == kKeepPen) x = m_penX;
    if (yKeep == kKeepPen) y = m_penY;
    const int cellWidth = int(m_cellWidth);
    if (int64_t(wrapWidth) < 2 * int64_t(cellWidth) || int64_t(length) * cellWidth <= 2 * int64_t(wrapWidth)) {
        wrapWidth = 0;
    }

    SaveTextStates();
    g_pTextDevice->SetFVF(kTextVertexFormat);
    ApplyTextStates(g_pTextDevice);
    g_pTextDevice->SetTexture(0, m_texture);
    const uint32_t gradient = g_TextGradientColor;
    const bool oneColour = gradient == 0 || gradient == 0xFF000000u || m_mono;
    const uint32_t bottomColour = oneColour ? colour : gradient;

    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    const bool nt = GetVersion() < 0x80000000u;
    const int batchLimit = m_cache.BatchLimit();
    uint16_t codes[KGlyphCache::kBatch];
    KTextVertex vertices[KGlyphCache::kBatch * 6];
    int quads = 0;
    int i = 0;
    int offset = 0;
    int parity = 0;
    auto newLine = [&] {
        offset = 0;
        y += float(m_lineHeight);
        parity = 0;
    };
    while (i < length) {
        const uint8_t b = bytes[i];
        int advance = 0;
        int codeBytes = 0;
        bool newline = false;
        if (b >= 0x81 && i + 1 < length) {
            codeBytes = 2;
            advance = m_fullAdvance;
        } else if (b >= 0x21 && b <= 0x7E) {
            codeBytes = 1;
            advance = m_halfAdvance[parity];
            parity ^= 1;
        } else if (b == 0x0A) {
            newline = true;
        } else {
            advance = m_halfAdvance[parity];
            parity ^= 1;
        }
        const uint16_t code = codeBytes ? CharacterCode(bytes + i, codeBytes, nt) : 0;
        i += codeBytes ? codeBytes : 1;
        if (code != 0 && batchLimit > 0) {
            const float left = x + float(offset) - 0.5f;
            const float top = y - 0.5f;
            const float right = left + m_cellWidth;
            const float bottom = top + m_cellHeight;
            KTextVertex* quad = vertices + 6 * quads;
            quad[0] = {left, top, kGlyphZ, 1.0f, colour, 0, 0};
            quad[1] = {right, top, kGlyphZ, 1.0f, colour, 0, 0};
            quad[2] = {left, bottom, kGlyphZ, 1.0f, bottomColour, 0, 0};
            quad[3] = quad[2];
            quad[4] = quad[1];
            quad[5] = {right, bottom, kGlyphZ, 1.0f, bottomColour, 0, 0};
            codes[quads++] = code;
            if (quads == batchLimit) {
                FlushBatch(codes, vertices, quads, gradient);
                quads = 0;
            }
        }
        offset += advance;
        if (newline || (wrapWidth != 0 && offset + m_fullAdvance > wrapWidth)) {
            if (!newline && i < length && bytes[i] == 0x0A) ++i;
            newLine();
        } else if (advance > 0 && wrapWidth != 0 &&
                   offset + advance + m_fullAdvance + m_halfAdvance[parity] >= wrapWidth) {
            const char* next = TGetSecondVisibleCharacterThisLine(text, i, length);
            if (next && TIsCharacterNotAlowAtLineHead(next)) newLine();
        }
    }
    FlushBatch(codes, vertices, quads, gradient);
    g_TextGradientColor = gradient;
    RestoreTextStates();
    m_penX = x + float(offset);
    m_penY = y;
}
