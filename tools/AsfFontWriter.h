// Writer of bitmap font files (layout in draw2d/text/KFontFace.h).
//
// Glyphs are given as levels 0..7, one byte per pixel, rows top to bottom;
// runs of equal level (1 to 31 pixels) never cross a row. Bad input (a
// glyph whose pixel count is not width x height, a level above 7, a cell
// size of 0) throws std::invalid_argument.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct AsfFontSpec {
    uint16_t cellWidth = 0;
    uint16_t cellHeight = 0;
    std::vector<std::vector<uint8_t>> glyphs;  // levels, cellWidth x cellHeight each
};

// Run bytes of one glyph: level in the high 3 bits, length in the low 5.
std::vector<uint8_t> EncodeAsfGlyphRuns(const std::vector<uint8_t>& levels, uint16_t width, uint16_t height);

std::vector<uint8_t> WriteAsfFont(const AsfFontSpec& spec);

// Any header over any offsets and data, for malformed files.
struct AsfRawFont {
    uint32_t magic = 0x00465341u;
    std::optional<uint32_t> dataSize;    // default: data.size()
    std::optional<uint32_t> glyphCount;  // default: offsets.size()
    uint16_t cellWidth = 0;
    uint16_t cellHeight = 0;
    std::vector<uint32_t> offsets;
    std::vector<uint8_t> data;
};
std::vector<uint8_t> WriteAsfRaw(const AsfRawFont& font);

// Code of the text bytes that select glyph `index` of a bitmap font: lead
// byte in the low half, trail byte in the high half.
uint16_t AsfCodeOfGlyph(int index);
