// The shell's font table: creating by descriptor, sharing, replacing and
// releasing fonts, and the font's own size operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TextTestSupport.h"
#include "lumiva/basrel/KStringMap.h"
#include "d3d9/Control.h"
#include "gdi/Control.h"
#include "win32/Control.h"

namespace {

using text_test::TextTest;

class FontTableTest : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        CreateDevice();
        MakeAsfFont("font/a.asf", 12, 12, 4);
    }
    std::vector<std::string> DebugTexts() { return lumiva::win32::RecordedDebugOutput(); }
    static std::string Text(int n) { return g_cStringMap.GetString(n); }
    bool Create(const char* descriptor, int32_t id) { return fonts_->CreateFont(shell_, descriptor, 0, id); }
};

TEST_F(FontTableTest, GdiAndFileFontsFillEntries) {
    ASSERT_TRUE(Create("@Arial,12,0,32,0", 12));
    KFont* gdi = fonts_->FindFont(12);
    ASSERT_NE(gdi, nullptr);
    EXPECT_TRUE(gdi->HasFace());
    EXPECT_TRUE(gdi->IsGdi());
    EXPECT_EQ(gdi->Mono(), 0);
    EXPECT_EQ(gdi->GrayLevel(), 32);
    EXPECT_NE(gdi->Texture(), nullptr);
    EXPECT_EQ(gdi->CellWidth(), float(gdi->Cache().CellWidth()));
    EXPECT_EQ(gdi->FullAdvance(), 14) << "creation leaves the advances alone";
    EXPECT_EQ(g_pTextDevice, device_);

    ASSERT_TRUE(Create("\\font\\A.ASF", 16));
    KFont* file = fonts_->FindFont(16);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(file->IsGdi());
    EXPECT_EQ(file->CellWidth(), 12.0f);
    EXPECT_EQ(fonts_->Entry(0).id, 12);
    EXPECT_EQ(fonts_->Entry(1).id, 16);

    ASSERT_TRUE(Create("@Arial,12,0,32,1", 13));
    EXPECT_EQ(fonts_->FindFont(13)->Mono(), 1);
    EXPECT_TRUE(DebugTexts().empty());
}

TEST_F(FontTableTest, SameIdReplacesAndSharesCount) {
    ASSERT_TRUE(Create("font/a.asf", 5));
    KFont* first = fonts_->FindFont(5);
    ASSERT_TRUE(Create("#5", 6));
    EXPECT_EQ(fonts_->FindFont(6), first);
    EXPECT_EQ(first->RefCount(), 2);
    ASSERT_TRUE(Create("@Arial,12,0,32,0", 5));
    EXPECT_NE(fonts_->FindFont(5), first);
    EXPECT_EQ(fonts_->Entry(0).id, 5) << "the entry with the id is reused";
    EXPECT_EQ(first->RefCount(), 1) << "the replaced font was released once";
    fonts_->ReleaseFont(6);
    EXPECT_EQ(fonts_->FindFont(6), nullptr);
    EXPECT_EQ(fonts_->Entry(1).id, 0);
    fonts_->ReleaseFont(77);  // nothing holds 77
    EXPECT_NE(fonts_->FindFont(5), nullptr);
}

TEST_F(FontTableTest, ShareFailuresKeepTheEntry) {
    EXPECT_FALSE(Create("#12", 7));
    EXPECT_EQ(DebugTexts(), std::vector<std::string>{Text(29)});
    EXPECT_EQ(fonts_->FindFont(7), nullptr);

    ASSERT_TRUE(Create("font/a.asf", 12));
    KFont* own = fonts_->FindFont(12);
    EXPECT_FALSE(Create("#12", 12)) << "the entry's own font cannot be shared with itself";
    EXPECT_EQ(fonts_->FindFont(12), own) << "and the working font stays";
    EXPECT_EQ(own->RefCount(), 1);
}

TEST_F(FontTableTest, ShareOfAFullCountFails) {
    ASSERT_TRUE(Create("font/a.asf", 1));
    KFont* font = fonts_->FindFont(1);
    while (font->RefCount() < KFont::kMaxRefCount) ASSERT_EQ(font->AddRef(), font);
    EXPECT_EQ(font->AddRef(), nullptr);
    EXPECT_EQ(font->RefCount(), KFont::kMaxRefCount);
    EXPECT_FALSE(Create("#1", 2));
    EXPECT_EQ(fonts_->FindFont(2), nullptr);
    while (font->RefCount() > 1) font->Release();
}

TEST_F(FontTableTest, FailedReplacementKeepsTheWorkingFont) {
    ASSERT_TRUE(Create("font/a.asf", 9));
    KFont* working = fonts_->FindFont(9);
    const char* failing[] = {"font/missing.asf", "@Arial,12,0,32,", "@Arial,12,0,32,0,1"};
    for (const char* descriptor : failing) {
        EXPECT_FALSE(Create(descriptor, 9)) << descriptor;
        EXPECT_EQ(fonts_->FindFont(9), working) << descriptor;
    }
    EXPECT_TRUE(working->HasFace());
    EXPECT_EQ(g_pTextDevice, device_) << "the failed font's release leaves the device to the working one";
    EXPECT_TRUE(DebugTexts().empty()) << "file and descriptor failures write no debug text";
}

TEST_F(FontTableTest, GdiFaceFailureNamesTheFace) {
    lumiva::gdi::UseFontFilesForTests("", "");
    EXPECT_FALSE(Create("@Nowhere,12,0,32,0", 3));
    EXPECT_EQ(DebugTexts(), (std::vector<std::string>{Text(31), "Nowhere", "\n"}));
    EXPECT_EQ(fonts_->FindFont(3), nullptr);
}

TEST_F(FontTableTest, TableFullNullDescriptorAndIdZero) {
    for (int id = 1; id <= 20; ++id) ASSERT_TRUE(Create("font/a.asf", id)) << id;
    EXPECT_FALSE(Create("font/a.asf", 21));
    EXPECT_TRUE(Create("font/a.asf", 20)) << "an id already held still finds its entry";
    fonts_->ReleaseFont(4);
    EXPECT_FALSE(Create(nullptr, 4));
    EXPECT_FALSE(Create("font/a.asf", 0));
    EXPECT_EQ(DebugTexts(), (std::vector<std::string>{Text(28), Text(28), Text(28)}));
}

TEST_F(FontTableTest, LostDeviceRefusesAtOnce) {
    shell_.SetDeviceLost(true);
    EXPECT_FALSE(Create("font/a.asf", 1));
    EXPECT_TRUE(DebugTexts().empty());
}

TEST_F(FontTableTest, ReleasingOneFontLeavesTheOthersTheDevice) {
    ASSERT_TRUE(Create("font/a.asf", 1));
    ASSERT_TRUE(Create("font/a.asf", 2));
    fonts_->ReleaseFont(1);
    EXPECT_EQ(g_pTextDevice, device_);
    fonts_->ReleaseFont(2);
    EXPECT_EQ(g_pTextDevice, nullptr) << "the last font lets the device go";
}

TEST_F(FontTableTest, SizesFromTheCellOrGiven) {
    ASSERT_TRUE(Create("font/a.asf", 1));
    KFont* font = fonts_->FindFont(1);
    font->SetFontSize(13, 14);
    EXPECT_EQ(font->FullAdvance(), 13);
    EXPECT_EQ(font->HalfAdvance(0), 6);
    EXPECT_EQ(font->HalfAdvance(1), 7);
    EXPECT_EQ(font->LineHeight(), 14);
    font->SetFontSize(0, 0);
    EXPECT_EQ(font->FullAdvance(), 12);
    EXPECT_EQ(font->LineHeight(), 12);
    int w = -1, h = -1;
    font->GetFontSize(nullptr, &h);
    EXPECT_EQ(w, -1);
    EXPECT_EQ(h, 12);
    font->GetFontSize(&w, nullptr);
    EXPECT_EQ(w, 12);
}

TEST_F(FontTableTest, AlphaCompareFollowsTheDeviceCaps) {
    ASSERT_TRUE(Create("font/a.asf", 1));
    EXPECT_TRUE(g_bTextAlphaCompare);
    delete fonts_;
    fonts_ = new KFontTable();
    device_->Release();
    device_ = nullptr;
    d3d_->Release();
    d3d_ = nullptr;
    lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
    adapter.halCaps.AlphaCmpCaps = D3DPCMPCAPS_ALWAYS | D3DPCMPCAPS_NEVER;
    lumiva::d3d9::SetAdapters({adapter});
    CreateDevice();
    ASSERT_TRUE(Create("font/a.asf", 1));
    EXPECT_FALSE(g_bTextAlphaCompare);
}

TEST_F(FontTableTest, DeviceResetKeepsGlyphs) {
    ASSERT_TRUE(Create("font/a.asf", 1));
    KFont* font = fonts_->FindFont(1);
    fonts_->InvalidateDeviceObjects();
    EXPECT_EQ(font->Texture(), nullptr);
    fonts_->RestoreDeviceObjects();
    EXPECT_NE(font->Texture(), nullptr);
    EXPECT_EQ(font->Texture(), font->Cache().GetTexture());
}

}  // namespace
