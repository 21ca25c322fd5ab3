#include "AsfFontWriter.h"

#include <stdexcept>

#include "ByteWriter.h"

std::vector<uint8_t> EncodeAsfGlyphRuns(const std::vector<uint8_t>& levels, uint16_t width, uint16_t height) {
    if (width == 0 || height == 0) throw std::invalid_argument("bitmap font cell of size 0");
    if (levels.size() != size_t(width) * height) throw std::invalid_argument("glyph pixel count");
    std::vector<uint8_t> runs;
    for (size_t row = 0; row < height; ++row) {
        size_t x = 0;
        while (x < width) {
            const uint8_t level = levels[row * width + x];
            if (level > 7) throw std::invalid_argument("glyph level above 7");
            size_t length = 1;
            while (x + length < width && length < 31 && levels[row * width + x + length] == level) ++length;
            runs.push_back(uint8_t(level << 5 | length));
            x += length;
        }
    }
    return runs;
}

std::vector<uint8_t> WriteAsfFont(const AsfFontSpec& spec) {
    AsfRawFont raw;
    raw.cellWidth = spec.cellWidth;
    raw.cellHeight = spec.cellHeight;
    for (const auto& glyph : spec.glyphs) {
        raw.offsets.push_back(uint32_t(raw.data.size()));
        const auto runs = EncodeAsfGlyphRuns(glyph, spec.cellWidth, spec.cellHeight);
        raw.data.insert(raw.data.end(), runs.begin(), runs.end());
    }
    return WriteAsfRaw(raw);
}

std::vector<uint8_t> WriteAsfRaw(const AsfRawFont& font) {
    ByteWriter out;
    out.U32(font.magic);
    out.U32(font.dataSize.value_or(uint32_t(font.data.size())));
    out.U32(font.glyphCount.value_or(uint32_t(font.offsets.size())));
    out.U16(font.cellWidth);
    out.U16(font.cellHeight);
    for (uint32_t offset : font.offsets) out.U32(offset);
    out.Bytes(font.data);
    return out.Take();
}

uint16_t AsfCodeOfGlyph(int index) {
    if (index < 0 || index >= 126 * 190) throw std::invalid_argument("glyph index outside the code table");
    const int lead = 0x81 + index / 190;
    int trail = 0x40 + index % 190;
    if (trail >= 0x7F) ++trail;
    return uint16_t(lead | trail << 8);
}
