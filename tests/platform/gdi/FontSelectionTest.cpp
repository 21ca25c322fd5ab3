#include "GdiTestSupport.h"

namespace gdi_test {
namespace {

struct FaceCase {
    const char* label;
    const char* utf8Name;
    const char* codePage;  // null: the name is plain ASCII
    BYTE requestedCharSet;
    const char* expectedFile;
    BYTE expectedCharSet;
};

void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.label; }


const FaceCase kFaceCases[] = {
    {"GbkHeiti", "黑体", "GBK", DEFAULT_CHARSET, kCjkFont, GB2312_CHARSET},
    {"GbkSongti", "宋体", "GBK", DEFAULT_CHARSET, kCjkFont, GB2312_CHARSET},
    {"Big5XinXiMingTi", "新細明體", "BIG5", DEFAULT_CHARSET, kCjkFont, CHINESEBIG5_CHARSET},
    {"Big5XiMingTi", "細明體", "BIG5", DEFAULT_CHARSET, kCjkFont, CHINESEBIG5_CHARSET},
    {"LatinSimSun", "SimSun", nullptr, DEFAULT_CHARSET, kCjkFont, GB2312_CHARSET},
    {"LatinMingLiuAnyCase", "mingliu", nullptr, DEFAULT_CHARSET, kCjkFont, CHINESEBIG5_CHARSET},
    {"Arial", "Arial", nullptr, DEFAULT_CHARSET, kLatinFont, ANSI_CHARSET},
    {"TahomaAnsi", "Tahoma", nullptr, ANSI_CHARSET, kLatinFont, ANSI_CHARSET},
    {"EmptyName", "", nullptr, DEFAULT_CHARSET, kLatinFont, ANSI_CHARSET},
    // The character set outweighs a face that cannot show it.
    {"ArialGb2312", "Arial", nullptr, GB2312_CHARSET, kCjkFont, GB2312_CHARSET},
    {"ArialBig5", "Arial", nullptr, CHINESEBIG5_CHARSET, kCjkFont, CHINESEBIG5_CHARSET},
};

class FontSelection : public GdiTest, public ::testing::WithParamInterface<FaceCase> {};

TEST_P(FontSelection, CodePageNameReachesItsFace) {
    const FaceCase& c = GetParam();
    std::string name = c.codePage ? Encode(c.utf8Name, c.codePage) : std::string(c.utf8Name);
    ASSERT_TRUE(c.codePage == nullptr || !name.empty());
    LOGFONTA description = Description(name, -12);
    description.lfCharSet = c.requestedCharSet;
    FontDC f(description);
    ASSERT_NE(f.font, nullptr);
    EXPECT_EQ(lumiva::gdi::FontFileOf(f.font), c.expectedFile);
    EXPECT_EQ(f.Metrics().tmCharSet, c.expectedCharSet);
}

INSTANTIATE_TEST_SUITE_P(Names, FontSelection, ::testing::ValuesIn(kFaceCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(GdiTest, CodePageBytesOfTheCjkFaceNamesSelectTheCjkFont) {
    // The exact bytes the client writes into lfFaceName.
    for (const char* bytes : {"\xBA\xDA\xCC\xE5", "\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9"}) {
        FontDC f(Description(bytes, -14));
        ASSERT_NE(f.font, nullptr);
        EXPECT_EQ(lumiva::gdi::FontFileOf(f.font), kCjkFont);
        char face[64] = {};
        EXPECT_GT(GetTextFaceA(f.dc, sizeof face, face), 0);
        EXPECT_STREQ(face, "WenQuanYi Micro Hei");
    }
}

TEST_F(GdiTest, LatinFaceReportsDejaVu) {
    FontDC f(Description("Courier New", -14));
    char face[64] = {};
    EXPECT_EQ(GetTextFaceA(f.dc, 0, nullptr), int(std::strlen("DejaVu Sans")) + 1);
    GetTextFaceA(f.dc, sizeof face, face);
    EXPECT_STREQ(face, "DejaVu Sans");
    char small[4] = {};
    EXPECT_EQ(GetTextFaceA(f.dc, sizeof small, small), 4);
    EXPECT_STREQ(small, "Dej");
}

TEST_F(GdiTest, UnterminatedFaceNameStaysInsideItsField) {
    LOGFONTA description = Description("", -12);
    std::memset(description.lfFaceName, 'A', LF_FACESIZE);
    FontDC f(description);
    ASSERT_NE(f.font, nullptr);
    LOGFONTA stored{};
    ASSERT_EQ(GetObjectA(f.font, sizeof stored, &stored), int(sizeof stored));
    EXPECT_EQ(std::strlen(stored.lfFaceName), size_t(LF_FACESIZE - 1));
}

TEST_F(GdiTest, MissingCjkFileFallsBackToTheLatinOne) {
    lumiva::gdi::UseFontFilesForTests("", kLatinFont);
    FontDC f(Description(Encode("黑体", "GBK"), -12));
    ASSERT_NE(f.font, nullptr);
    EXPECT_EQ(lumiva::gdi::FontFileOf(f.font), kLatinFont);
}

TEST_F(GdiTest, NoFontFileAtAllFailsCreation) {
    lumiva::gdi::UseFontFilesForTests("", "/nonexistent/font.ttf");
    LOGFONTA description = Description("Arial", -12);
    EXPECT_EQ(CreateFontIndirectA(&description), nullptr);
    EXPECT_EQ(lumiva::gdi::LiveFontCount(), 0u);
}

TEST_F(GdiTest, LatinFaceBorrowsChineseGlyphsFromTheCjkFont) {
    FontDC latin(Description("Arial", -16));
    FontDC cjk(Description(Encode("黑体", "GBK"), -16));
    Glyph borrowed = FetchGlyph(latin.dc, 0x4E2D, GGO_GRAY8_BITMAP);  // 中
    Glyph native = FetchGlyph(cjk.dc, 0x4E2D, GGO_GRAY8_BITMAP);
    ASSERT_NE(borrowed.result, GDI_ERROR);
    EXPECT_EQ(borrowed.bits, native.bits);
    EXPECT_EQ(borrowed.metrics.gmCellIncX, native.metrics.gmCellIncX);
}

TEST_F(GdiTest, WithoutCjkFileAChineseCharacterGivesTheMissingGlyphBox) {
    lumiva::gdi::UseFontFilesForTests("", kLatinFont);
    FontDC f(Description("Arial", -16));
    Glyph glyph = FetchGlyph(f.dc, 0x4E2D, GGO_GRAY8_BITMAP);
    EXPECT_NE(glyph.result, GDI_ERROR);
    EXPECT_GT(glyph.result, 0u);  // the face's .notdef box
}

}  // namespace
}  // namespace gdi_test
