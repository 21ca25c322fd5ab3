#include <climits>

#include "GdiTestSupport.h"

namespace gdi_test {
namespace {

TEST_F(GdiTest, NegativeHeightNamesTheEmPositiveTheCell) {
    for (LONG em : {8, 12, 16, 24, 40}) {
        FontDC f(Description("Arial", -em));
        TEXTMETRICA tm = f.Metrics();
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, em);
    }
    for (LONG cell : {10, 14, 20, 33}) {
        FontDC f(Description("Arial", cell));
        TEXTMETRICA tm = f.Metrics();
        EXPECT_EQ(tm.tmHeight, cell);
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_GT(tm.tmAscent, tm.tmDescent);
    }
}

TEST_F(GdiTest, ZeroHeightTakesTheDefaultCell) {
    FontDC f(Description("Arial", 0));
    EXPECT_EQ(f.Metrics().tmHeight, 16);
}

TEST_F(GdiTest, ExtremeHeightsAreClamped) {
    for (LONG height : {LONG(INT_MIN), LONG(INT_MAX)}) {
        FontDC f(Description("Arial", height));
        ASSERT_NE(f.font, nullptr);
        TEXTMETRICA tm = f.Metrics();
        EXPECT_GT(tm.tmHeight, 0);
        EXPECT_LE(tm.tmHeight, 4096);
    }
}

struct MetricsCase {
    const char* label;
    const char* utf8Face;
    const char* codePage;
    LONG height;
    UINT format;
};

void PrintTo(const MetricsCase& c, std::ostream* os) { *os << c.label; }


class GlyphWithinCell : public GdiTest, public ::testing::WithParamInterface<MetricsCase> {};

// The caller sizes its glyph cells from the text metrics and places each
// black box at (origin.x, tmAscent - origin.y); glyphs must fit.
TEST_P(GlyphWithinCell, BlackBoxesAndAdvancesFitTheTextMetrics) {
    const MetricsCase& c = GetParam();
    std::string face = c.codePage ? Encode(c.utf8Face, c.codePage) : c.utf8Face;
    FontDC f(Description(face, c.height));
    TEXTMETRICA tm = f.Metrics();
    const UINT characters[] = {'A', 'g', 'j', 'W', 'M', '|', '_', '(', '@', 'y', 0x4E2D, 0x9F8D, 0x9AD4, 0x3002};
    for (UINT ch : characters) {
        Glyph g = FetchGlyph(f.dc, ch, c.format);
        ASSERT_NE(g.result, GDI_ERROR) << ch;
        const GLYPHMETRICS& m = g.metrics;
        EXPECT_LE(m.gmptGlyphOrigin.y, tm.tmAscent) << ch;
        EXPECT_GE(m.gmptGlyphOrigin.y - LONG(m.gmBlackBoxY), -tm.tmDescent) << ch;
        EXPECT_GT(m.gmCellIncX, 0) << ch;
        EXPECT_LE(m.gmCellIncX, tm.tmMaxCharWidth) << ch;
        EXPECT_GE(m.gmptGlyphOrigin.x, -2) << ch;
        EXPECT_LE(m.gmptGlyphOrigin.x + LONG(m.gmBlackBoxX), tm.tmMaxCharWidth + 2) << ch;
    }
}

INSTANTIATE_TEST_SUITE_P(Faces, GlyphWithinCell,
                         ::testing::Values(MetricsCase{"ArialEm12Gray", "Arial", nullptr, -12, GGO_GRAY8_BITMAP},
                                           MetricsCase{"ArialEm12Mono", "Arial", nullptr, -12, GGO_BITMAP},
                                           MetricsCase{"ArialCell24Gray", "Arial", nullptr, 24, GGO_GRAY8_BITMAP},
                                           MetricsCase{"HeitiEm12Gray", "黑体", "GBK", -12, GGO_GRAY8_BITMAP},
                                           MetricsCase{"HeitiEm16Mono", "黑体", "GBK", -16, GGO_BITMAP},
                                           MetricsCase{"XinXiMingTiCell20Gray", "新細明體", "BIG5", 20, GGO_GRAY8_BITMAP}),
                         [](const auto& info) { return std::string(info.param.label); });

struct CellCase {
    const char* label;
    const char* utf8Face;
    const char* codePage;
    bool halfWidthCells;
};

void PrintTo(const CellCase& c, std::ostream* os) { *os << c.label; }

class CellWidths : public GdiTest, public ::testing::WithParamInterface<CellCase> {};

// Clients advance single-byte characters by half an em and double-byte ones
// by a whole em; a Chinese face standing in for a cell-set system face must
// not let a wide Latin letter spill into the next column.
TEST_P(CellWidths, ChineseSystemFacesSetLatinInHalfEmCells) {
    const CellCase& c = GetParam();
    std::string face = c.codePage ? Encode(c.utf8Face, c.codePage) : c.utf8Face;
    FontDC f(Description(face, -16));
    const LONG em = 16;
    Glyph m = FetchGlyph(f.dc, 'm', GGO_GRAY8_BITMAP);
    Glyph i = FetchGlyph(f.dc, 'i', GGO_GRAY8_BITMAP);
    Glyph han = FetchGlyph(f.dc, 0x4E2D, GGO_GRAY8_BITMAP);
    Glyph times = FetchGlyph(f.dc, 0x00D7, GGO_GRAY8_BITMAP);  // double-byte in the Chinese code pages
    ASSERT_NE(m.result, GDI_ERROR);
    ASSERT_NE(i.result, GDI_ERROR);
    ASSERT_NE(han.result, GDI_ERROR);
    EXPECT_EQ(han.metrics.gmCellIncX, em);
    if (c.halfWidthCells) {
        EXPECT_EQ(m.metrics.gmCellIncX, em / 2);
        EXPECT_EQ(i.metrics.gmCellIncX, em / 2);
        EXPECT_EQ(times.metrics.gmCellIncX, em);
        EXPECT_LE(m.metrics.gmptGlyphOrigin.x + LONG(m.metrics.gmBlackBoxX), em / 2 + 1);
        EXPECT_GE(m.metrics.gmBlackBoxX, 6u);  // squeezed, not cut
        // The narrow letter sits in the middle of its cell.
        EXPECT_GE(i.metrics.gmptGlyphOrigin.x, 2);
        EXPECT_EQ(f.Metrics().tmAveCharWidth, em / 2);
        EXPECT_EQ(f.Metrics().tmMaxCharWidth, em);
        EXPECT_FALSE(f.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH);  // the bit means variable pitch
    } else {
        EXPECT_GT(m.metrics.gmCellIncX, i.metrics.gmCellIncX);
    }
}

INSTANTIATE_TEST_SUITE_P(Faces, CellWidths,
                         ::testing::Values(CellCase{"SimSun", "SimSun", nullptr, true},
                                           CellCase{"Heiti", "黑体", "GBK", true},
                                           CellCase{"XiMingTi", "細明體", "BIG5", true},
                                           CellCase{"Arial", "Arial", nullptr, false},
                                           CellCase{"XinXiMingTi", "新細明體", "BIG5", false},
                                           CellCase{"YaHei", "Microsoft YaHei", nullptr, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(GdiTest, HeavyWeightsAreEmboldened) {
    FontDC regular(Description("Arial", -16, FW_NORMAL));
    FontDC bold(Description("Arial", -16, FW_SEMIBOLD));
    TEXTMETRICA r = regular.Metrics(), b = bold.Metrics();
    EXPECT_EQ(b.tmMaxCharWidth, r.tmMaxCharWidth + 1);
    EXPECT_EQ(b.tmAveCharWidth, r.tmAveCharWidth + 1);
    EXPECT_EQ(b.tmHeight, r.tmHeight);
    EXPECT_EQ(b.tmWeight, FW_SEMIBOLD);
    Glyph plain = FetchGlyph(regular.dc, 'l', GGO_GRAY8_BITMAP);
    Glyph heavy = FetchGlyph(bold.dc, 'l', GGO_GRAY8_BITMAP);
    EXPECT_EQ(heavy.metrics.gmCellIncX, plain.metrics.gmCellIncX + 1);
    int plainInk = 0, heavyInk = 0;
    for (BYTE v : plain.bits) plainInk += v;
    for (BYTE v : heavy.bits) heavyInk += v;
    EXPECT_GT(heavyInk, plainInk + plainInk / 4);
    FontDC light(Description("Arial", -16, 599));
    EXPECT_EQ(light.Metrics().tmMaxCharWidth, r.tmMaxCharWidth);
}

TEST_F(GdiTest, WidthSetsTheAverageCharacterWidth) {
    FontDC natural(Description("Arial", -16));
    FontDC wide(Description("Arial", -16, FW_NORMAL, 2 * natural.Metrics().tmAveCharWidth));
    EXPECT_EQ(wide.Metrics().tmAveCharWidth, 2 * natural.Metrics().tmAveCharWidth);
    EXPECT_EQ(wide.Metrics().tmHeight, natural.Metrics().tmHeight);
    Glyph n = FetchGlyph(natural.dc, 'n', GGO_METRICS);
    Glyph w = FetchGlyph(wide.dc, 'n', GGO_METRICS);
    EXPECT_NEAR(w.metrics.gmCellIncX, 2 * n.metrics.gmCellIncX, 2);
}

TEST_F(GdiTest, ReportedStyleFields) {
    LOGFONTA description = Description("Arial", -16, FW_DONTCARE);
    description.lfItalic = 1;
    FontDC f(description);
    TEXTMETRICA tm = f.Metrics();
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    EXPECT_NE(tm.tmItalic, 0);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    EXPECT_EQ(tm.tmBreakChar, ' ');
    EXPECT_GE(tm.tmExternalLeading, 0);
}

}  // namespace
}  // namespace gdi_test
