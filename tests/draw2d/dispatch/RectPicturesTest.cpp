// Types 4 and 18: sprite records reach the cropped renderer after anchoring
// and the frame offset; JPEG records the cropped picture renderer.
#include <cstring>

#include "DispatchFixture.h"
#include "lumiva/PrimitiveRecords.h"

namespace dispatch_test {
namespace {

class RectPictures : public DispatchTest {
protected:
    void SetUp() override {
        DispatchTest::SetUp();
        // Frame 2 x 2 at offset (3, 2) in a sprite whose centre is (5, 5).
        ASSERT_NE(Sprite("s.spr", 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, 3, 2, 5, 5), nullptr);
    }
    static KPrimPictureEx Record(const char* name, int type, uint8_t blendMode, uint8_t flags) {
        KPrimPictureEx r;
        std::memset(static_cast<void*>(&r), 0, sizeof r);
        r.alpha = 0xFF;
        r.ax = 10, r.ay = 10;
        r.blendMode = blendMode, r.flags = flags, r.imageType = int16_t(type);
        std::strcpy(r.fileName, name);
        r.r0 = -10, r.r1 = -10, r.r2 = 10, r.r3 = 10;  // crop well around the frame
        return r;
    }
    std::vector<lumiva::d3d9::RecordedCall> Draw(KPrimPictureEx* records, int count, DWORD type = PRIM_RECT_PICTURES) {
        ClearTarget();
        m_shell->DrawPrimitives(count, records, type, 1, 0, -1, -1.0f);
        return Draws();
    }
};

TEST_F(RectPictures, SpriteIsPlacedByFrameOffsetOrCentre) {
    struct Case {
        uint8_t flags;
        float left;  // x0 of the quad: position - 0.5
        float top;
    };
    const Case cases[] = {{0, 12.5f, 11.5f},
                          {kPictureNoFrameOffset, 9.5f, 9.5f},
                          {kPictureAnchorCentre, 7.5f, 6.5f},
                          {kPictureAnchorCentre | kPictureNoFrameOffset, 4.5f, 4.5f}};
    for (const Case& c : cases) {
        KPrimPictureEx r = Record("s.spr", 1, 0, c.flags);
        auto draws = Draw(&r, 1);
        ASSERT_EQ(draws.size(), 1u) << int(c.flags);
        auto v = DrawnVertices(draws[0]);
        EXPECT_EQ(v[0].x, c.left) << int(c.flags);
        EXPECT_EQ(v[0].y, c.top) << int(c.flags);
    }
}

TEST_F(RectPictures, DestinationRectangleCropsTheHalfPixelEdge) {
    KPrimPictureEx r = Record("s.spr", 1, 0, 0);
    r.r0 = 0, r.r1 = 0, r.r2 = 1, r.r3 = 2;
    auto draws = Draw(&r, 1);
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].x, 13.0f);
    EXPECT_EQ(v[3].x, 14.0f);
    EXPECT_EQ(v[3].y, 13.5f);
}

TEST_F(RectPictures, RecordKeepsTheCacheIdAndHintTheLookupWrote) {
    KPrimPictureEx r = Record("s.spr", 1, 0, 0);
    Draw(&r, 1, PRIM_RECT_PICTURES_2);
    EXPECT_NE(r.fileId, 0u);
}

TEST_F(RectPictures, BrightenAndUnknownModesAndMissingFramesSkipOnlyTheirRecord) {
    KPrimPictureEx records[5] = {Record("s.spr", 1, 3, 0), Record("s.spr", 1, 6, 0), Record("s.spr", 1, 0, 0),
                                 Record("none.spr", 1, 0, 0), Record("s.spr", 1, 5, 0)};
    records[2].frame = 1;  // the sprite has one frame
    auto draws = Draw(records, 5, PRIM_RECT_PICTURES_2);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(DrawnVertices(draws[0])[0].colour, 0xFF000000u) << "mode 5 keeps the record's colour";
}

TEST_F(RectPictures, JpegRecordDrawsItsSourceRectangleAtPointA) {
    Jpeg("p.jpg", 8, 4);
    KPrimPictureEx r = Record("p.jpg", 0, 0, kPictureAnchorCentre);
    r.r0 = 1, r.r1 = 1, r.r2 = 5, r.r3 = 3;
    auto draws = Draw(&r, 1);
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].x, 9.5f) << "JPEG records are neither anchored nor offset";
    EXPECT_EQ(v[3].x, 13.5f);
    EXPECT_EQ(v[3].y, 11.5f);
}

}  // namespace
}  // namespace dispatch_test
