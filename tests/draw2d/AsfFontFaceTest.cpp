// Bitmap font files: loading, the checks on their headers, offsets and runs,
// the code-to-glyph table, and the texels their glyphs become.
#include <gtest/gtest.h>

#include <vector>

#include "AsfFontWriter.h"
#include "TextTestSupport.h"
#include "draw2d/text/KFontFace.h"
#include "draw2d/text/TextGlobals.h"

namespace {

using text_test::TextTest;

class AsfFontFaceTest : public TextTest {};

// A cell-sized texel buffer with a border of sentinels around it, so writes
// outside the cell show.
struct CellBuffer {
    static constexpr uint16_t kSentinel = 0xABCD;
    CellBuffer(int w, int h) : width(w + 2), height(h + 2), texels(size_t(width) * height, kSentinel) {}
    uint16_t* First() { return &texels[size_t(width) + 1]; }
    int Pitch() const { return width * 2; }
    uint16_t At(int x, int y) const { return texels[size_t(y + 1) * width + size_t(x + 1)]; }
    int width, height;
    std::vector<uint16_t> texels;
};

TEST(AsfGlyphIndex, FollowsGbkRows) {
    EXPECT_EQ(AsfGlyphIndex(0x4081), 0);
    EXPECT_EQ(AsfGlyphIndex(0x7E81), 62);
    EXPECT_EQ(AsfGlyphIndex(0x8081), 63);  // 0x7F is skipped
    EXPECT_EQ(AsfGlyphIndex(0xFE81), 189);
    EXPECT_EQ(AsfGlyphIndex(0x4082), 190);
    EXPECT_EQ(AsfGlyphIndex(0xA1B0), (0xB0 - 0x81) * 190 + (0xA1 - 0x41));
    EXPECT_EQ(AsfGlyphIndex(0x7F81), -1);
    EXPECT_EQ(AsfGlyphIndex(0x3F81), -1);
    EXPECT_EQ(AsfGlyphIndex(0xFF81), -1);
    EXPECT_EQ(AsfGlyphIndex(0x4080), -1);
    EXPECT_EQ(AsfGlyphIndex(0x0041), -1);
    for (int index : {0, 62, 63, 189, 190, 5000, 23939}) EXPECT_EQ(AsfGlyphIndex(AsfCodeOfGlyph(index)), index);
}

TEST_F(AsfFontFaceTest, LoadsAndYieldsGlyphRunsByCode) {
    AsfFontSpec spec{4, 2, {}};
    spec.glyphs.push_back({0, 0, 7, 7, 1, 1, 1, 1});
    spec.glyphs.push_back({7, 7, 7, 7, 0, 0, 0, 0});
    WriteDataFile("a.asf", WriteAsfFont(spec));
    KFontFace face;
    ASSERT_TRUE(face.LoadAsfFont("\\a.asf"));
    int w = 0, h = 0;
    face.GetCellSize(&w, &h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(face.GlyphCount(), 2u);

    uint8_t isGdi = 9;
    uint32_t runBytes = 0;
    const uint8_t* runs = face.GetGlyph(AsfCodeOfGlyph(1), &isGdi, &runBytes);
    ASSERT_NE(runs, nullptr);
    EXPECT_EQ(isGdi, 0);
    EXPECT_EQ(runs[0], 7 << 5 | 4);
    EXPECT_EQ(runBytes, 2u);
    EXPECT_EQ(face.GetGlyph(AsfCodeOfGlyph(2), &isGdi), nullptr) << "past the glyph count";
    EXPECT_EQ(face.GetGlyph(0x0041, &isGdi), nullptr) << "outside the code table";

    CellBuffer cell(4, 2);
    runs = face.GetGlyph(AsfCodeOfGlyph(0), &isGdi, &runBytes);
    face.DecodeAsfGlyph(runs, runBytes, cell.First(), cell.Pitch());
    const uint16_t expected[2][4] = {{0, 0, 0xFFFF, 0xFFFF}, {0xEFFF, 0xEFFF, 0xEFFF, 0xEFFF}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(cell.At(x, y), expected[y][x]) << x << "," << y;

    g_bTextAlphaCompare = false;
    face.DecodeAsfGlyph(runs, runBytes, cell.First(), cell.Pitch());
    EXPECT_EQ(cell.At(0, 1), 0x0000) << "partial levels vanish without alpha compare";
    EXPECT_EQ(cell.At(2, 0), 0xFFFF);
}

TEST_F(AsfFontFaceTest, MalformedRunsStayInsideTheCell) {
    KFontFace face;
    AsfRawFont raw;
    raw.cellWidth = 3;
    raw.cellHeight = 2;
    raw.offsets = {0, 2, 4};
    // Glyph 0: one run of 31 pixels (longer than the row), then row 2.
    // Glyph 1: a zero run that ends the glyph.
    // Glyph 2: the data ends inside the glyph.
    raw.data = {7 << 5 | 31, 7 << 5 | 3, 7 << 5 | 1, 0, 7 << 5 | 2};
    WriteDataFile("runs.asf", WriteAsfRaw(raw));
    ASSERT_TRUE(face.LoadAsfFont("runs.asf"));
    uint8_t isGdi = 0;
    uint32_t runBytes = 0;
    for (int glyph = 0; glyph < 3; ++glyph) {
        CellBuffer cell(3, 2);
        const uint8_t* runs = face.GetGlyph(AsfCodeOfGlyph(glyph), &isGdi, &runBytes);
        face.DecodeAsfGlyph(runs, runBytes, cell.First(), cell.Pitch());
        for (int y = -1; y <= 2; ++y) {
            EXPECT_EQ(cell.At(-1, y), CellBuffer::kSentinel) << "glyph " << glyph;
            EXPECT_EQ(cell.At(3, y), CellBuffer::kSentinel) << "glyph " << glyph;
        }
        for (int x = 0; x < 3; ++x) EXPECT_EQ(cell.At(x, 2), CellBuffer::kSentinel) << "glyph " << glyph;
        if (glyph == 0) {
            EXPECT_EQ(cell.At(2, 0), 0xFFFF);
            EXPECT_EQ(cell.At(2, 1), 0xFFFF);
        } else {
            EXPECT_EQ(cell.At(0, 0), 0xFFFF);
            EXPECT_EQ(cell.At(2, 0), 0x0000) << "glyph " << glyph << " stops early and leaves the rest clear";
            EXPECT_EQ(cell.At(0, 1), 0x0000);
        }
    }
}

TEST_F(AsfFontFaceTest, BadFilesLoadNothing) {
    struct Case {
        const char* what;
        AsfRawFont font;
        int cut;  // bytes taken off the end
    };
    auto base = [] {
        AsfRawFont f;
        f.cellWidth = 2;
        f.cellHeight = 1;
        f.offsets = {0, 1};
        f.data = {7 << 5 | 2, 0 << 5 | 2};
        return f;
    };
    // The base font with one field damaged.
    auto damaged = [&](const char* what, auto damage) {
        AsfRawFont f = base();
        damage(f);
        return Case{what, f, 0};
    };
    std::vector<Case> cases{
        {"glyph data one byte short", base(), 1},
        damaged("wrong magic", [](AsfRawFont& f) { f.magic = 0x00465342; }),
        damaged("zero data size", [](AsfRawFont& f) { f.dataSize = 0; }),
        damaged("zero glyph count", [](AsfRawFont& f) { f.glyphCount = 0; }),
        damaged("count past the file", [](AsfRawFont& f) { f.glyphCount = 0x40000000; }),
        damaged("data size past the file", [](AsfRawFont& f) { f.dataSize = 0xFFFFFFFF; }),
        damaged("offset past the data", [](AsfRawFont& f) { f.offsets = {0, 2}; }),
        damaged("zero cell width", [](AsfRawFont& f) { f.cellWidth = 0; }),
        damaged("zero cell height", [](AsfRawFont& f) { f.cellHeight = 0; }),
    };
    cases.push_back({"header cut short", base(), 1000});
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = WriteAsfRaw(c.font);
        bytes.resize(bytes.size() > size_t(c.cut) ? bytes.size() - size_t(c.cut) : 3);
        WriteDataFile("bad.asf", bytes);
        KFontFace face;
        EXPECT_FALSE(face.LoadAsfFont("bad.asf")) << c.what;
        EXPECT_EQ(face.GlyphCount(), 0u) << c.what;
        uint8_t isGdi = 0;
        EXPECT_EQ(face.GetGlyph(AsfCodeOfGlyph(0), &isGdi), nullptr) << c.what;
    }
    KFontFace face;
    EXPECT_FALSE(face.LoadAsfFont("missing.asf"));
    EXPECT_FALSE(face.LoadAsfFont(nullptr));
}

}  // namespace
