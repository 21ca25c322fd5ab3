// Bitmap fonts drawn from the sample face: letters land at the index of
// their full-width GBK code, upright and on one baseline.
#include <gtest/gtest.h>

#include <stdexcept>

#include "AsfFontRaster.h"

namespace {

constexpr uint16_t kCell = 12;

int IndexOf(uint8_t lead, uint8_t trail) { return (lead - 0x81) * 190 + (trail - 0x40) - (trail > 0x7F ? 1 : 0); }

class AsfFontRaster : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_font = RasterizeAsfFont(kSampleFontFace, kCell, FullWidthAsciiGlyphs()); }
    static const std::vector<uint8_t>& Glyph(char c) {
        return s_font.glyphs[size_t(IndexOf(0xA3, uint8_t(0xA0 + (c - 0x20))))];
    }
    static int Inked(const std::vector<uint8_t>& glyph, int x0, int y0, int x1, int y1) {
        int inked = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) inked += glyph[size_t(y) * kCell + size_t(x)] >= 4;
        return inked;
    }
    // Rows (or columns) holding any ink, as [first, last].
    static std::pair<int, int> InkedRows(const std::vector<uint8_t>& glyph) {
        int first = kCell, last = -1;
        for (int y = 0; y < kCell; ++y)
            if (Inked(glyph, 0, y, kCell, y + 1) > 0) first = std::min(first, y), last = std::max(last, y);
        return {first, last};
    }
    static AsfFontSpec s_font;
};
AsfFontSpec AsfFontRaster::s_font;

TEST_F(AsfFontRaster, GlyphsSitAtTheirFullWidthCodesAndOthersAreBlank) {
    EXPECT_EQ(s_font.cellWidth, kCell);
    EXPECT_EQ(s_font.glyphs.size(), size_t(IndexOf(0xA3, 0xFE) + 1));
    for (char c = '!'; c <= '~'; ++c) EXPECT_GT(Inked(Glyph(c), 0, 0, kCell, kCell), 1) << c;
    EXPECT_EQ(Inked(s_font.glyphs[0], 0, 0, kCell, kCell), 0);
    EXPECT_EQ(Inked(s_font.glyphs[size_t(IndexOf(0xA3, 0xA0))], 0, 0, kCell, kCell), 0);
    EXPECT_NE(Glyph('O'), Glyph('Q'));
    for (const auto& glyph : s_font.glyphs)
        for (uint8_t level : glyph) ASSERT_LE(level, 7);
}

TEST_F(AsfFontRaster, LettersAreUprightOnOneBaseline) {
    // 'T' has its bar at the top, 'L' at the bottom; 'L' has its stem left.
    const auto& t = Glyph('T');
    const auto& l = Glyph('L');
    const auto [tTop, tBottom] = InkedRows(t);
    EXPECT_GE(Inked(t, 0, tTop, kCell, tTop + 2), 8);
    EXPECT_LE(Inked(t, 0, tBottom - 1, kCell, tBottom + 1), 4);
    const auto [lTop, lBottom] = InkedRows(l);
    EXPECT_GE(Inked(l, 0, lBottom - 1, kCell, lBottom + 1), 5);
    EXPECT_GT(Inked(l, 0, lTop, kCell / 2, lBottom), Inked(l, kCell / 2, lTop, kCell, lBottom - 2));
    // Capitals share their baseline and top; 'g' descends below it.
    EXPECT_EQ(InkedRows(Glyph('H')), InkedRows(t));
    EXPECT_GT(InkedRows(Glyph('g')).second, tBottom);
}

TEST(AsfFontRasterText, FullWidthBytes) {
    EXPECT_EQ(FullWidthGbk("A z!"), std::string("\xA3\xC1\xA1\xA1\xA3\xFA\xA3\xA1"));
    EXPECT_THROW(FullWidthGbk("\n"), std::invalid_argument);
}

TEST(AsfFontRasterText, MissingFaceOrBadCodeThrows) {
    EXPECT_THROW(RasterizeAsfFont("/nonexistent/face.ttf", kCell, FullWidthAsciiGlyphs()), std::runtime_error);
    EXPECT_THROW(RasterizeAsfFont(kSampleFontFace, kCell, {{0x80, 0x40, U'A'}}), std::invalid_argument);
    EXPECT_THROW(RasterizeAsfFont(kSampleFontFace, kCell, {{0x81, 0x7F, U'A'}}), std::invalid_argument);
}

}  // namespace
