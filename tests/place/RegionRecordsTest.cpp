#include <gtest/gtest.h>

#include <cstring>

#include "SceneTreeFixture.h"

namespace {

TEST(RegionObjectRecordTest, WriterBytesReadByCopyLandOnTheFields) {
    RegionObjectFields f;
    f.flags = 0x0000'0540;
    for (int i = 0; i < 3; ++i) {
        f.topLeft[i] = 10 + i, f.topRight[i] = 20 + i, f.bottomRight[i] = 30 + i, f.bottomLeft[i] = 40 + i;
    }
    f.width = -2, f.height = 300;
    f.name = "scene\\tree.spr";
    f.animationStart = 0xA1B2C3D4, f.frame = 3, f.frameCount = 9, f.frameInterval = 1, f.fade = 0xFF20;
    f.x = -5, f.y = 700, f.depth = 12, f.endX = 90, f.endY = -70;
    f.keyA = 0.25f, f.keyB = -1600.5f;
    const KRegionObjectRecord r = place_test::RecordFrom(f);
    EXPECT_EQ(r.flags, 0x540u);
    EXPECT_EQ(r.SortKind(), 1u);
    EXPECT_EQ(r.topLeft[2], 12);
    EXPECT_EQ(r.topRight[0], 20);
    EXPECT_EQ(r.bottomRight[1], 31);
    EXPECT_EQ(r.bottomLeft[2], 42);
    EXPECT_EQ(r.width, -2);
    EXPECT_EQ(r.height, 300);
    EXPECT_STREQ(r.name, "scene\\tree.spr");
    EXPECT_EQ(r.animationStart, 0xA1B2C3D4u);
    EXPECT_EQ(r.frame, 3);
    EXPECT_EQ(r.frameCount, 9);
    EXPECT_EQ(r.frameInterval, 1);
    EXPECT_EQ(r.fade, 0xFF20);
    EXPECT_EQ(r.x, -5);
    EXPECT_EQ(r.y, 700);
    EXPECT_EQ(r.depth, 12);
    EXPECT_EQ(r.endX, 90);
    EXPECT_EQ(r.endY, -70);
    EXPECT_EQ(r.keyA, 0.25f);
    EXPECT_EQ(r.keyB, -1600.5f);
}

}  // namespace
