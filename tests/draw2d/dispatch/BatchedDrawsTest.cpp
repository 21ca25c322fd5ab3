// Records of one call that share their states reach the device together:
// lines as line lists, sprite quads of one texture and filter, and JPEG
// picture quads of one picture, as one draw.
// Each batched path must leave exactly the pixels that drawing the records
// one by one leaves.
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "DispatchFixture.h"
#include "draw2d/render/ScreenPictureRenderers.h"
#include "draw2d/render/TileQuad.h"
#include "draw2d/render/VertexBuilders.h"
#include "lumiva/PrimitiveRecords.h"

namespace dispatch_test {
namespace {

KPrimLine Line(int x1, int y1, int z1, int x2, int y2, int z2, uint32_t argb) {
    KPrimLine r{};
    r.x1 = x1, r.y1 = y1, r.z1 = z1, r.x2 = x2, r.y2 = y2, r.z2 = z2;
    r.blue = uint8_t(argb), r.green = uint8_t(argb >> 8), r.red = uint8_t(argb >> 16), r.alpha = uint8_t(argb >> 24);
    return r;
}

// Crossing, overlapping and translucent lines, some off screen, in every
// direction.
std::vector<KPrimLine> Lines(int count, int spread) {
    std::vector<KPrimLine> lines;
    uint32_t seed = 99;
    auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % uint32_t(range));
    };
    for (int i = 0; i < count; ++i) {
        const uint32_t colour = uint32_t(next(256)) << 24 | uint32_t(next(1 << 24));
        lines.push_back(Line(next(spread) - 20, next(spread) - 20, next(200), next(spread) - 20, next(spread) - 20,
                             next(200), colour));
    }
    return lines;
}

class BatchedDraws : public DispatchTest {
protected:
    // The lines drawn one device draw each, as the builder draws one line.
    lumiva::d3d9::Image OneByOne(const std::vector<KPrimLine>& lines, int screenSpace) {
        ClearTarget();
        for (KPrimLine r : lines) {
            if (!screenSpace) {
                m_shell->ProjectPoint(&r.x1, &r.y1, r.z1);
                m_shell->ProjectPoint(&r.x2, &r.y2, r.z2);
            }
            DrawLine(*m_shell, r.x1, r.y1, r.x2, r.y2, DWORD(r.alpha) << 24 | DWORD(r.red) << 16 | r.green << 8 | r.blue);
        }
        return Target();
    }
    void Blend() {
        Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        Device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    static KPrimPictureEx SpriteRecord(const char* name, int x, int y, uint8_t blendMode, uint32_t colour) {
        KPrimPictureEx r;
        std::memset(static_cast<void*>(&r), 0, sizeof r);
        new (&r) KPrimPictureEx();
        r.ax = x, r.ay = y;
        r.blue = uint8_t(colour), r.green = uint8_t(colour >> 8), r.red = uint8_t(colour >> 16);
        r.alpha = uint8_t(colour >> 24);
        r.blendMode = blendMode, r.imageType = kImageSprite;
        std::strcpy(r.fileName, name);
        r.r0 = -100, r.r1 = -100, r.r2 = 100, r.r3 = 100;
        return r;
    }
};

TEST_F(BatchedDraws, LinesOfOneCallAreOneLineListWithTheSamePixels) {
    Blend();
    for (int screenSpace : {1, 0}) {
        const std::vector<KPrimLine> lines = Lines(300, 360);
        const lumiva::d3d9::Image wanted = OneByOne(lines, screenSpace);
        ClearTarget();
        m_shell->DrawPrimitives(int(lines.size()), const_cast<KPrimLine*>(lines.data()), PRIM_LINES, screenSpace, 0, -1,
                                -1.0f);
        const auto draws = Draws();
        ASSERT_EQ(draws.size(), 1u) << screenSpace;
        EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_LINELIST));
        EXPECT_EQ(draws[0].args[2], 300u);
        EXPECT_EQ(draws[0].state->stageStates[0][D3DTSS_COLOROP], DWORD(D3DTOP_SELECTARG2));
        EXPECT_EQ(Target().pixels, wanted.pixels) << screenSpace;
        EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(StageState(D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
    }
}

TEST_F(BatchedDraws, LongLineArraysGoOutInRunsOfAThousandAndTwentyFour) {
    const std::vector<KPrimLine> lines = Lines(2500, 300);
    const lumiva::d3d9::Image wanted = OneByOne(lines, 1);
    ClearTarget();
    m_shell->DrawPrimitives(int(lines.size()), const_cast<KPrimLine*>(lines.data()), PRIM_LINES, 1, 0, -1, -1.0f);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 3u);
    const uint64_t runs[3] = {1024, 1024, 452};
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(draws[i].args[2], runs[i]) << i;
    EXPECT_EQ(Target().pixels, wanted.pixels);
}

// The cut by the interpolation of the renderers' rule, always dividing.
TileQuad InterpolatedCut(TileQuad q, float left, float top, float right, float bottom) {
    const float l = std::max(left, q.x0), t = std::max(top, q.y0);
    const float r = std::min(right, q.x1), b = std::min(bottom, q.y1);
    const float w = q.x1 - q.x0, h = q.y1 - q.y0, uMax = q.u1, vMax = q.v1;
    q.u0 = w != 0 ? (l - q.x0) / w * uMax : 0.0f;
    q.u1 = w != 0 ? (r - q.x0) / w * uMax : 0.0f;
    q.v0 = h != 0 ? (t - q.y0) / h * vMax : 0.0f;
    q.v1 = h != 0 ? (b - q.y0) / h * vMax : 0.0f;
    q.x0 = l, q.y0 = t, q.x1 = r, q.y1 = b;
    return q;
}

TEST(TileQuadCut, ARectangleAroundTheQuadGivesTheInterpolationsValuesBitForBit) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float x0, y0, x1, y1, uMax, vMax;
    } quads[] = {{9.5f, 9.5f, 13.5f, 15.5f, 0.75f, 0.375f}, {-0.5f, -0.5f, 0.0f, 2.5f, 1.0f, 0.3f},
                 {3.0f, 3.0f, 3.0f, 8.0f, 0.5f, 0.5f},  // zero width
                 {-inf, 0.0f, 5.0f, 5.0f, 1.0f, 1.0f},  {0.1f, 0.2f, 1e30f, 3e38f, 0.7f, 0.9f}};
    const float rects[][4] = {{-100, -100, 100, 100}, {-inf, -inf, inf, inf}, {9.5f, 9.5f, 13.5f, 15.5f}};
    for (const auto& c : quads)
        for (const auto& rect : rects) {
            TileQuad q{c.x0, c.y0, c.x1, c.y1, 0.0f, 0.0f, c.uMax, c.vMax, false};
            if (rect[0] > q.x1 || rect[2] < q.x0 || rect[1] > q.y1 || rect[3] < q.y0) continue;
            const TileQuad want = InterpolatedCut(q, rect[0], rect[1], rect[2], rect[3]);
            ClipQuad(q, rect[0], rect[1], rect[2], rect[3]);
            const float got[8] = {q.x0, q.y0, q.x1, q.y1, q.u0, q.v0, q.u1, q.v1};
            const float wanted[8] = {want.x0, want.y0, want.x1, want.y1, want.u0, want.v0, want.u1, want.v1};
            for (int i = 0; i < 8; ++i)
                EXPECT_EQ(std::memcmp(&got[i], &wanted[i], sizeof(float)), 0)
                    << "quad " << c.x0 << " rect " << rect[0] << " field " << i << ": " << got[i] << " vs " << wanted[i];
        }
}

class BatchedSprites : public BatchedDraws {
protected:
    void SetUp() override {
        BatchedDraws::SetUp();
        // Translucent texels so overlaps show the order of drawing.
        std::vector<uint32_t> a(7 * 7), b(9 * 9);
        for (size_t i = 0; i < a.size(); ++i) a[i] = uint32_t(0x40 + i * 5) << 24 | uint32_t(i * 0x0A1B2C);
        for (size_t i = 0; i < b.size(); ++i) b[i] = uint32_t(0x80 + i) << 24 | uint32_t(0xFF0000 - i * 0x030507);
        KSprImage* one = Sprite("a.spr", 7, 7, a, 1, 2);  // one tile
        ASSERT_NE(one, nullptr);
        ASSERT_EQ(one->GetTileCount(0), 1);
        m_fourTiles = Sprite("b.spr", 9, 9, b);  // 9 x 9 splits into four tiles
        ASSERT_NE(m_fourTiles, nullptr);
        ASSERT_EQ(m_fourTiles->GetTileCount(0), 4);
        Blend();
    }

    // What the records draw through the cropped renderer one record at a time.
    lumiva::d3d9::Image OneByOne(const std::vector<KPrimPictureEx>& records) {
        ClearTarget();
        for (const KPrimPictureEx& r : records) {
            auto* sprite = dynamic_cast<KSprImage*>(
                m_shell->imageCache.GetImage(r.fileName, nullptr, nullptr, r.frame, 1, 0, 1, 0, 0));
            if (!sprite || r.blendMode == 3 || r.blendMode > 5) continue;
            const int x = r.ax + sprite->GetFrameOffsetX(0), y = r.ay + sprite->GetFrameOffsetY(0);
            const int32_t dest[4] = {x + r.r0, y + r.r1, x + r.r2, y + r.r3};
            DrawFrameCropped(*m_shell, x, y, sprite->GetFrameWidth(0), sprite->GetFrameHeight(0), 0, sprite, dest,
                             r.Colour(), r.blendMode);
        }
        return Target();
    }
    std::vector<lumiva::d3d9::RecordedCall> Dispatch(std::vector<KPrimPictureEx>& records) {
        ClearTarget();
        m_shell->DrawPrimitives(int(records.size()), records.data(), PRIM_RECT_PICTURES, 1, 0, -1, -1.0f);
        return Draws();
    }

    KSprImage* m_fourTiles = nullptr;
};

TEST_F(BatchedSprites, RecordsSharingATextureAreOneDrawWithTheSamePixels) {
    std::vector<KPrimPictureEx> records;
    for (int i = 0; i < 40; ++i) records.push_back(SpriteRecord("a.spr", 3 + (i * 7) % 50, 4 + (i * 3) % 20, 0, 0xFFFFFFFF));
    records[5].r2 = 2;  // cropped inside the frame
    records[9].r0 = 500;  // cropped away: no quad
    // Under either culling the list's triangles wind as the strips' do.
    for (DWORD cull : {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW}) {
        Device()->SetRenderState(D3DRS_CULLMODE, cull);
        const lumiva::d3d9::Image wanted = OneByOne(records);
        const auto draws = Dispatch(records);
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_TRIANGLELIST));
        EXPECT_EQ(draws[0].args[2], 2u * 39u);
        EXPECT_EQ(Target().pixels, wanted.pixels) << cull;
    }
}

TEST_F(BatchedSprites, TexturesFiltersAndOtherPicturesKeepTheRecordsOrder) {
    Jpeg("p.jpg", 8, 4);
    DWORD magWas = 0;
    ASSERT_NE(m_shell->imageCache.GetImage("p.jpg", nullptr, nullptr, 0, 0, 0, 1, 0, 0), nullptr);
    Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    std::vector<KPrimPictureEx> records = {
        SpriteRecord("a.spr", 10, 10, 0, 0xFFFFFFFF), SpriteRecord("a.spr", 12, 11, 1, 0x80FFFFFF),
        SpriteRecord("a.spr", 14, 12, 5, 0xC0FF8020),  // linear filtering: a run of its own
        SpriteRecord("b.spr", 13, 9, 0, 0xFFFFFFFF),   // four tiles, four textures
        SpriteRecord("a.spr", 11, 13, 0, 0xFFFFFFFF), SpriteRecord("a.spr", 16, 8, 4, 0xFFFFFFFF)};
    KPrimPictureEx jpeg = SpriteRecord("p.jpg", 12, 12, 0, 0xFFFFFFFF);
    jpeg.imageType = kImageJpeg;
    jpeg.r0 = 0, jpeg.r1 = 0, jpeg.r2 = 8, jpeg.r3 = 4;
    records.insert(records.begin() + 5, jpeg);
    records.push_back(SpriteRecord("a.spr", 9, 14, 2, 0xFFFFFFFF));

    // The reference: every record by its own renderer, in order.
    ClearTarget();
    std::vector<KPrimPictureEx> copy = records;
    for (KPrimPictureEx& r : copy) m_shell->DrawPrimitives(1, &r, PRIM_RECT_PICTURES, 1, 0, -1, -1.0f);
    const lumiva::d3d9::Image wanted = Target();

    const auto draws = Dispatch(records);
    // a a | a(5) | b b b b | a | jpeg | a a
    const uint64_t quads[] = {2, 1, 1, 1, 1, 1, 1, 1, 2};
    ASSERT_EQ(draws.size(), std::size(quads));
    for (size_t i = 0; i < draws.size(); ++i)
        EXPECT_EQ(draws[i].args[2], quads[i] == 1 ? 2u : 2u * quads[i]) << i;
    EXPECT_EQ(draws[1].state->samplerStates[0][D3DSAMP_MAGFILTER], DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(draws[2].state->samplerStates[0][D3DSAMP_MAGFILTER], DWORD(D3DTEXF_POINT));
    Device()->GetSamplerState(0, D3DSAMP_MAGFILTER, &magWas);
    EXPECT_EQ(magWas, DWORD(D3DTEXF_POINT)) << "the filters come back after the mode 5 run";
    EXPECT_EQ(Target().pixels, wanted.pixels);
}

class BatchedPictures : public BatchedDraws {
protected:
    static KPrimPictureEx PictureRecord(const char* name, int x, int y, int left, int top, int right, int bottom) {
        KPrimPictureEx r = SpriteRecord(name, x, y, 0, 0xFFFFFFFF);
        r.imageType = kImageJpeg;
        r.r0 = left, r.r1 = top, r.r2 = right, r.r3 = bottom;
        return r;
    }
};

TEST_F(BatchedPictures, RecordsOfOnePictureAreOneDrawWithTheSamePixelsAndTint) {
    Jpeg("p.jpg", 8, 4);
    Jpeg("q.jpg", 5, 6);
    Blend();
    // Overlapping parts, so a tint's translucency shows the order of drawing.
    std::vector<KPrimPictureEx> records = {
        PictureRecord("p.jpg", 10, 10, 0, 0, 8, 4), PictureRecord("p.jpg", 13, 11, 2, 1, 6, 4),
        PictureRecord("p.jpg", -50, 10, 0, 0, 8, 4),  // off the screen: no quad
        PictureRecord("p.jpg", 12, 12, 1, 0, 7, 3),   PictureRecord("q.jpg", 11, 9, 0, 0, 5, 6),
        PictureRecord("p.jpg", 9, 13, 0, 2, 8, 4)};
    struct Tint {
        int percent;
        float brightness;
    };
    for (const Tint tint : {Tint{-1, -1.0f}, Tint{50, 0.5f}, Tint{100, 2.0f}}) {
        SCOPED_TRACE(tint.percent);
        Device()->SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
        ClearTarget();
        for (const KPrimPictureEx& r : records) {
            auto* picture = dynamic_cast<KJpgImage*>(
                m_shell->imageCache.GetImageNoPin(r.fileName, nullptr, nullptr, 0, kImageJpeg, 0, 1, 0));
            DrawPictureCropped(*m_shell, r.ax, r.ay, picture, &r.r0, tint.percent, tint.brightness);
        }
        const lumiva::d3d9::Image wanted = Target();
        const auto oneByOne = Draws();

        ClearTarget();
        m_shell->DrawPrimitives(int(records.size()), records.data(), PRIM_RECT_PICTURES, 1, 0, tint.percent,
                                tint.brightness);
        const auto draws = Draws();
        // p p p | q | p
        ASSERT_EQ(draws.size(), 3u);
        EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_TRIANGLELIST));
        EXPECT_EQ(draws[0].args[2], 6u);
        EXPECT_EQ(draws[1].args[0], uint64_t(D3DPT_TRIANGLESTRIP));
        EXPECT_EQ(draws[1].args[2], 2u);
        EXPECT_EQ(draws[2].args[2], 2u);
        for (const auto& draw : draws)
            EXPECT_EQ(draw.state->renderStates[D3DRS_TEXTUREFACTOR],
                      oneByOne[0].state->renderStates[D3DRS_TEXTUREFACTOR]);
        EXPECT_EQ(Target().pixels, wanted.pixels);
        EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0x12345678u);
        EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(StageState(D3DTSS_COLORARG2), DWORD(D3DTA_DIFFUSE));
    }
}

}  // namespace
}  // namespace dispatch_test
