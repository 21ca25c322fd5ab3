// Scene corners of flat and upright pictures, anchoring and frame offsets.
#include <gtest/gtest.h>

#include <cmath>

#include "draw2d/lists/PictureCorners.h"

namespace {

void ExpectPoint(const KScenePoint& p, float x, float y, float z, const char* what) {
    EXPECT_FLOAT_EQ(p.x, x) << what;
    EXPECT_FLOAT_EQ(p.y, y) << what;
    EXPECT_FLOAT_EQ(p.z, z) << what;
}

TEST(PictureCorners, FlatAndUprightPicturesCloseTheQuadDifferently) {
    KPictureCorners corners{};
    PlaceCornersBetween(&corners, {10, 20, 5}, {30, 60, 5});
    ExpectPoint(corners.corner[0], 10, 20, 5, "flat 0");
    ExpectPoint(corners.corner[1], 30, 20, 5, "flat 1");
    ExpectPoint(corners.corner[2], 30, 60, 5, "flat 2");
    ExpectPoint(corners.corner[3], 10, 60, 5, "flat 3");

    PlaceCornersBetween(&corners, {10, 20, 50}, {30, 60, 5});
    ExpectPoint(corners.corner[1], 30, 60, 50, "upright 1");
    ExpectPoint(corners.corner[3], 10, 20, 5, "upright 3");
}

TEST(PictureCorners, QuadCornersAreTakenInTheOrderACBD) {
    KPictureCorners corners{};
    PlaceQuadCorners(&corners, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12});
    ExpectPoint(corners.corner[1], 4, 5, 6, "C");
    ExpectPoint(corners.corner[2], 7, 8, 9, "B");
    ExpectPoint(corners.corner[3], 10, 11, 12, "D");
}

TEST(PictureCorners, AnchoringUsesTheCentreOrTheWideSpriteFallback) {
    struct Case {
        const char* name;
        int32_t cx, cy, pictureWidth;
        float ax, az;
    } cases[] = {
        {"centre", 10, 20, 64, 100 - 10.5f, 50 + 22.4f},
        {"no centre, 200 wide", 0, 0, 200, 100 - 168.0f, 50 + 215.04f},
        {"no centre, 160 wide", 0, 0, 160, 100, 50},
    };
    for (const Case& c : cases) {
        KScenePoint a{100, 7, 50}, b{0, 0, 0};
        KSceneSpriteFrame frame;
        frame.centreX = c.cx;
        frame.centreY = c.cy;
        frame.pictureWidth = c.pictureWidth;
        frame.width = 20;
        frame.height = 10;
        AnchorSceneSprite(&a, &b, frame, false);
        ExpectPoint(a, c.ax, 7, c.az, c.name);
        ExpectPoint(b, c.ax + 21.0f, 7, c.az - 11.2f, c.name);
    }
    KScenePoint a{100, 7, 50}, b{1, 2, 3};
    KSceneSpriteFrame frame;
    frame.centreX = 10;
    AnchorSceneSprite(&a, &b, frame, true);
    ExpectPoint(b, 1, 2, 3, "kept B");
}

TEST(PictureCorners, FlatSpritesMoveTheirOffsetAlongTheGround) {
    KScenePoint a{0, 0, 5}, b{40, 30, 5};
    KSceneSpriteFrame frame;
    frame.offsetX = 10;
    frame.offsetY = 4;
    OffsetSceneSprite(&a, &b, frame);
    ExpectPoint(a, 10.5f, 2 * 4.48f, 5, "A");
    ExpectPoint(b, 50.5f, 30 + 2 * 4.48f, 5, "B");
}

TEST(PictureCorners, UprightSpritesMoveAlongTheirBaseAndDownInZ) {
    KScenePoint a{0, 0, 50}, b{30, 40, 5};
    KSceneSpriteFrame frame;
    frame.offsetX = 10;
    frame.offsetY = 4;
    OffsetSceneSprite(&a, &b, frame);
    const float ox = 10.5f;
    ExpectPoint(a, ox * 0.6f, 2 * ox * 0.8f, 50 - 4.48f, "A");
    ExpectPoint(b, 30 + ox * 0.6f, 40 + 2 * ox * 0.8f, 5 - 4.48f, "B");

    KScenePoint p{3, 4, 50}, q{3, 4, 5};
    OffsetSceneSprite(&p, &q, frame);
    ExpectPoint(p, 3 + ox, 4, 50 - 4.48f, "coinciding base moves along x");
    EXPECT_FALSE(std::isnan(q.x));
}

}  // namespace
