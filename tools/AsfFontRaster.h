// Bitmap font files rasterized from an outline face with FreeType, so that
// sample data and fixtures can hold real letters.
//
// A bitmap font indexes its glyphs by double-byte GBK code; the Latin
// letters live in GBK's full-width row (lead byte 0xA3), where 0xA3 0xC1 is
// a full-width 'A'. Glyphs are centred in a square cell on one baseline;
// coverage 0..255 becomes level 0..7. Codes without a glyph stay blank.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AsfFontWriter.h"

// The Debian face the sample data is drawn in.
extern const char kSampleFontFace[];

struct AsfRasterGlyph {
    uint8_t lead = 0;
    uint8_t trail = 0;
    char32_t character = 0;  // what the face draws for it
};

// Throws std::runtime_error when the face cannot be opened or does not fit
// the cell, std::invalid_argument for a code outside the font's table.
AsfFontSpec RasterizeAsfFont(const std::string& faceFile, uint16_t cellSize, const std::vector<AsfRasterGlyph>& glyphs);

// The full-width forms of printable ASCII ('!' to '~').
std::vector<AsfRasterGlyph> FullWidthAsciiGlyphs();

// Text bytes that show `ascii` in full-width forms; a space becomes the
// full-width space 0xA1 0xA1.
std::string FullWidthGbk(const std::string& ascii);
