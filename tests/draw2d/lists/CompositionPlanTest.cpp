// The group box, the choice of compose texture and the quad.
#include <gtest/gtest.h>

#include "draw2d/lists/CompositionPlan.h"

namespace {

KGroupBox Box(int32_t l, int32_t t, int32_t r, int32_t b) { return KGroupBox{l, t, r, b, false}; }

TEST(CompositionPlan, BoxWidensOverEveryFrame) {
    KGroupBox box;
    WidenGroupBox(&box, 10, 20, 5, 5);
    WidenGroupBox(&box, 4, 30, 2, 10);
    WidenGroupBox(&box, 12, 22, 1, 1);
    EXPECT_EQ(box.left, 4);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.right, 15);
    EXPECT_EQ(box.bottom, 40);
}

TEST(CompositionPlan, TextureSizeFollowsTheBox) {
    struct Case {
        KGroupBox box;
        int size;
    } cases[] = {
        {Box(0, 0, 128, 128), 128}, {Box(10, 10, 139, 20), 256}, {Box(0, 0, 256, 256), 256},
        {Box(0, 0, 257, 1), 0},     {Box(0, 0, 1, 257), 0},      {KGroupBox{}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ComposeTextureSizeFor(c.box), c.size) << c.box.right << "x" << c.box.bottom;
}

TEST(CompositionPlan, BoxTouchingTheScreenEdgeCounts) {
    EXPECT_TRUE(GroupBoxTouchesScreen(Box(-10, 0, 0, 10), 800, 600));
    EXPECT_FALSE(GroupBoxTouchesScreen(Box(-10, 0, -1, 10), 800, 600));
    EXPECT_TRUE(GroupBoxTouchesScreen(Box(800, 600, 810, 610), 800, 600));
    EXPECT_FALSE(GroupBoxTouchesScreen(Box(801, 0, 810, 10), 800, 600));
    EXPECT_FALSE(GroupBoxTouchesScreen(Box(0, -20, 10, -1), 800, 600));
}

TEST(CompositionPlan, QuadIsAStripInsetHalfATexel) {
    KComposeVertex quad[4];
    BuildComposeQuad(Box(10, 20, 74, 52), 128, 0x80404040u, quad);
    const float inset = 1.0f / 512.0f;
    EXPECT_EQ(quad[0].x, 10.0f);
    EXPECT_EQ(quad[0].y, 20.0f);
    EXPECT_EQ(quad[1].x, 74.0f);
    EXPECT_EQ(quad[2].y, 52.0f);
    EXPECT_EQ(quad[3].x, 74.0f);
    EXPECT_EQ(quad[3].y, 52.0f);
    EXPECT_EQ(quad[0].u, inset);
    EXPECT_EQ(quad[0].v, inset);
    EXPECT_EQ(quad[3].u, 0.5f - inset);
    EXPECT_EQ(quad[3].v, 0.25f - inset);
    for (const KComposeVertex& v : quad) {
        EXPECT_EQ(v.z, 100.0f);
        EXPECT_EQ(v.rhw, 1.0f);
        EXPECT_EQ(v.colour, 0x80404040u);
    }
}

}  // namespace
