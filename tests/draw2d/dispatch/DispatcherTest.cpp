// DrawPrimitives: records, guards, lines, corner frames, bars and the
// routing of sprite records to the screen renderers.
#include <algorithm>
#include <cstring>
#include <new>

#include "DispatchFixture.h"
#include "lumiva/PrimitiveRecords.h"
#include "effects/KLightning.h"
#include "scene/KModelProxy.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"

namespace dispatch_test {
namespace {

TEST(PrimitiveRecords, PictureConstructorSetsAlphaAndClearsTheTailOnly) {
    alignas(KPrimPicture) uint8_t bytes[sizeof(KPrimPicture)];
    std::memset(bytes, 0xAB, sizeof bytes);
    new (bytes) KPrimPicture();
    for (size_t i = 0; i < sizeof bytes; ++i) {
        const uint8_t expected = i == 51 ? 0xFF : i >= 192 ? 0x00 : 0xAB;
        EXPECT_EQ(bytes[i], expected) << "byte " << i;
    }
}

TEST(PrimitiveRecords, BarLevelsBecomeAlphaModulo256) {
    const std::pair<uint8_t, uint8_t> cases[] = {{0, 0xFF}, {1, 0xF7}, {31, 7}, {32, 0xFF}, {255, 7}};
    for (auto [level, alpha] : cases) EXPECT_EQ(BarAlpha(level), alpha) << int(level);
}

TEST(PrimitiveRecords, SceneQuadListsStepByTheirOwnRecordSize) {
    EXPECT_EQ(ScenePictureStride(PRIM_QUAD_PICTURES), 264u);
    EXPECT_EQ(ScenePictureStride(PRIM_BRIGHT_QUAD_PICTURES), 264u);
    EXPECT_EQ(ScenePictureStride(PRIM_QUAD_PICTURES_CLIP_SPAN), 264u);
    EXPECT_EQ(ScenePictureStride(PRIM_PICTURES), 208u);
}

KPrimLine Line(int x1, int y1, int x2, int y2, uint32_t argb) {
    KPrimLine r{};
    r.x1 = x1, r.y1 = y1, r.x2 = x2, r.y2 = y2;
    r.blue = uint8_t(argb), r.green = uint8_t(argb >> 8), r.red = uint8_t(argb >> 16), r.alpha = uint8_t(argb >> 24);
    return r;
}

KPrimBar Bar(int x1, int y1, int x2, int y2, uint32_t rgb, uint8_t level) {
    KPrimBar r{};
    r.ax = x1, r.ay = y1, r.bx = x2, r.by = y2;
    r.fax = float(x1), r.fay = float(y1), r.fbx = float(x2), r.fby = float(y2);
    r.blue = uint8_t(rgb), r.green = uint8_t(rgb >> 8), r.red = uint8_t(rgb >> 16), r.level = level;
    return r;
}

using Dispatcher = WithCallLog<DispatchTest>;

TEST_F(Dispatcher, GuardsDrawNothingAndChangeNoState) {
    KPrimLine line = Line(1, 1, 5, 5, kRed);
    ClearTarget();
    m_shell->DrawPrimitives(1, nullptr, PRIM_LINES, 1, 0, -1, -1.0f);
    m_shell->DrawPrimitives(1, &line, 25, 1, 0, -1, -1.0f);
    m_shell->DrawPrimitives(1, &line, DWORD(-1), 1, 0, -1, -1.0f);
    for (DWORD reserved : {8u, 11u, 16u}) m_shell->DrawPrimitives(4, &line, reserved, 1, 0, -1, -1.0f);
    m_shell->deviceLost = 1;
    m_shell->DrawPrimitives(1, &line, PRIM_LINES, 1, 0, -1, -1.0f);
    m_shell->deviceLost = 0;
    EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty());
}

TEST_F(Dispatcher, LineKeepsItsColourAndAlphaAndFillsItsPixels) {
    KPrimLine line = Line(2, 3, 7, 3, 0x80FF0000);
    ClearTarget();
    m_shell->DrawPrimitives(1, &line, PRIM_LINES, 1, 0, -1, -1.0f);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].colour, 0x80FF0000u);
    EXPECT_EQ(v[0].x, 2.0f);
    EXPECT_EQ(v[1].x, 7.0f);
    EXPECT_EQ(v[0].z, 100.0f);
    // Drawn with the diffuse colour alone, then back to the usual stage.
    EXPECT_EQ(draws[0].state->stageStates[0][D3DTSS_COLOROP], DWORD(D3DTOP_SELECTARG2));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(StageState(D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
    auto image = Target();
    // Half alpha over black, under the shell's default blending.
    for (int x = 2; x < 7; ++x) EXPECT_EQ(image.At(x, 3), 0xFF800000u) << x;
    EXPECT_EQ(image.At(1, 3), kBlack);
    EXPECT_EQ(image.At(4, 4), kBlack);
}

TEST_F(Dispatcher, CornerFrameDrawsEightLinesEndingOnePixelShortOnTheLastDiagonal) {
    KPrimLine frame = Line(10, 10, 50, 30, 0x00123456);
    ClearTarget();
    m_shell->DrawPrimitives(1, &frame, PRIM_CORNER_FRAMES, 1, 0, -1, -1.0f);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 8u);
    const float expected[8][4] = {{13, 10, 47, 10}, {13, 30, 47, 30}, {10, 13, 10, 27}, {50, 13, 50, 27},
                                  {13, 10, 10, 13}, {47, 10, 50, 13}, {10, 27, 13, 30}, {47, 30, 50, 26}};
    for (int i = 0; i < 8; ++i) {
        auto v = DrawnVertices(draws[size_t(i)]);
        EXPECT_EQ(v[0].x, expected[i][0]) << i;
        EXPECT_EQ(v[0].y, expected[i][1]) << i;
        EXPECT_EQ(v[1].x, expected[i][2]) << i;
        EXPECT_EQ(v[1].y, expected[i][3]) << i;
        EXPECT_EQ(v[0].colour, 0xFF123456u) << "opaque whatever the record's alpha";
    }
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(FALSE));
    auto image = Target();
    EXPECT_EQ(image.At(20, 10), 0xFF123456u);
    EXPECT_EQ(image.At(10, 20), 0xFF123456u);
    EXPECT_EQ(image.At(30, 20), kBlack);
}

TEST_F(Dispatcher, BarHasABodyAndThreeShrinkingRowsOnEachSide) {
    KPrimBar bar = Bar(10, 10, 30, 20, 0xFF0000, 0);
    ClearTarget();
    m_shell->DrawPrimitives(1, &bar, PRIM_BARS, 1, 0, -1, -1.0f);
    ASSERT_EQ(Draws().size(), 7u);
    auto image = Target();
    auto red = [&](int x, int y) { return image.At(UINT(x), UINT(y)) == kRed; };
    ASSERT_EQ(image.At(15, 14), kRed);
    // Body: rows 13..16, columns 10..29.
    for (int y = 13; y <= 16; ++y) {
        EXPECT_TRUE(red(10, y) && red(29, y)) << y;
        EXPECT_FALSE(red(9, y) || red(30, y)) << y;
    }
    // Above: row 12 from 11, row 11 from 12, row 10 from 13; below mirrored.
    const int rows[6][2] = {{12, 11}, {11, 12}, {10, 13}, {17, 11}, {18, 12}, {19, 13}};
    for (auto [y, left] : rows) {
        EXPECT_FALSE(red(left - 1, y)) << y;
        EXPECT_TRUE(red(left, y)) << y;
        // The device's lines keep their last pixel: the row ends at x2 - i.
        EXPECT_TRUE(red(40 - left, y)) << y;
        EXPECT_FALSE(red(41 - left, y)) << y;
    }
    EXPECT_FALSE(red(20, 9));
    EXPECT_FALSE(red(20, 20));
}

TEST_F(Dispatcher, BarLevelBecomesVertexAlpha) {
    for (auto [level, alpha] : {std::pair<uint8_t, DWORD>{0, 0xFF}, {31, 7}, {32, 0xFF}}) {
        KPrimBar bar = Bar(0, 0, 10, 10, 0x00FF00, level);
        ClearTarget();
        m_shell->DrawPrimitives(1, &bar, PRIM_THIN_BARS, 1, 0, -1, -1.0f);
        auto draws = Draws();
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(DrawnVertices(draws[0])[0].colour, alpha << 24 | 0x00FF00u) << int(level);
    }
}

TEST_F(Dispatcher, FloatBarKeepsFractionsAndTruncatesItsFill) {
    KPrimBar bar = Bar(0, 0, 0, 0, 0xFF, 0);
    bar.fax = 10.25f, bar.fay = 10.0f, bar.fbx = 20.75f, bar.fby = 20.5f;
    ClearTarget();
    m_shell->DrawPrimitives(1, &bar, PRIM_BARS, 1, 1, -1, -1.0f);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 7u);
    auto fill = DrawnVertices(draws[0]);
    EXPECT_EQ(fill[0].x, 10.25f);
    EXPECT_EQ(fill[0].y, 13.0f);
    EXPECT_EQ(fill[3].x, 20.25f);  // width 10.5 truncated to 10
    EXPECT_EQ(fill[3].y, 17.0f);   // height 4.5 truncated to 4
    auto firstRow = DrawnVertices(draws[1]);
    EXPECT_EQ(firstRow[0].x, 10.75f);
    EXPECT_EQ(firstRow[0].y, 12.5f);
}

TEST_F(Dispatcher, ModelsWithoutHandlesAreSkippedAndStatesComeBack) {
    KPrimModel models[2] = {};
    KModelProxy empty;  // no model: logged, nothing updated
    models[1].model = &empty;
    models[1].computeTransform = 1;
    neighbours::CallLog().clear();
    Device()->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    m_shell->DrawPrimitives(2, models, PRIM_MODELS, 1, 0, -1, -1.0f);
    std::vector<std::string> updates;
    for (const auto& line : neighbours::CallLog())
        if (line.rfind("KModel::", 0) == 0) updates.push_back(line);
    EXPECT_EQ(updates, std::vector<std::string>{"KModel::Update transform 1"});
}

TEST_F(Dispatcher, LightningWithoutObjectsIsSkippedAndItsThirteenStatesComeBack) {
    KPrimEffect effects[2] = {};
    KLightning unloaded;  // draws nothing
    effects[0].effect = &unloaded;
    Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    neighbours::CallLog().clear();
    m_shell->DrawPrimitives(2, effects, PRIM_LIGHTNING, 1, 0, -1, -1.0f);
    EXPECT_EQ(std::count(neighbours::CallLog().begin(), neighbours::CallLog().end(), "KLightning::Render"), 1);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));
}

}  // namespace
}  // namespace dispatch_test
