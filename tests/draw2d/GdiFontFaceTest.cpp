// GDI faces: the face pair, cell size, coverage bitmaps and the texels of
// WriteGdiGlyph with and without alpha compare.
#include <gtest/gtest.h>
#include <wingdi.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "TextTestSupport.h"
#include "lumiva/basrel/HostGlobals.h"
#include "draw2d/text/KFontFace.h"
#include "draw2d/text/TextGlobals.h"
#include "gdi/Control.h"

namespace {

using text_test::Encode;
using text_test::TextTest;

class GdiFontFaceTest : public TextTest {
protected:
    static LOGFONTA Description(const char* face, LONG height) {
        LOGFONTA d{};
        d.lfHeight = height;
        d.lfCharSet = DEFAULT_CHARSET;
        std::strncpy(d.lfFaceName, face, LF_FACESIZE - 1);
        return d;
    }
    static std::string FaceNameOf(HFONT font) {
        LOGFONTA d{};
        GetObjectA(font, sizeof d, &d);
        return d.lfFaceName;
    }
    // An Arial face of 32 grey levels, and its cell size.
    struct ArialFace {
        KFontFace face;
        int w = 0, h = 0;
        bool created = false;
        ArialFace(LONG height, uint8_t mono) {
            LOGFONTA d = Description("Arial", height);
            created = face.CreateGdiFonts(&d, 32, mono);
            face.GetCellSize(&w, &h);
        }
        const uint8_t* Coverage(uint16_t code) {
            uint8_t isGdi = 0;
            return face.GetGlyph(code, &isGdi);
        }
    };
};

struct TexelBox {
    static constexpr uint16_t kSentinel = 0xABCD;
    TexelBox(int w, int h) : width(w + 2), texels(size_t(w + 2) * size_t(h + 2), kSentinel) {}
    uint16_t* First() { return &texels[size_t(width) + 1]; }
    int Pitch() const { return width * 2; }
    uint16_t At(int x, int y) const { return texels[size_t(y + 1) * size_t(width) + size_t(x + 1)]; }
    int width;
    std::vector<uint16_t> texels;
};

TEST_F(GdiFontFaceTest, CharacterSetFaceFollowsTheHostCodePage) {
    LOGFONTA d = Description("Arial", -12);
    for (int set : {0, 1, 2}) {
        g_iCharacterSet = set;
        KFontFace face;
        ASSERT_TRUE(face.CreateGdiFonts(&d, 32, 0));
        EXPECT_EQ(FaceNameOf(face.DescriptionFont()), "Arial");
        EXPECT_EQ(FaceNameOf(face.CharacterSetFont()), set == 1 ? "\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9" : "\xBA\xDA\xCC\xE5")
            << "character set " << set;
    }
    g_iCharacterSet = 0;
}

TEST_F(GdiFontFaceTest, CellIsTheMaximumWidthAndHeightPlusTwo) {
    LOGFONTA d = Description("Arial", -12);
    KFontFace face;
    ASSERT_TRUE(face.CreateGdiFonts(&d, 32, 1));
    HDC dc = GetDC(nullptr);
    LOGFONTA plain = d;
    HFONT font = CreateFontIndirectA(&plain);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    int w = 0, h = 0;
    face.GetCellSize(&w, &h);
    EXPECT_EQ(w, tm.tmMaxCharWidth + 2) << "a mono face keeps the description's weight";
    EXPECT_EQ(h, tm.tmHeight + 2);
    face.Release();
    EXPECT_EQ(lumiva::gdi::LiveFontCount(), 0u);
}

TEST_F(GdiFontFaceTest, GrayLevelSetsFullCoverageOfDoubleByteCodesOnly) {
    const std::string hei = Encode("黑体");
    LOGFONTA d = Description(hei.c_str(), -16);
    KFontFace face32, face64;
    ASSERT_TRUE(face32.CreateGdiFonts(&d, 32, 0));
    ASSERT_TRUE(face64.CreateGdiFonts(&d, 64, 0));
    int w = 0, h = 0;
    face32.GetCellSize(&w, &h);
    const size_t pixels = size_t(w) * size_t(h);
    for (uint16_t code : {uint16_t(0x4E2D), uint16_t('A')}) {  // 中, A
        uint8_t isGdi = 0;
        const std::vector<uint8_t> c32(face32.GetGlyph(code, &isGdi), face32.GetGlyph(code, &isGdi) + pixels);
        EXPECT_EQ(isGdi, 1);
        const uint8_t* p64 = face64.GetGlyph(code, &isGdi);
        const std::vector<uint8_t> c64(p64, p64 + pixels);
        int full = 0, partial = 0;
        for (size_t i = 0; i < pixels; ++i) {
            const int level = c64[i] == 255 ? 64 : int(std::ceil(c64[i] * 64.0 / 255.0));
            const int expected = code < 128 ? c64[i] : (level >= 32 ? 255 : level * 255 / 32);
            ASSERT_EQ(c32[i], expected) << "code " << code << " pixel " << i;
            full += c64[i] == 255;
            partial += c64[i] > 0 && c64[i] < 255;
        }
        EXPECT_GT(full + partial, 10) << "code " << code << " has a glyph";
    }
}

TEST_F(GdiFontFaceTest, SpaceHasNoCoverage) {
    ArialFace arial(-12, 0);
    ASSERT_TRUE(arial.created);
    const int w = arial.w, h = arial.h;
    const uint8_t* coverage = arial.Coverage(' ');
    ASSERT_NE(coverage, nullptr);
    for (int i = 0; i < w * h; ++i) ASSERT_EQ(coverage[i], 0);
}

TEST_F(GdiFontFaceTest, MonoGlyphsAreFullOrEmpty) {
    ArialFace arial(-14, 1);
    ASSERT_TRUE(arial.created);
    const int w = arial.w, h = arial.h;
    const uint8_t* coverage = arial.Coverage('W');
    int set = 0;
    for (int i = 0; i < w * h; ++i) {
        ASSERT_TRUE(coverage[i] == 0 || coverage[i] == 255);
        set += coverage[i] == 255;
    }
    EXPECT_GT(set, 10);
}

TEST_F(GdiFontFaceTest, TexelsOfAGlyphWithItsOutlineRing) {
    ArialFace arial(-12, 0);
    ASSERT_TRUE(arial.created);
    KFontFace& face = arial.face;
    const int w = arial.w, h = arial.h;
    std::vector<uint8_t> coverage(size_t(w) * size_t(h), 0);
    coverage[size_t(2) * w + 2] = 255;  // glyph pixel (2, 2) is texel (3, 3)
    coverage[size_t(6) * w + 6] = 128;  // texel (7, 7)

    TexelBox box(w, h);
    face.WriteGdiGlyph(coverage.data(), box.First(), box.Pitch());
    EXPECT_EQ(box.At(3, 3), 0xFFFF);
    for (auto [x, y] : {std::pair{2, 3}, {4, 3}, {3, 2}, {3, 4}}) EXPECT_EQ(box.At(x, y), 0xF000) << x << "," << y;
    EXPECT_EQ(box.At(2, 2), 0x0000) << "diagonals are outside the ring";
    // t = 128 from its own pass, alpha from 128 + 127 * 128 / 255 = 191, grey 128 * 15 / 255 = 7.
    EXPECT_EQ(box.At(7, 7), 0xB777);
    EXPECT_EQ(box.At(6, 7), 0x8000);
    EXPECT_EQ(box.At(0, 0), 0x0000);

    g_bTextAlphaCompare = false;
    face.WriteGdiGlyph(coverage.data(), box.First(), box.Pitch());
    EXPECT_EQ(box.At(3, 3), 0xFFFF);
    EXPECT_EQ(box.At(7, 7), 0x8FFF);
    EXPECT_EQ(box.At(2, 3), 0x0000) << "no ring without alpha compare";
    coverage[size_t(6) * w + 6] = 15;
    face.WriteGdiGlyph(coverage.data(), box.First(), box.Pitch());
    EXPECT_EQ(box.At(7, 7), 0x0000) << "coverage below 16 leaves the texel clear";
}

TEST_F(GdiFontFaceTest, FullCoverageNeverLeavesTheCell) {
    ArialFace arial(-12, 0);
    ASSERT_TRUE(arial.created);
    KFontFace& face = arial.face;
    const int w = arial.w, h = arial.h;
    std::vector<uint8_t> coverage(size_t(w) * size_t(h), 255);
    for (bool alphaCompare : {true, false}) {
        g_bTextAlphaCompare = alphaCompare;
        TexelBox box(w, h);
        face.WriteGdiGlyph(coverage.data(), box.First(), box.Pitch());
        for (int y = -1; y <= h; ++y) {
            for (int x = -1; x <= w; ++x) {
                const bool inside = x >= 0 && y >= 0 && x < w && y < h;
                if (!inside) {
                    ASSERT_EQ(box.At(x, y), TexelBox::kSentinel) << x << "," << y;
                }
            }
        }
        EXPECT_EQ(box.At(w - 1, h - 1), 0xFFFF);
        EXPECT_EQ(box.At(0, 1), alphaCompare ? 0xF000 : 0x0000) << "the ring left of the glyph";
        EXPECT_EQ(box.At(0, 0), 0x0000) << "the ring has no corners";
    }
}

}  // namespace
