#include "GdiTestSupport.h"

namespace gdi_test {
namespace {

TEST_F(GdiTest, SelectObjectReturnsThePreviousFont) {
    LOGFONTA description = Description("Arial", -12);
    HFONT first = CreateFontIndirectA(&description);
    HFONT second = CreateFontIndirectA(&description);
    HDC dc = GetDC(nullptr);
    HGDIOBJ initial = SelectObject(dc, first);
    EXPECT_EQ(initial, GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(dc, second), first);
    EXPECT_EQ(SelectObject(dc, initial), second);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_EQ(lumiva::gdi::LiveFontCount(), 0u);
    EXPECT_EQ(lumiva::gdi::LiveContextCount(), 0u);
}

TEST_F(GdiTest, DeletingASelectedFontLeavesTheDcWorking) {
    LOGFONTA description = Description("Arial", -12);
    HFONT font = CreateFontIndirectA(&description);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, font);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(SelectObject(dc, font), nullptr);  // the handle is gone
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 12);
    EXPECT_NE(FetchGlyph(dc, 'A', GGO_GRAY8_BITMAP).result, GDI_ERROR);
    EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(GdiTest, StaleAndForeignHandlesFail) {
    HDC dc = GetDC(nullptr);
    ASSERT_EQ(ReleaseDC(nullptr, dc), 1);
    TEXTMETRICA tm{};
    EXPECT_FALSE(GetTextMetricsA(dc, &tm));
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_FALSE(DeleteObject(nullptr));
    int local = 0;
    EXPECT_FALSE(DeleteObject(&local));
    EXPECT_EQ(SelectObject(nullptr, GetStockObject(SYSTEM_FONT)), nullptr);
    EXPECT_EQ(CreateCompatibleDC(dc), nullptr);
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
    EXPECT_FALSE(GetTextMetricsA(nullptr, &tm));
}

TEST_F(GdiTest, MemoryDcIsDeletedNotReleased) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(lumiva::gdi::LiveContextCount(), 0u);
}

TEST_F(GdiTest, StockFontsAreSharedAndSurviveDeletion) {
    HGDIOBJ system = GetStockObject(SYSTEM_FONT);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(GetStockObject(SYSTEM_FONT), system);
    EXPECT_NE(GetStockObject(DEFAULT_GUI_FONT), nullptr);
    EXPECT_EQ(GetStockObject(0), nullptr);  // a brush: not served
    EXPECT_TRUE(DeleteObject(system));
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(SelectObject(dc, system), system);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(lumiva::gdi::LiveFontCount(), 0u);
}

TEST_F(GdiTest, CreateFontAFillsTheDescription) {
    HFONT font = CreateFontA(-14, 7, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "SimHei");
    ASSERT_NE(font, nullptr);
    LOGFONTA stored{};
    EXPECT_EQ(GetObjectA(font, 0, nullptr), int(sizeof(LOGFONTA)));
    EXPECT_EQ(GetObjectA(font, sizeof stored, &stored), int(sizeof stored));
    EXPECT_EQ(stored.lfHeight, -14);
    EXPECT_EQ(stored.lfWidth, 7);
    EXPECT_EQ(stored.lfWeight, FW_BOLD);
    EXPECT_EQ(stored.lfItalic, 1);
    EXPECT_EQ(stored.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(stored.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_STREQ(stored.lfFaceName, "SimHei");
    EXPECT_EQ(lumiva::gdi::FontFileOf(font), kCjkFont);
    EXPECT_TRUE(DeleteObject(font));
}

TEST_F(GdiTest, ResetDropsEverything) {
    LOGFONTA description = Description("Arial", -12);
    HFONT font = CreateFontIndirectA(&description);
    GetDC(nullptr);
    CreateCompatibleDC(nullptr);
    EXPECT_EQ(lumiva::gdi::LiveFontCount(), 1u);
    EXPECT_EQ(lumiva::gdi::LiveContextCount(), 2u);
    lumiva::gdi::ResetForTests();
    EXPECT_EQ(lumiva::gdi::LiveFontCount(), 0u);
    EXPECT_EQ(lumiva::gdi::LiveContextCount(), 0u);
    EXPECT_FALSE(DeleteObject(font));
}

}  // namespace
}  // namespace gdi_test
