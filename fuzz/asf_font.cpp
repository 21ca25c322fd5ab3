// Bitmap font files: the header and offset table at load, then glyph lookups
// and run decoding into a cell exactly the font's size.
#include <vector>

#include "AsfFontWriter.h"
#include "draw2d/text/KFontFace.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

// Lead bytes 0x81..0xFE, 190 trail bytes each.
constexpr int kAsfCodeTableGlyphs = 126 * kAsfGlyphsPerRow;

std::vector<uint8_t> Glyph(uint16_t width, uint16_t height, uint8_t seed) {
    std::vector<uint8_t> levels(size_t(width) * height);
    for (size_t i = 0; i < levels.size(); ++i) levels[i] = uint8_t((i * seed / 3) % 8);
    return levels;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(asf_font) {
    AsfFontSpec spec{12, 12, {Glyph(12, 12, 1), Glyph(12, 12, 5), Glyph(12, 12, 7)}};
    Bytes font = WriteAsfFont(spec);
    AsfRawFont raw;
    raw.cellWidth = 4;
    raw.cellHeight = 2;
    raw.offsets = {0, 3, 200};  // the last past the data
    raw.data = {0x24, 0x00, 0xE4, 0x81, 0x63, 0x00};
    return {
        {"three-glyphs", font},
        {"narrow", WriteAsfFont({3, 40, {Glyph(3, 40, 2)}})},
        {"raw-offset-past-data", WriteAsfRaw(raw)},
        {"cut", Truncated(font, font.size() - 5)},
    };
}

LUMIVA_FUZZ_TARGET(asf_font, data, size) {
    ServeFile("fuzz.asf", data, size);
    KFontFace face;
    if (!face.LoadAsfFont("fuzz.asf")) return;
    int width = 0, height = 0;
    face.GetCellSize(&width, &height);
    // The file may claim cells up to 65535 x 65535; past a size no font
    // has, only the lookups are fuzzed, not a cell of gigabytes.
    bool decode = uint64_t(width) * uint64_t(height) <= 256 * 256;
    std::vector<uint16_t> cell(decode ? size_t(width) * size_t(height) : 0);
    // The first glyphs, the last ones, one past the count, and codes outside the table.
    std::vector<int> indexes = {0, 1, 2, 189, 190, int(face.GlyphCount()) - 1, int(face.GlyphCount())};
    for (int index : indexes) {
        if (index < 0 || index >= kAsfCodeTableGlyphs) continue;
        uint8_t isGdi = 0;
        uint32_t runBytes = 0;
        const uint8_t* runs = face.GetGlyph(AsfCodeOfGlyph(index), &isGdi, &runBytes);
        if (runs && decode) face.DecodeAsfGlyph(runs, runBytes, cell.data(), width * 2);  // pitch in bytes
    }
    for (uint16_t code : {uint16_t(0), uint16_t(0x4080), uint16_t(0x7F81), uint16_t(0xFFFF)}) {
        uint8_t isGdi = 0;
        face.GetGlyph(code, &isGdi);
    }
}
