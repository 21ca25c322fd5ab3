// Picture records whose numbers a careless host left at the ends of their
// ranges: integer points whose sums and differences leave 32 bits, and float
// points that are not numbers, endless, or far beyond any screen. Under the
// sanitizers a wrapped sum or an out-of-range conversion fails these tests;
// without them the recorded draws and the pixels do.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "DispatchFixture.h"
#include "lumiva/PrimitiveRecords.h"

namespace dispatch_test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class HostileNumbers : public DispatchTest {
protected:
    void SetUp() override {
        DispatchTest::SetUp();
        // 8 x 8 with its centre at (4, 4) and a frame offset of (3, 3).
        ASSERT_NE(Sprite("c.spr", 8, 8, std::vector<uint32_t>(64, kRed), 3, 3, 4, 4), nullptr);
        ASSERT_NE(Jpeg("j.jpg", 16, 8), nullptr);
    }
    static KPrimQuadPicture Record(const char* name, int16_t imageType, int32_t ax, int32_t ay) {
        KPrimQuadPicture r;
        std::memset(static_cast<void*>(&r), 0, sizeof r);
        r.alpha = 0xFF;
        r.imageType = imageType;
        std::strncpy(r.fileName, name, sizeof r.fileName - 1);
        r.ax = ax, r.ay = ay, r.fax = float(ax), r.fay = float(ay);
        return r;
    }
    static void SetB(KPrimQuadPicture& r, int32_t bx, int32_t by) {
        r.bx = bx, r.by = by, r.fbx = float(bx), r.fby = float(by);
    }
    bool TargetIsBlack() {
        const lumiva::d3d9::Image image = Target();
        return std::all_of(image.pixels.begin(), image.pixels.end(),
                           [](uint32_t p) { return (p & 0xFFFFFFu) == 0; });
    }
};

TEST_F(HostileNumbers, ScaledSpansBeyondTheIntRangeKeepTheirDirection) {
    // B - A of the integer scaled list does not fit 32 bits. From A = 10 a
    // span toward INT_MIN lies to the left: the sprite's extent fails the
    // on-screen test, and the JPEG's quad runs leftward off the target.
    for (int16_t imageType : {int16_t(1), int16_t(0)}) {
        SCOPED_TRACE(imageType);
        KPrimQuadPicture r = Record(imageType ? "c.spr" : "j.jpg", imageType, 10, 10);
        SetB(r, INT_MIN + 5, 20);
        ClearTarget();
        m_shell->DrawPrimitives(1, &r, PRIM_SCALED_PICTURES, 1, 0, -1, -1.0f);
        const auto draws = Draws();
        if (imageType == 1) {
            EXPECT_TRUE(draws.empty());
            EXPECT_TRUE(TargetIsBlack());
            continue;
        }
        ASSERT_EQ(draws.size(), 1u);
        const auto quad = DrawnVertices(draws[0]);
        ASSERT_EQ(quad.size(), 4u);
        EXPECT_LT(quad[1].x, quad[0].x);
        const lumiva::d3d9::Image image = Target();
        EXPECT_NE(image.At(5, 15) & 0xFFFFFFu, 0u);
        EXPECT_EQ(image.At(15, 15) & 0xFFFFFFu, 0u);
    }
    // The harness's cases: a sprite from INT_MIN, a JPEG to INT_MAX - 1.
    KPrimQuadPicture fromMin = Record("c.spr", 1, INT_MIN, 0);
    SetB(fromMin, 917704, 40);
    KPrimQuadPicture jpeg = Record("j.jpg", 0, -177311, 0);
    SetB(jpeg, INT_MAX - 1, 40);
    ClearTarget();
    m_shell->DrawPrimitives(1, &fromMin, PRIM_SCALED_PICTURES, 1, 0, -1, -1.0f);
    m_shell->DrawPrimitives(1, &jpeg, PRIM_SCALED_PICTURES, 1, 0, -1, -1.0f);
    EXPECT_EQ(Draws().size(), 2u);
}

TEST_F(HostileNumbers, AnchorsAndFrameOffsetsAtTheEndsOfTheRangeStayThere) {
    // Anchoring subtracts the centre, the frame offset adds (3, 3): at the
    // ends of the range both saturate, far off screen, for the plain and the
    // scaled lists.
    const struct {
        int32_t x;
        uint8_t flags;
    } cases[] = {{INT_MIN, kPictureAnchorCentre}, {INT_MIN + 1, kPictureAnchorCentre | kPictureNoFrameOffset},
                 {INT_MAX, 0}, {INT_MAX - 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        KPrimQuadPicture r = Record("c.spr", 1, c.x, c.x);
        r.flags = c.flags;
        SetB(r, c.x, c.x);
        ClearTarget();
        for (DWORD type : {DWORD(PRIM_PICTURES), DWORD(PRIM_SCALED_PICTURES), DWORD(PRIM_RECT_PICTURES)})
            m_shell->DrawPrimitives(1, &r, type, 1, 0, -1, -1.0f);
        EXPECT_TRUE(Draws().empty());
        EXPECT_TRUE(TargetIsBlack());
    }
}

TEST_F(HostileNumbers, FloatPointsThatAreNoPlaceDrawNothingAndTheListGoesOn) {
    // Type 7 with float points and type 24: a point or a span that is not a
    // number or endless draws nothing, and a span of 3.4e38 stretches the
    // frame's first texels across the screen; the record after each still
    // draws at (30, 30).
    const struct {
        const char* name;
        float ax, bx;
        bool acrossTheScreen;
    } cases[] = {{"span of 3.4e38", 0.0f, 3.4e38f, true}, {"A not a number", kNaN, 20.0f, false},
                 {"B not a number", 0.0f, kNaN, false},   {"B endless", 0.0f, kInf, false},
                 {"A endless", -kInf, 0.0f, false},       {"span of -3.4e38", 3.4e38f, -3.4e38f, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (DWORD type : {DWORD(PRIM_SCALED_PICTURES), DWORD(PRIM_CLIPPED_PICTURES)}) {
            SCOPED_TRACE(type);
            KPrimQuadPicture list[2] = {Record("c.spr", 1, 0, 0), Record("c.spr", 1, 30, 30)};
            list[0].fax = c.ax, list[0].fbx = c.bx, list[0].fby = 8.0f;
            SetB(list[1], 38, 38);
            for (KPrimQuadPicture& r : list) {
                r.flags = kPictureNoFrameOffset;
                r.f0 = -100.0f, r.f1 = -100.0f, r.f2 = 1000.0f, r.f3 = 100.0f;  // a clip that keeps all
            }
            // The lists step by their own record size.
            std::vector<uint8_t> bytes;
            const size_t size = type == PRIM_CLIPPED_PICTURES ? sizeof(KPrimPictureEx) : sizeof(KPrimPicture);
            for (const KPrimQuadPicture& r : list)
                bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&r),
                             reinterpret_cast<const uint8_t*>(&r) + size);
            ClearTarget();
            m_shell->DrawPrimitives(2, bytes.data(), type, 1, 1, -1, -1.0f);
            const lumiva::d3d9::Image image = Target();
            EXPECT_EQ(image.At(33, 33) & 0xFFFFFFu, 0xFF0000u);
            const uint32_t across = c.acrossTheScreen ? 0xFF0000u : 0u;
            EXPECT_EQ(image.At(0, 4) & 0xFFFFFFu, across);
            EXPECT_EQ(image.At(400, 4) & 0xFFFFFFu, across);
        }
    }
}

TEST_F(HostileNumbers, SceneSizesFromThePictureNearTheEndOfTheRange) {
    // Size from the picture (flag 4) adds the width and twice the height to
    // point A: at A.y = INT_MAX - 1 the far edge lies past the range, not at
    // its other end, so the picture cannot span the screen.
    KPrimQuadPicture r = Record("c.spr", 1, 100, INT_MAX - 1);
    r.flags = kPictureSizeFromPicture;
    KPrimQuadPicture low = Record("c.spr", 1, INT_MAX - 1, -100);
    low.flags = kPictureSizeFromPicture;
    ClearTarget();
    m_shell->DrawPrimitives(1, &r, PRIM_PICTURES, 0, 0, -1, -1.0f);
    m_shell->DrawPrimitives(1, &low, PRIM_PICTURES, 0, 0, -1, -1.0f);
    EXPECT_TRUE(TargetIsBlack());
}

TEST_F(HostileNumbers, CornerClipSpansWiderThanTheIntRange) {
    // A clip from -INT_MAX to 283591 spans more columns than 32 bits hold:
    // across it, the frame is a sliver at the clip's right end, and no pixel
    // lands outside the corners' quad.
    KPrimQuadPicture r = Record("c.spr", 1, 0, 0);
    SetB(r, 100, 100);
    r.cx = 100, r.cy = 0, r.dx = 0, r.dy = 100;
    r.r0 = -INT_MAX, r.r1 = 0, r.r2 = 283591, r.r3 = 100;
    ClearTarget();
    m_shell->DrawPrimitives(1, &r, PRIM_QUAD_PICTURES_CLIP_SPAN, 0, 0, -1, -1.0f);
    const lumiva::d3d9::Image image = Target();
    for (int y = 0; y < int(image.height); ++y)
        for (int x = 0; x < int(image.width); ++x)
            if (x > 101 || y > 101) {
                ASSERT_EQ(image.At(x, y) & 0xFFFFFFu, 0u) << x << ", " << y;
            }
}

TEST_F(HostileNumbers, BrightnessAndGlobalAlphaThatAreNoNumbers) {
    // A JPEG in a rectangle at 50 percent: a brightness that is not a number
    // counts as none given, full grey.
    KPrimQuadPicture jpeg = Record("j.jpg", 0, 10, 10);
    jpeg.r0 = 0, jpeg.r1 = 0, jpeg.r2 = 16, jpeg.r3 = 8;
    for (float brightness : {kNaN, -kNaN, -1.0f}) {
        ClearTarget();
        m_shell->DrawPrimitives(1, &jpeg, PRIM_RECT_PICTURES, 1, 0, 50, brightness);
        const auto factors = lumiva::d3d9::RecordedCallsNamed("SetRenderState");
        const auto set = std::find_if(factors.begin(), factors.end(), [](const lumiva::d3d9::RecordedCall& call) {
            return call.args[0] == D3DRS_TEXTUREFACTOR;
        });
        ASSERT_NE(set, factors.end()) << brightness;
        EXPECT_EQ(set->args[1], 0x7FFFFFFFu) << brightness;
    }
    // A global alpha far below zero still gives scene pictures a colour.
    KPrimQuadPicture scene = Record("c.spr", 1, 0, 0);
    SetB(scene, 8, 8);
    for (float alpha : {-1e20f, -kInf, kNaN, 0.5f}) {
        m_shell->SetGlobalAlpha(alpha);
        ClearTarget();
        m_shell->DrawPrimitives(1, &scene, PRIM_PICTURES, 0, 0, -1, -1.0f);
        EXPECT_EQ(Draws().size(), 1u) << alpha;
    }
    m_shell->SetGlobalAlpha(1.0f);
}

}  // namespace
}  // namespace dispatch_test
