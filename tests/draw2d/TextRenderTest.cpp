// Text on the software device, checked by its pixels: exact squares from a
// bitmap font, and a line of mixed Chinese and Latin text saved as a PNG
// for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "AsfFontWriter.h"
#include "TextTestSupport.h"
#include "d3d9/Control.h"
#include "draw2d/text/TextShellOperations.h"

namespace {

using text_test::Encode;
using text_test::TextTest;

class TextRenderTest : public TextTest {
protected:
    std::string OutputFolder() const {
        const char* base = std::getenv("LUMIVA_TEST_TMP");
        const std::string folder = base && *base ? base : "/tmp";
        std::filesystem::create_directories(folder);
        return folder;
    }
    lumiva::d3d9::Image BackBuffer() {
        IDirect3DSurface9* back = nullptr;
        device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
        back->Release();
        return image;
    }
};

TEST_F(TextRenderTest, BitmapGlyphsLandOnTheirPixels) {
    CreateDevice();
    AsfFontSpec spec{4, 4, {}};
    spec.glyphs.push_back(std::vector<uint8_t>(16, 7));
    spec.glyphs.push_back({7, 0, 0, 7, 0, 7, 7, 0, 0, 7, 7, 0, 7, 0, 0, 7});
    WriteDataFile("px.asf", WriteAsfFont(spec));
    ASSERT_TRUE(fonts_->CreateFont(shell_, "px.asf", 0, 4));
    ClearTarget(0xFF000000u);
    device_->BeginScene();
    const std::string text = std::string("\x81\x40\x81\x41", 4);  // glyphs 0 and 1
    OutputText(*fonts_, shell_, 4, text.c_str(), 4, 10, 10, 0xFFFF0000u, 0, kScreenZ, 0);
    device_->EndScene();
    const lumiva::d3d9::Image image = BackBuffer();
    for (UINT y = 8; y < 16; ++y) {
        for (UINT x = 8; x < 20; ++x) {
            bool lit = false;
            if (y >= 10 && y < 14 && x >= 10 && x < 14) lit = true;
            if (y >= 10 && y < 14 && x >= 14 && x < 18) lit = spec.glyphs[1][(y - 10) * 4 + (x - 14)] == 7;
            EXPECT_EQ(image.At(x, y), lit ? 0xFFFF0000u : 0xFF000000u) << x << "," << y;
        }
    }
}

TEST_F(TextRenderTest, MixedChineseAndLatinLine) {
    CreateDevice(240, 40);
    const std::string face = "@" + Encode("黑体") + ",16,0,32,0";
    ASSERT_TRUE(fonts_->CreateFont(shell_, face.c_str(), 0, 16));
    ClearTarget(0xFF202040u);
    lumiva::d3d9::EnableRecording(true);
    device_->BeginScene();
    const std::string text = Encode("Lumiva 文字 Text 中文 OK");
    OutputText(*fonts_, shell_, 16, text.c_str(), -1, 6, 12, 0xFFFFFFFFu, 0, kScreenZ, 0x00FFC040u);
    device_->EndScene();
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u) << "one batch";
    EXPECT_EQ(draws[0].args[1], 2u * 16) << "16 visible characters";

    const lumiva::d3d9::Image image = BackBuffer();
    ASSERT_TRUE(lumiva::d3d9::SavePng(image, OutputFolder() + "/text-mixed-chinese-latin.png"));
    int bright = 0, golden = 0;
    for (UINT y = 0; y < image.height; ++y) {
        for (UINT x = 0; x < image.width; ++x) {
            const D3DCOLOR c = image.At(x, y);
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (y < 9 || y > 34 || x < 4 || x > 230) {
                ASSERT_EQ(c, 0xFF202040u) << "nothing outside the line at " << x << "," << y;
            }
            bright += r > 200 && g > 200 && b > 200;
            golden += r > 200 && g > 120 && b < 120;
        }
    }
    EXPECT_GT(bright, 40) << "white upper halves of the glyphs";
    EXPECT_GT(golden, 50) << "gradient lower halves";
    // The Chinese characters are drawn: the 8 columns under 文 hold ink.
    int ink = 0;
    for (UINT y = 12; y < 30; ++y)
        for (UINT x = 6 + 7 * 8 + 2; x < 6 + 7 * 8 + 14; ++x) ink += ((image.At(x, y) >> 16) & 0xFF) > 150;
    EXPECT_GT(ink, 20);
}

}  // namespace
