// Text through the shell's slots on the software device: fonts from the
// font table, glyphs on their pixels, nothing while the device is lost,
// and fonts across a device reset.
#include <gtest/gtest.h>

#include "AsfFontWriter.h"
#include "ByteWriter.h"
#include "DrawShellFixture.h"
#include "d3d9/Control.h"
#include "lumiva/TextHostRecords.h"

namespace shell_test {
namespace {

class DrawShellText : public DrawShellTest {
protected:
    // A 4 x 4 bitmap font: glyph 0 full, glyph 1 a pattern.
    void WriteFont() {
        spec.cellWidth = 4;
        spec.cellHeight = 4;
        spec.glyphs.push_back(std::vector<uint8_t>(16, 7));
        spec.glyphs.push_back({7, 0, 0, 7, 0, 7, 7, 0, 0, 7, 7, 0, 7, 0, 0, 7});
        const std::vector<uint8_t> bytes = WriteAsfFont(spec);
        WriteDataFile("px.asf", std::string(bytes.begin(), bytes.end()));
    }
    lumiva::d3d9::Image DrawTwoGlyphs(KDrawShell* shell) {
        IDirect3DDevice9* device = shell->GetDevice();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        const std::string text("\x81\x40\x81\x41", 4);
        shell->OutputText(4, text.c_str(), 4, 10, 10, 0xFFFF0000u, 0, kScreenZ, 0);
        device->EndScene();
        return lumiva::d3d9::SurfaceImage(shell->backBufferSurface);
    }
    void ExpectGlyphs(const lumiva::d3d9::Image& image) {
        for (UINT y = 8; y < 16; ++y) {
            for (UINT x = 8; x < 20; ++x) {
                bool lit = false;
                if (y >= 10 && y < 14 && x >= 10 && x < 14) lit = true;
                if (y >= 10 && y < 14 && x >= 14 && x < 18) lit = spec.glyphs[1][(y - 10) * 4 + (x - 14)] == 7;
                EXPECT_EQ(image.At(x, y), lit ? 0xFFFF0000u : 0xFF000000u) << x << "," << y;
            }
        }
    }
    AsfFontSpec spec;
};

TEST_F(DrawShellText, GlyphsLandOnTheirPixels) {
    WriteFont();
    KDrawShell* shell = MakeCreatedShell();
    ASSERT_TRUE(shell->CreateFont("px.asf", 0, 4));
    ExpectGlyphs(DrawTwoGlyphs(shell));
}

TEST_F(DrawShellText, NothingWhileTheDeviceIsLost) {
    WriteFont();
    KDrawShell* shell = MakeCreatedShell();
    ASSERT_TRUE(shell->CreateFont("px.asf", 0, 4));
    shell->deviceLost = 1;
    const lumiva::d3d9::Image image = DrawTwoGlyphs(shell);
    EXPECT_EQ(image.At(11, 11), 0xFF000000u);
}

TEST_F(DrawShellText, FontsSurviveAResetAndLeaveNothingBehind) {
    WriteFont();
    KDrawShell* shell = MakeCreatedShell();
    ASSERT_TRUE(shell->CreateFont("px.asf", 0, 4));
    DrawTwoGlyphs(shell);
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    ASSERT_EQ(shell->InvalidateDeviceObjects(), 0);
    ASSERT_TRUE(shell->ChangeDisplayMode(800, 600, 0, 0));
    ASSERT_EQ(shell->RestoreDeviceObjects(), 0);
    ExpectGlyphs(DrawTwoGlyphs(shell));
    ReleaseShell();
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

TEST_F(DrawShellText, FontShortOfMemoryAtRestoreComesBackOnTheNextTry) {
    WriteFont();
    KDrawShell* shell = MakeCreatedShell();
    ASSERT_TRUE(shell->CreateFont("px.asf", 0, 4));
    ExpectGlyphs(DrawTwoGlyphs(shell));
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    ASSERT_EQ(shell->InvalidateDeviceObjects(), 0);
    ASSERT_TRUE(shell->ChangeDisplayMode(800, 600, 0, 0));
    // The glow's target and spot come first; the font's glyph texture is the third thing a restore makes.
    lumiva::d3d9::FailCreationAt(3);
    EXPECT_NE(shell->RestoreDeviceObjects(), 0);
    EXPECT_EQ(shell->RestoreDeviceObjects(), 0);
    ExpectGlyphs(DrawTwoGlyphs(shell));
}

TEST_F(DrawShellText, TextImageHandlerIsForgottenOnlyByItsOwner) {
    KDrawShell* shell = MakeShell();
    auto* handler = reinterpret_cast<ITextImageHandler*>(0x1000);
    auto* other = reinterpret_cast<ITextImageHandler*>(0x2000);
    EXPECT_EQ(shell->SetTextImageHandler(handler), 0);
    EXPECT_EQ(shell->RemoveTextImageHandler(other), 0);
    EXPECT_EQ(shell->textImageHandler, handler);
    shell->RemoveTextImageHandler(handler);
    EXPECT_EQ(shell->textImageHandler, nullptr);
}

}  // namespace
}  // namespace shell_test
