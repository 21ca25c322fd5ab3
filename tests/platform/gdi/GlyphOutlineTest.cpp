#include "GdiTestSupport.h"

namespace gdi_test {
namespace {

bool MonoBit(const Glyph& g, UINT x, UINT y) {
    DWORD pitch = ((g.metrics.gmBlackBoxX + 31) / 32) * 4;
    return (g.bits[y * pitch + x / 8] >> (7 - x % 8)) & 1;
}

TEST_F(GdiTest, MonoBitmapRowsArePackedMsbFirstAndPaddedToFourBytes) {
    FontDC f(Description("Arial", -16));
    Glyph g = FetchGlyph(f.dc, 'I', GGO_BITMAP);
    ASSERT_NE(g.result, GDI_ERROR);
    const UINT w = g.metrics.gmBlackBoxX, h = g.metrics.gmBlackBoxY;
    const DWORD pitch = ((w + 31) / 32) * 4;
    EXPECT_EQ(g.sizeQuery, pitch * h);
    EXPECT_EQ(g.result, g.sizeQuery);
    // 'I' is a solid upright stroke: every row lit, and lit from the box's
    // left column (the box is tight), nothing past the width.
    for (UINT y = 0; y < h; ++y) {
        EXPECT_TRUE(MonoBit(g, 0, y)) << "row " << y;
        for (UINT x = w; x < pitch * 8; ++x) EXPECT_FALSE(MonoBit(g, x, y)) << x << "," << y;
    }
    EXPECT_GE(h, 11u);  // cap height of a 16-pixel em
}

TEST_F(GdiTest, WideMonoGlyphRowsTakeMoreThanOneWord) {
    FontDC f(Description("Arial", -48));
    Glyph g = FetchGlyph(f.dc, 'W', GGO_BITMAP);
    ASSERT_GT(g.metrics.gmBlackBoxX, 32u);
    EXPECT_EQ(g.result, 8 * g.metrics.gmBlackBoxY);
}

TEST_F(GdiTest, Gray8BitmapHasLevelsUpTo64AndPaddedRows) {
    FontDC f(Description("Arial", -16));
    Glyph g = FetchGlyph(f.dc, 'O', GGO_GRAY8_BITMAP);
    ASSERT_NE(g.result, GDI_ERROR);
    const UINT w = g.metrics.gmBlackBoxX, h = g.metrics.gmBlackBoxY;
    const DWORD pitch = (w + 3) & ~3u;
    ASSERT_EQ(g.result, pitch * h);
    int full = 0, partial = 0;
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < pitch; ++x) {
            BYTE v = g.bits[y * pitch + x];
            if (x >= w) {
                EXPECT_EQ(v, 0) << "padding at " << x << "," << y;
                continue;
            }
            EXPECT_LE(v, 64);
            full += v == 64;
            partial += v > 0 && v < 64;
        }
    EXPECT_GT(full, 0);
    EXPECT_GT(partial, 0);  // antialiased curves
}

TEST_F(GdiTest, GrayLayoutsUseTheirOwnLevelCounts) {
    FontDC f(Description("Arial", -16));
    for (auto [format, top] : {std::pair{GGO_GRAY2_BITMAP, 4}, {GGO_GRAY4_BITMAP, 16}, {GGO_GRAY8_BITMAP, 64}}) {
        Glyph g = FetchGlyph(f.dc, 'O', format);
        ASSERT_NE(g.result, GDI_ERROR);
        BYTE highest = 0;
        for (BYTE v : g.bits) highest = std::max(highest, v);
        EXPECT_EQ(highest, top) << "format " << format;
    }
}

TEST_F(GdiTest, SizeQueryAndShortBuffer) {
    FontDC f(Description("Arial", -16));
    MAT2 identity = Identity();
    GLYPHMETRICS gm{};
    DWORD needed = GetGlyphOutlineW(f.dc, 'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
    ASSERT_NE(needed, GDI_ERROR);
    ASSERT_GT(needed, 1u);
    std::vector<BYTE> buffer(needed, 0xAB);
    // A zero size with a buffer is still a query and leaves the buffer alone.
    EXPECT_EQ(GetGlyphOutlineW(f.dc, 'A', GGO_GRAY8_BITMAP, &gm, 0, buffer.data(), &identity), needed);
    EXPECT_EQ(buffer, std::vector<BYTE>(needed, 0xAB));
    EXPECT_EQ(GetGlyphOutlineW(f.dc, 'A', GGO_GRAY8_BITMAP, &gm, needed - 1, buffer.data(), &identity), GDI_ERROR);
    EXPECT_EQ(buffer, std::vector<BYTE>(needed, 0xAB));
}

TEST_F(GdiTest, BlankGlyphHasNoBitmapButMetrics) {
    FontDC f(Description("Arial", -16));
    for (UINT format : {GGO_BITMAP, GGO_GRAY8_BITMAP}) {
        Glyph g = FetchGlyph(f.dc, ' ', format);
        EXPECT_EQ(g.result, 0u);
        EXPECT_EQ(g.metrics.gmBlackBoxX, 1u);
        EXPECT_EQ(g.metrics.gmBlackBoxY, 1u);
        EXPECT_GT(g.metrics.gmCellIncX, 0);
        EXPECT_EQ(g.metrics.gmCellIncY, 0);
    }
}

TEST_F(GdiTest, MetricsOnlyCallMatchesTheBitmapCall) {
    FontDC f(Description("Arial", -16));
    Glyph metrics = FetchGlyph(f.dc, 'g', GGO_METRICS);
    Glyph bitmap = FetchGlyph(f.dc, 'g', GGO_GRAY8_BITMAP);
    EXPECT_NE(metrics.result, 0u);
    EXPECT_NE(metrics.result, GDI_ERROR);
    EXPECT_EQ(std::memcmp(&metrics.metrics, &bitmap.metrics, sizeof(GLYPHMETRICS)), 0);
    EXPECT_LT(bitmap.metrics.gmptGlyphOrigin.y - LONG(bitmap.metrics.gmBlackBoxY), 0);  // descender
}

TEST_F(GdiTest, GlyphPlacementFollowsTheBaseline) {
    FontDC f(Description("Arial", -20));
    Glyph dot = FetchGlyph(f.dc, '.', GGO_GRAY8_BITMAP);
    Glyph underscore = FetchGlyph(f.dc, '_', GGO_GRAY8_BITMAP);
    Glyph caret = FetchGlyph(f.dc, '^', GGO_GRAY8_BITMAP);
    EXPECT_LE(dot.metrics.gmptGlyphOrigin.y, 4);
    EXPECT_GT(dot.metrics.gmptGlyphOrigin.y, 0);
    EXPECT_LE(underscore.metrics.gmptGlyphOrigin.y, 0);
    EXPECT_GE(caret.metrics.gmptGlyphOrigin.y, 12);
}

TEST_F(GdiTest, SameInputGivesTheSameBits) {
    FontDC a(Description("Arial", -15));
    FontDC b(Description("Arial", -15));
    for (UINT ch : {UINT('R'), UINT('&'), UINT(0x4E2D)}) {
        for (UINT format : {GGO_BITMAP, GGO_GRAY8_BITMAP}) {
            Glyph first = FetchGlyph(a.dc, ch, format);
            Glyph again = FetchGlyph(a.dc, ch, format);
            Glyph other = FetchGlyph(b.dc, ch, format);
            EXPECT_EQ(first.bits, again.bits);
            EXPECT_EQ(first.bits, other.bits);
            EXPECT_EQ(std::memcmp(&first.metrics, &other.metrics, sizeof(GLYPHMETRICS)), 0);
        }
    }
}

struct ChineseCase {
    const char* label;
    const char* utf8Face;
    const char* codePage;
    UINT character;
};

void PrintTo(const ChineseCase& c, std::ostream* os) { *os << c.label; }


class ChineseGlyph : public GdiTest, public ::testing::WithParamInterface<ChineseCase> {};

TEST_P(ChineseGlyph, RendersInkInBothLayouts) {
    const ChineseCase& c = GetParam();
    FontDC f(Description(Encode(c.utf8Face, c.codePage), -16));
    TEXTMETRICA tm = f.Metrics();
    Glyph gray = FetchGlyph(f.dc, c.character, GGO_GRAY8_BITMAP);
    ASSERT_NE(gray.result, GDI_ERROR);
    int inked = 0;
    for (BYTE v : gray.bits) inked += v > 32;
    EXPECT_GT(inked, 30);
    EXPECT_GE(gray.metrics.gmBlackBoxX, 12u);
    EXPECT_GE(gray.metrics.gmBlackBoxY, 12u);
    EXPECT_GE(gray.metrics.gmCellIncX, 15);  // a full-width character
    EXPECT_LE(gray.metrics.gmCellIncX, tm.tmMaxCharWidth);

    Glyph mono = FetchGlyph(f.dc, c.character, GGO_BITMAP);
    ASSERT_NE(mono.result, GDI_ERROR);
    int lit = 0;
    for (BYTE byte : mono.bits) lit += __builtin_popcount(byte);
    EXPECT_GT(lit, 30);
}

INSTANTIATE_TEST_SUITE_P(Faces, ChineseGlyph,
                         ::testing::Values(ChineseCase{"GbkHeiti", "黑体", "GBK", 0x4E2D},     // 中
                                           ChineseCase{"GbkSongti", "宋体", "GBK", 0x9F8D},     // 龍
                                           ChineseCase{"Big5XinXiMingTi", "新細明體", "BIG5", 0x9AD4}  // 體
                                           ),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(GdiTest, RefusedCalls) {
    FontDC f(Description("Arial", -16));
    MAT2 identity = Identity();
    GLYPHMETRICS gm{};
    BYTE buffer[256];
    EXPECT_EQ(GetGlyphOutlineW(f.dc, 'A', GGO_GRAY8_BITMAP, &gm, sizeof buffer, buffer, nullptr), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(f.dc, 'A', GGO_GRAY8_BITMAP, nullptr, sizeof buffer, buffer, &identity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(nullptr, 'A', GGO_GRAY8_BITMAP, &gm, sizeof buffer, buffer, &identity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(f.dc, 'A', GGO_NATIVE, &gm, sizeof buffer, buffer, &identity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(f.dc, 'A', 9, &gm, sizeof buffer, buffer, &identity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(f.dc, 0xFFFFFF, GGO_GRAY8_BITMAP | GGO_GLYPH_INDEX, &gm, sizeof buffer, buffer,
                               &identity),
              GDI_ERROR);
}

TEST_F(GdiTest, CharacterMissingEverywhereGivesTheMissingGlyphBox) {
    FontDC f(Description("Arial", -16));
    Glyph missing = FetchGlyph(f.dc, 0x10FFFD, GGO_GRAY8_BITMAP);  // private use, in no face
    Glyph notdef = FetchGlyph(f.dc, 0, GGO_GRAY8_BITMAP | GGO_GLYPH_INDEX);
    ASSERT_NE(missing.result, GDI_ERROR);
    EXPECT_EQ(missing.bits, notdef.bits);
}

TEST_F(GdiTest, GlyphIndexSelectsTheSameGlyph) {
    FontDC f(Description("Arial", -16));
    Glyph byCode = FetchGlyph(f.dc, 'A', GGO_GRAY8_BITMAP);
    Glyph byIndex = FetchGlyph(f.dc, 36, GGO_GRAY8_BITMAP | GGO_GLYPH_INDEX);  // 'A' in DejaVu Sans
    EXPECT_EQ(byCode.bits, byIndex.bits);
}

TEST_F(GdiTest, MatrixScalesTheGlyph) {
    FontDC f(Description("Arial", -16));
    MAT2 wide = Identity();
    wide.eM11.value = 2;
    GLYPHMETRICS plain{}, doubled{};
    MAT2 identity = Identity();
    ASSERT_NE(GetGlyphOutlineW(f.dc, 'H', GGO_METRICS, &plain, 0, nullptr, &identity), GDI_ERROR);
    ASSERT_NE(GetGlyphOutlineW(f.dc, 'H', GGO_METRICS, &doubled, 0, nullptr, &wide), GDI_ERROR);
    EXPECT_NEAR(doubled.gmCellIncX, 2 * plain.gmCellIncX, 1);
    EXPECT_NEAR(double(doubled.gmBlackBoxX), 2.0 * plain.gmBlackBoxX, 2.0);
    EXPECT_EQ(doubled.gmBlackBoxY, plain.gmBlackBoxY);
}

}  // namespace
}  // namespace gdi_test

namespace gdi_test {
namespace {

TEST_F(GdiTest, UnhintedGlyphsKeepTheirShape) {
    FontDC f(Description("Arial", -16));
    Glyph hinted = FetchGlyph(f.dc, 'o', GGO_GRAY8_BITMAP);
    Glyph unhinted = FetchGlyph(f.dc, 'o', GGO_GRAY8_BITMAP | GGO_UNHINTED);
    ASSERT_NE(unhinted.result, GDI_ERROR);
    EXPECT_NEAR(double(unhinted.metrics.gmBlackBoxX), double(hinted.metrics.gmBlackBoxX), 1.0);
    EXPECT_NEAR(double(unhinted.metrics.gmBlackBoxY), double(hinted.metrics.gmBlackBoxY), 1.0);
    EXPECT_NEAR(unhinted.metrics.gmCellIncX, hinted.metrics.gmCellIncX, 1);
}

TEST_F(GdiTest, ItalicLeansToTheRight) {
    LOGFONTA description = Description("Arial", -32);
    FontDC upright(description);
    description.lfItalic = TRUE;
    FontDC italic(description);
    Glyph straight = FetchGlyph(upright.dc, 'l', GGO_BITMAP);
    Glyph leaning = FetchGlyph(italic.dc, 'l', GGO_BITMAP);
    EXPECT_GT(leaning.metrics.gmBlackBoxX, straight.metrics.gmBlackBoxX + 3);
    EXPECT_EQ(leaning.metrics.gmCellIncX, straight.metrics.gmCellIncX);
    // The top row's ink sits right of the bottom row's.
    const DWORD pitch = ((leaning.metrics.gmBlackBoxX + 31) / 32) * 4;
    auto firstInk = [&](UINT row) {
        for (UINT x = 0; x < leaning.metrics.gmBlackBoxX; ++x)
            if ((leaning.bits[row * pitch + x / 8] >> (7 - x % 8)) & 1) return int(x);
        return -1;
    };
    EXPECT_GT(firstInk(0), firstInk(leaning.metrics.gmBlackBoxY - 1) + 3);
}

}  // namespace
}  // namespace gdi_test
