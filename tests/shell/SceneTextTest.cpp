// Text placed at scene points on a created shell: every text slot projects
// the point through the shell's own camera, in the orthographic default and
// in the perspective of option 1, exactly as the picture renderers do.
#include <gtest/gtest.h>

#include <cmath>

#include "AsfFontWriter.h"
#include "FrameFixture.h"
#include "lumiva/TextHostRecords.h"

namespace shell_test {
namespace {

constexpr int kFontId = 4;
constexpr DWORD kInk = 0xFFFF0000u;
constexpr DWORD kPaper = 0xFF000000u;
// Scene point of the text: on screen in both projections, far from the
// pixel it would land on were it taken as a screen point.
constexpr int kSceneX = 90, kSceneY = 40, kSceneZ = 0;

class SceneText : public FrameTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        AsfFontSpec spec;
        spec.cellWidth = spec.cellHeight = 4;
        spec.glyphs.push_back(std::vector<uint8_t>(16, 7));
        const std::vector<uint8_t> bytes = WriteAsfFont(spec);
        WriteDataFile("px.asf", std::string(bytes.begin(), bytes.end()));
        Start();
        ASSERT_TRUE(m_frameShell->CreateFont("px.asf", 0, kFontId));
        if (GetParam()) m_frameShell->SetOption(1, 1);
        m_frameShell->viewCentre[0] = m_frameShell->pendingViewCentre[0] = 60.0f;
        m_frameShell->viewCentre[1] = m_frameShell->pendingViewCentre[1] = 20.0f;
        Frame(10);
    }
    // Where the shell's float projection (the picture renderers') puts a point.
    void Projected(float x, float y, float z, float* sx, float* sy) {
        *sx = x;
        *sy = y;
        m_frameShell->ProjectPointF(sx, sy, z);
    }
    template <typename Draw>
    lumiva::d3d9::Image DrawText(Draw draw) {
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET, kPaper, 1.0f, 0);
        m_device->BeginScene();
        draw();
        m_device->EndScene();
        return lumiva::d3d9::SurfaceImage(m_frameShell->backBufferSurface);
    }
    void ExpectGlyphAt(const lumiva::d3d9::Image& image, float sx, float sy) {
        const UINT x = static_cast<UINT>(std::ceil(sx)), y = static_cast<UINT>(std::ceil(sy));
        EXPECT_EQ(image.At(x + 1, y + 1), kInk) << "glyph at the projected point " << sx << "," << sy;
        EXPECT_EQ(image.At(kSceneX + 1, kSceneY + 1), kPaper) << "nothing at the unprojected point";
    }
    KTextRect SceneRecord() const {
        KTextRect record{};
        record.x = kSceneX;
        record.y = kSceneY;
        record.z = kSceneZ;
        record.fx = float(kSceneX);
        record.fy = float(kSceneY);
        record.fz = float(kSceneZ);
        record.maxLines = 1;
        record.colour = kInk;
        return record;
    }
    const std::string m_text{"\x81\x40", 2};
};

TEST_P(SceneText, OutputTextDrawsAtTheProjectedPoint) {
    float sx = 0, sy = 0;
    Projected(kSceneX, kSceneY, kSceneZ, &sx, &sy);
    ASSERT_TRUE(sx > 8 && sx < 780 && sy > 8 && sy < 580) << sx << "," << sy;
    ASSERT_GT(std::fabs(sx - kSceneX) + std::fabs(sy - kSceneY), 50.0f);
    ExpectGlyphAt(DrawText([&] {
                      m_frameShell->OutputText(kFontId, m_text.c_str(), 2, kSceneX, kSceneY, kInk, 0, kSceneZ, 0);
                  }),
                  std::trunc(sx), std::trunc(sy));
    ExpectGlyphAt(DrawText([&] {
                      m_frameShell->OutputTextEx(kFontId, m_text.c_str(), 2, kSceneX, kSceneY, kInk, 0, kSceneZ, 0);
                  }),
                  sx, sy);
}

TEST_P(SceneText, WorldOffsetMovesTheSceneTextWithThePoint) {
    m_frameShell->worldOffsetSet = 1;
    m_frameShell->worldOffset[0] = 30.0f;
    m_frameShell->worldOffset[1] = 20.0f;
    float sx = 0, sy = 0;
    Projected(kSceneX + 30, kSceneY + 20, kSceneZ, &sx, &sy);
    ExpectGlyphAt(DrawText([&] {
                      m_frameShell->OutputText(kFontId, m_text.c_str(), 2, kSceneX, kSceneY, kInk, 0, kSceneZ, 0);
                  }),
                  std::trunc(sx), std::trunc(sy));
}

TEST_P(SceneText, BoxRecordsTakeTheProjectedPoint) {
    float sx = 0, sy = 0;
    Projected(kSceneX, kSceneY, kSceneZ, &sx, &sy);
    for (bool floatForm : {false, true}) {
        KTextRect record = SceneRecord();
        const lumiva::d3d9::Image image = DrawText([&] {
            if (floatForm)
                m_frameShell->OutputTextInRectEx(kFontId, &record, m_text.c_str(), 2, 100);
            else
                m_frameShell->OutputTextInRect(kFontId, &record, m_text.c_str(), 2, 100);
        });
        EXPECT_EQ(record.x, static_cast<int32_t>(sx)) << floatForm;
        EXPECT_EQ(record.y, static_cast<int32_t>(sy)) << floatForm;
        EXPECT_FLOAT_EQ(record.fx, sx) << floatForm;
        EXPECT_FLOAT_EQ(record.fy, sy) << floatForm;
        ExpectGlyphAt(image, std::trunc(sx), std::trunc(sy));
    }
}

TEST_P(SceneText, HitTestMeasuresFromTheProjectedPoint) {
    int px = kSceneX, py = kSceneY;
    m_frameShell->ProjectPoint(&px, &py, kSceneZ);
    const std::string text = "abcdefgh";
    KTextRect record = SceneRecord();
    const int offset =
        m_frameShell->HitTestText(px + 9, py + 1, kFontId, &record, text.c_str(), int(text.size()), 200);
    EXPECT_EQ(record.x, px);
    EXPECT_EQ(record.y, py);
    EXPECT_EQ(offset, 5);
}

INSTANTIATE_TEST_SUITE_P(Projections, SceneText, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Perspective" : "Orthographic";
                         });

}  // namespace
}  // namespace shell_test
