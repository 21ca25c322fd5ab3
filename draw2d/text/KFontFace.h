// The glyph source of one font: a GDI face pair rasterised one character at
// a time, or a bitmap font file of run-length coded glyphs.
//
// Bitmap font file (little-endian):
//   0   u32 magic 0x00465341 ('A' 'S' 'F' 0)
//   4   u32 glyph data size, non-zero
//   8   u32 glyph count, non-zero
//   12  u16 cell width, u16 cell height, both non-zero
//   16  u32 offset of each glyph within the glyph data (each < data size)
//   ..  glyph data: rows top to bottom, each a sequence of run bytes (low 5
//       bits a length of 1 to 31, high 3 bits a level 0 to 7) adding up to
//       the cell width. A zero length ends the glyph; the rest stays clear.
//
// A character code of a bitmap font is the text's two bytes with the first
// in the low half. Its glyph is laid out as GBK rows: lead byte L (0x81 to
// 0xFE) and trail byte T (0x40 to 0xFE but not 0x7F) give glyph
// (L - 0x81) * 190 + (T - 0x40), less 1 when T > 0x7F. Big5 text uses the
// same table (its trail bytes fall in the same range). Codes outside it, or
// past the glyph count, have no glyph.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

constexpr uint32_t kAsfMagic = 0x00465341u;
constexpr int kAsfGlyphsPerRow = 190;

// Glyph index of a bitmap-font code, -1 for a code outside the table.
int AsfGlyphIndex(uint16_t code);

class KFontFace {
public:
    KFontFace() = default;
    ~KFontFace();
    KFontFace(const KFontFace&) = delete;
    KFontFace& operator=(const KFontFace&) = delete;

    bool LoadAsfFont(const char* fileName);
    bool CreateGdiFonts(const LOGFONTA* description, int grayLevel, uint8_t mono);
    void GetCellSize(int* width, int* height) const;

    // GDI face: a cellWidth x cellHeight coverage bitmap (0 to 255) with
    // isGdi 1. Bitmap font: the glyph's run data with isGdi 0 and, in
    // runBytes, the bytes that follow it in the glyph data. Null when the
    // face has no glyph for the code.
    const uint8_t* GetGlyph(uint16_t code, uint8_t* isGdi, uint32_t* runBytes = nullptr);

    // Texel writers into a cell whose first texel is `cell`. Both stay
    // inside cellWidth x cellHeight texels, so neighbouring cells are safe.
    void DecodeAsfGlyph(const uint8_t* runs, uint32_t runBytes, uint16_t* cell, int pitch) const;
    void WriteGdiGlyph(const uint8_t* coverage, uint16_t* cell, int pitch) const;

    void Release();

    bool IsGdi() const { return m_hFont != nullptr; }
    HFONT DescriptionFont() const { return m_hFont; }
    HFONT CharacterSetFont() const { return m_hAsciiFont; }
    int GrayLevel() const { return m_grayLevel; }
    uint32_t GlyphCount() const { return m_glyphCount; }

private:
    const uint8_t* GetGdiGlyph(uint16_t code);
    void PlaceGlyphBitmap(const TEXTMETRICA& metrics, const GLYPHMETRICS& glyph, UINT format, bool ascii);

    std::vector<uint32_t> m_offsets;
    std::vector<uint8_t> m_glyphBytes;  // file glyph data, or one GDI coverage bitmap
    uint32_t m_glyphByteCount = 0;
    uint32_t m_glyphCount = 0;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    uint8_t m_mono = 0;
    int m_grayLevel = 0;
    HFONT m_hAsciiFont = nullptr;
    HFONT m_hFont = nullptr;
    std::vector<uint8_t> m_outline;  // what GetGlyphOutlineW returned
};
