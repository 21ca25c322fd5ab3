// KFont::DrawString and the shell's OutputText: quads, advances, lines,
// wrapping, batches, colours and the states it gives back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AsfFontWriter.h"
#include "TextTestSupport.h"
#include "d3d9/Control.h"
#include "lumiva/basrel/HostGlobals.h"
#include "draw2d/text/TextShellOperations.h"

namespace {

using text_test::CapturedQuads;
using text_test::Encode;
using text_test::TextTest;

class DrawStringTest : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        CreateDevice();
        MakeAsfFont("a.asf", 12, 12, 200);
        ASSERT_TRUE(fonts_->CreateFont(shell_, "a.asf", 0, 12));
        font_ = fonts_->FindFont(12);
        font_->SetFontSize(12, 13);
        CaptureQuads();
    }
    std::vector<float> Lefts() const {
        std::vector<float> lefts;
        for (const auto& q : CapturedQuads().quads) lefts.push_back(q.Left() + 0.5f);
        return lefts;
    }
    std::vector<float> Tops() const {
        std::vector<float> tops;
        for (const auto& q : CapturedQuads().quads) tops.push_back(q.Top() + 0.5f);
        return tops;
    }
    void Draw(const std::string& text, float x = 10, float y = 20, int wrap = 0, int length = -2) {
        CapturedQuads() = {};
        font_->DrawString(text.c_str(), x, y, length == -2 ? int(text.size()) : length, 0, 0, 0xFF00FF00u, wrap);
    }
    KFont* font_ = nullptr;
};

TEST_F(DrawStringTest, QuadsAndTheirVertices) {
    Draw("A");
    ASSERT_EQ(CapturedQuads().quads.size(), 1u);
    const auto& q = CapturedQuads().quads[0];
    const float xs[6] = {9.5f, 21.5f, 9.5f, 9.5f, 21.5f, 21.5f};
    const float ys[6] = {19.5f, 19.5f, 31.5f, 31.5f, 19.5f, 31.5f};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(q.v[i].x, xs[i]) << i;
        EXPECT_FLOAT_EQ(q.v[i].y, ys[i]) << i;
        EXPECT_FLOAT_EQ(q.v[i].z, 0.9f);
        EXPECT_FLOAT_EQ(q.v[i].rhw, 1.0f);
        EXPECT_EQ(q.v[i].colour, 0xFF00FF00u) << "gradient 0xFF000000 draws one colour";
    }
    EXPECT_FLOAT_EQ(font_->PenX(), 16.0f);
    EXPECT_FLOAT_EQ(font_->PenY(), 20.0f);
}

TEST_F(DrawStringTest, HalfAndFullAdvances) {
    Draw("ABC");
    EXPECT_EQ(Lefts(), (std::vector<float>{10, 16, 22}));
    font_->SetFontSize(13, 14);
    Draw("ABC");
    EXPECT_EQ(Lefts(), (std::vector<float>{10, 16, 23}));
    const std::string mixed = "A" + Encode("中文") + "B C";
    Draw(mixed);
    EXPECT_EQ(Lefts(), (std::vector<float>{10, 16, 29, 42, 55})) << "a space advances without a quad";
}

TEST_F(DrawStringTest, BitmapFontCodesAreTheTextBytes) {
    const std::string text = "A~" + Encode("中");
    Draw(text);
    const KGlyphSlotTable& slots = font_->Cache().Slots();
    std::vector<uint16_t> codes;
    for (int i = 0; i < slots.Used(); ++i) codes.push_back(slots.Slot(i).code);
    const uint16_t zhong = uint16_t(uint8_t(text[2]) | uint8_t(text[3]) << 8);
    std::vector<uint16_t> expected = {uint16_t(0xA3 | 0x61 << 8), uint16_t(0xA3 | 0x9F << 8), zhong};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(codes, expected);
}

TEST_F(DrawStringTest, NewlinesAndWrapping) {
    Draw("A\nB");
    EXPECT_EQ(Lefts(), (std::vector<float>{10, 10}));
    EXPECT_EQ(Tops(), (std::vector<float>{20, 33}));

    // Wrap 60: a line ends when the next full advance would pass 60.
    Draw("ABCDEFGHIJKL", 0, 0, 60);
    EXPECT_EQ(Lefts(), (std::vector<float>{0, 6, 12, 18, 24, 30, 36, 42, 48, 0, 6, 12}));
    // An automatic wrap right before a newline byte adds no second line.
    Draw("ABCDEFGHI\nJKL", 0, 0, 60);
    EXPECT_EQ(Tops(), (std::vector<float>{0, 0, 0, 0, 0, 0, 0, 0, 0, 13, 13, 13}));
    // Near the end of a line, a character that may not start a line pulls
    // the one before it onto the next line.
    Draw("ABCDEFG,IJKL", 0, 0, 60);
    EXPECT_EQ(Lefts(), (std::vector<float>{0, 6, 12, 18, 24, 30, 0, 6, 12, 18, 24, 30}));
    EXPECT_FLOAT_EQ(Tops()[6], 13);
}

TEST_F(DrawStringTest, ShortTextsAndNarrowWidthsNeverWrap) {
    Draw("ABCDEFGHIJKL", 0, 0, 23);  // below two cell widths
    EXPECT_EQ(Tops(), std::vector<float>(12, 0));
    Draw("ABCDEFGHIJ", 0, 0, 60);  // 10 x 12 <= 2 x 60
    EXPECT_EQ(Tops(), std::vector<float>(10, 0));
}

TEST_F(DrawStringTest, BatchesOfSixtyFour) {
    Draw(std::string(65, 'x'));
    EXPECT_EQ(CapturedQuads().batches, (std::vector<int>{64, 1}));
    const KTextVertex& first = CapturedQuads().quads[0].v[0];
    const KTextVertex& last = CapturedQuads().quads[64].v[0];
    EXPECT_EQ(first.u, last.u) << "the same code takes the same cell across batches";
}

TEST_F(DrawStringTest, GradientColoursTheLowerEdge) {
    font_->SetGradientColor(0x80FF0000u);
    Draw("A");
    const auto& q = CapturedQuads().quads[0];
    EXPECT_EQ(q.v[0].colour, 0xFF00FF00u);
    EXPECT_EQ(q.v[1].colour, 0xFF00FF00u);
    EXPECT_EQ(q.v[2].colour, 0x80FF0000u);
    EXPECT_EQ(q.v[5].colour, 0x80FF0000u);
    EXPECT_EQ(g_TextGradientColor, 0x80FF0000u);
    font_->SetGradientColor(0);
    Draw("A");
    EXPECT_EQ(CapturedQuads().quads[0].v[5].colour, 0xFF00FF00u);
}

TEST_F(DrawStringTest, LengthRules) {
    Draw("AB\0CD", 0, 0, 0, -1);
    EXPECT_EQ(CapturedQuads().quads.size(), 2u);
    Draw("ABCD", 0, 0, 0, 3);
    EXPECT_EQ(CapturedQuads().quads.size(), 3u);
    const std::string leadAtEnd = "A\xD6";
    Draw(leadAtEnd, 0, 0);
    EXPECT_EQ(CapturedQuads().quads.size(), 1u) << "a lead byte at the end draws nothing";
    EXPECT_FLOAT_EQ(font_->PenX(), 12.0f) << "but still advances";
}

TEST_F(DrawStringTest, StatesAreGivenBackEvenForNothing) {
    device_->SetRenderState(D3DRS_ZENABLE, 1);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    lumiva::d3d9::EnableRecording(true);
    Draw("", 0, 0, 0, 0);
    const auto sets = lumiva::d3d9::RecordedCallsNamed("SetRenderState");
    EXPECT_FALSE(sets.empty()) << "length 0 still applies and gives back the states";
    lumiva::d3d9::ClearRecording();
    Draw("AB");
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP");
    EXPECT_TRUE(draws.empty()) << "captured, not drawn";
    DWORD value = 0;
    device_->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, 1u);
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, 0u);
    device_->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, DWORD(D3DTEXF_LINEAR));
    device_->GetTextureStageState(1, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, DWORD(D3DTOP_MODULATE));
}

TEST_F(DrawStringTest, DrawnQuadsUseTheTextStates) {
    g_pfnDrawTextQuads = DrawTextQuads;
    lumiva::d3d9::EnableRecording(true);
    Draw("AB");
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_TRIANGLELIST));
    EXPECT_EQ(draws[0].args[1], 4u);
    EXPECT_EQ(draws[0].args[3], 28u);
    const auto fvf = lumiva::d3d9::RecordedCallsNamed("SetFVF");
    ASSERT_FALSE(fvf.empty());
    EXPECT_EQ(fvf[0].args[0], 0x144u);
}

TEST_F(DrawStringTest, NothingWithoutFaceOrDevice) {
    Draw("AB", 50, 60);
    ASSERT_TRUE(fonts_->CreateFont(shell_, "#12", 0, 40));
    KFont* shared = fonts_->FindFont(40);
    EXPECT_EQ(shared, font_);
    font_->ReleaseFontFace();
    Draw("CD");
    EXPECT_TRUE(CapturedQuads().quads.empty());
    EXPECT_FLOAT_EQ(font_->PenX(), 62.0f) << "the pen stays where the last string left it";
}

TEST_F(DrawStringTest, OutputTextSetsSizesAndContinuesThePen) {
    OutputText(*fonts_, shell_, 12, "AB", -1, 5, 7, 0xFFFFFFFFu, 0, kScreenZ, 0x00123456u);
    EXPECT_EQ(font_->FullAdvance(), 12);
    EXPECT_EQ(font_->LineHeight(), 13);
    EXPECT_EQ(g_TextGradientColor, 0xFF123456u) << "the gradient takes the colour's alpha";
    CapturedQuads() = {};
    OutputText(*fonts_, shell_, 12, "C", -1, int32_t(0x80000000u), int32_t(0x80000000u), 0xFFFFFFFFu, 0, kScreenZ, 0);
    ASSERT_EQ(CapturedQuads().quads.size(), 1u);
    EXPECT_FLOAT_EQ(CapturedQuads().quads[0].Left(), 16.5f);
    EXPECT_FLOAT_EQ(CapturedQuads().quads[0].Top(), 6.5f);

    CapturedQuads() = {};
    OutputText(*fonts_, shell_, 99, "C", -1, 0, 0, 0xFFFFFFFFu, 0, kScreenZ, 0);
    OutputText(*fonts_, shell_, 12, "", -1, 0, 0, 0xFFFFFFFFu, 0, kScreenZ, 0);
    shell_.SetDeviceLost(true);
    OutputText(*fonts_, shell_, 12, "C", -1, 0, 0, 0xFFFFFFFFu, 0, kScreenZ, 0);
    EXPECT_TRUE(CapturedQuads().quads.empty());
}

TEST_F(DrawStringTest, OutputTextProjectsScenePoints) {
    shell_.SetProjection([](float x, float y, float z, float* sx, float* sy, float* sz) {
        *sx = x / 2 + 0.75f;
        *sy = y / 4;
        *sz = z;
    });
    shell_.SetWorldOffset(true, 20, 40, 0);
    OutputTextEx(*fonts_, shell_, 12, "A", -1, 100, 200, 0xFFFFFFFFu, 0, 5.0f, 0);
    ASSERT_EQ(CapturedQuads().quads.size(), 1u);
    EXPECT_FLOAT_EQ(CapturedQuads().quads[0].Left(), 60.25f);
    EXPECT_FLOAT_EQ(CapturedQuads().quads[0].Top(), 59.5f);
}

}  // namespace

namespace {

class GdiDrawStringTest : public TextTest {};

TEST_F(GdiDrawStringTest, GdiCodesAreUcs2OfTheHostCodePage) {
    CreateDevice();
    CaptureQuads();
    ASSERT_TRUE(fonts_->CreateFont(shell_, "@Arial,12,0,32,0", 0, 12));
    KFont* font = fonts_->FindFont(12);
    g_iCharacterSet = 1;
    const std::string big5 = "A" + Encode("中文", "BIG5");
    font->DrawString(big5.c_str(), 0, 0, -1, 0, 0, 0xFFFFFFFFu, 0);
    g_iCharacterSet = 0;
    const KGlyphSlotTable& slots = font->Cache().Slots();
    std::vector<uint16_t> codes;
    for (int i = 0; i < slots.Used(); ++i) codes.push_back(slots.Slot(i).code);
    EXPECT_EQ(codes, (std::vector<uint16_t>{0x41, 0x4E2D, 0x6587}));
    EXPECT_EQ(CapturedQuads().quads.size(), 3u);
}

}  // namespace
