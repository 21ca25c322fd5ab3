// A picture whose extent on screen runs from 10 to 18 on both axes, drawn
// by each screen renderer: the quad edges it writes and the pixels the
// device lights from them. Renderers that move the quad half a pixel up and
// left light 10..17; the scaled renderers grow it half a pixel on every side
// and light 10..18; quads left on whole pixels light 10..17.
#include <functional>

#include "DispatchFixture.h"
#include "draw2d/render/ScreenPictureRenderers.h"
#include "draw2d/render/VertexBuilders.h"

namespace dispatch_test {
namespace {

class PictureEdges : public DispatchTest {
protected:
    void SetUp() override {
        DispatchTest::SetUp();
        m_small = Sprite("small.spr", 4, 4, std::vector<uint32_t>(16, kRed));
        m_large = Sprite("large.spr", 8, 8, std::vector<uint32_t>(64, kRed));
        m_picture = Jpeg("p.jpg", 8, 8);
        ASSERT_NE(m_small, nullptr);
        ASSERT_NE(m_large, nullptr);
        ASSERT_NE(m_picture, nullptr);
    }
    KSprImage* m_small = nullptr;
    KSprImage* m_large = nullptr;
    KJpgImage* m_picture = nullptr;
};

TEST_F(PictureEdges, EachRendererLightsThePixelsItsQuadEdgesEnclose) {
    const float clip[4] = {0.0f, 0.0f, 600.0f, 800.0f};  // top, left, bottom, right
    const int32_t crop[4] = {0, 0, 800, 600};
    const int32_t source[4] = {0, 0, 8, 8};
    struct Case {
        const char* name;
        std::function<void()> draw;
        float from, to;   // quad edges written, on both axes
        int first, last;  // pixels lit, inclusive
    };
    const Case cases[] = {
        {"rotated", [&] { DrawFrameRotated(*m_shell, 10.0f, 10.0f, 8, 8, 0, m_large, kWhite, 0, 0.0f, 0, 0); }, 9.5f,
         17.5f, 10, 17},
        {"scaled", [&] { DrawFrameScaled(*m_shell, 10, 10, 4, 4, 0, m_small, kWhite, 0, 2.0f, 2.0f); }, 9.5f, 18.5f, 10,
         18},
        {"scaled, point",
         [&] { DrawFrameScaledPoint(*m_shell, 10.0f, 10.0f, 4, 4, 0, m_small, kWhite, 0, 2.0f, 2.0f); }, 9.5f, 18.5f,
         10, 18},
        {"clipped", [&] { DrawFrameClipped(*m_shell, 10.0f, 10.0f, 4, 4, 0, m_small, kWhite, 0, 2.0f, 2.0f, clip); },
         10.0f, 18.0f, 10, 17},
        {"cropped", [&] { DrawFrameCropped(*m_shell, 10, 10, 8, 8, 0, m_small, crop, kWhite, 0); }, 9.5f, 17.5f, 10,
         17},
        {"cropped picture", [&] { DrawPictureCropped(*m_shell, 10, 10, m_picture, source, 100, 1.0f); }, 9.5f, 17.5f,
         10, 17},
        {"textured quad", [&] { DrawTexturedQuad(*m_shell, 10, 10, 8, 8, m_picture, 1); }, 10.0f, 18.0f, 10, 17},
    };
    for (const Case& c : cases) {
        ClearTarget();
        c.draw();
        const auto draws = Draws();
        ASSERT_EQ(draws.size(), 1u) << c.name;
        const auto v = DrawnVertices(draws[0]);
        ASSERT_EQ(v.size(), 4u) << c.name;
        EXPECT_EQ(v[0].x, c.from) << c.name;
        EXPECT_EQ(v[0].y, c.from) << c.name;
        EXPECT_EQ(v[3].x, c.to) << c.name;
        EXPECT_EQ(v[3].y, c.to) << c.name;
        const auto image = Target();
        for (int y = 8; y <= 20; ++y)
            for (int x = 8; x <= 20; ++x) {
                const bool inside = x >= c.first && x <= c.last && y >= c.first && y <= c.last;
                EXPECT_EQ(image.At(x, y) != kBlack, inside) << c.name << " at " << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace dispatch_test
