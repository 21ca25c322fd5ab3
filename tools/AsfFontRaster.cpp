#include "AsfFontRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <stdexcept>

const char kSampleFontFace[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

namespace {

constexpr int kGlyphsPerLead = 190;  // trail bytes 0x40..0xFE without 0x7F
constexpr uint8_t kFullWidthLead = 0xA3;
constexpr uint8_t kFullWidthSpace[2] = {0xA1, 0xA1};

int GlyphIndex(uint8_t lead, uint8_t trail) {
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F)
        throw std::invalid_argument("not a double-byte GBK code");
    return (lead - 0x81) * kGlyphsPerLead + (trail - 0x40) - (trail > 0x7F ? 1 : 0);
}

struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;
using Face = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

int Ceil26(FT_Pos value) { return int((value + 63) >> 6); }

// The largest pixel size whose ascent and descent fit the cell; its baseline.
int SizeFaceToCell(FT_Face face, uint16_t cellSize) {
    for (int pixels = cellSize; pixels > 1; --pixels) {
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels)) != 0) continue;
        const int ascent = Ceil26(face->size->metrics.ascender);
        const int descent = Ceil26(-face->size->metrics.descender);
        if (ascent + descent <= cellSize) return ascent + (cellSize - ascent - descent) / 2;
    }
    throw std::runtime_error("the face does not fit the cell");
}

std::vector<uint8_t> DrawGlyph(FT_Face face, char32_t character, uint16_t cellSize, int baseline) {
    std::vector<uint8_t> levels(size_t(cellSize) * cellSize, 0);
    if (FT_Load_Char(face, FT_ULong(character), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) return levels;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return levels;
    const int left = (int(cellSize) - int(bitmap.width)) / 2;
    const int top = baseline - slot->bitmap_top;
    for (int y = 0; y < int(bitmap.rows); ++y) {
        for (int x = 0; x < int(bitmap.width); ++x) {
            const int cx = left + x, cy = top + y;
            if (cx < 0 || cy < 0 || cx >= cellSize || cy >= cellSize) continue;
            const int coverage = bitmap.buffer[y * bitmap.pitch + x];
            levels[size_t(cy) * cellSize + size_t(cx)] = uint8_t((coverage * 7 + 127) / 255);
        }
    }
    return levels;
}

}  // namespace

AsfFontSpec RasterizeAsfFont(const std::string& faceFile, uint16_t cellSize, const std::vector<AsfRasterGlyph>& glyphs) {
    if (cellSize == 0) throw std::invalid_argument("bitmap font cell of size 0");
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) throw std::runtime_error("FreeType does not start");
    const Library library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), faceFile.c_str(), 0, &rawFace) != 0)
        throw std::runtime_error("cannot open the face " + faceFile);
    const Face face(rawFace);
    const int baseline = SizeFaceToCell(face.get(), cellSize);

    int count = 0;
    for (const AsfRasterGlyph& glyph : glyphs) count = std::max(count, GlyphIndex(glyph.lead, glyph.trail) + 1);
    AsfFontSpec spec;
    spec.cellWidth = spec.cellHeight = cellSize;
    spec.glyphs.assign(size_t(count), std::vector<uint8_t>(size_t(cellSize) * cellSize, 0));
    for (const AsfRasterGlyph& glyph : glyphs)
        spec.glyphs[size_t(GlyphIndex(glyph.lead, glyph.trail))] =
            DrawGlyph(face.get(), glyph.character, cellSize, baseline);
    return spec;
}

std::vector<AsfRasterGlyph> FullWidthAsciiGlyphs() {
    std::vector<AsfRasterGlyph> glyphs;
    for (char32_t c = U'!'; c <= U'~'; ++c) glyphs.push_back({kFullWidthLead, uint8_t(0xA0 + (c - 0x20)), c});
    return glyphs;
}

std::string FullWidthGbk(const std::string& ascii) {
    std::string bytes;
    for (const char c : ascii) {
        if (c == ' ') {
            bytes.append(reinterpret_cast<const char*>(kFullWidthSpace), 2);
        } else if (c > ' ' && c <= '~') {
            bytes += char(kFullWidthLead);
            bytes += char(0xA0 + (c - 0x20));
        } else {
            throw std::invalid_argument("not printable ASCII");
        }
    }
    return bytes;
}
