// Capture compositing: near-black source pixels halve the target, others
// cover it; both rectangles are clipped.
#include <gtest/gtest.h>

#include <vector>

#include "draw2d/lists/CaptureComposite.h"

namespace {

template <typename T>
struct Pixels {
    Pixels(int w, int h, D3DFORMAT format, T fill) : data(size_t(w) * size_t(h), fill) {
        area = KPixelArea{reinterpret_cast<uint8_t*>(data.data()), int(w * sizeof(T)), w, h, format};
    }
    T At(int x, int y) const { return data[size_t(y) * size_t(area.width) + size_t(x)]; }
    T& Set(int x, int y) { return data[size_t(y) * size_t(area.width) + size_t(x)]; }
    std::vector<T> data;
    KPixelArea area;
};

constexpr uint16_t kRed565 = 0xF800;
constexpr uint16_t kNearBlack565 = (2 << 11) | (5 << 5) | 2;  // 16, 20, 16 once widened

TEST(CaptureComposite, ColourRuleOn32BitTargets) {
    Pixels<uint16_t> picture(2, 1, D3DFMT_R5G6B5, 0);
    picture.Set(0, 0) = kRed565;
    picture.Set(1, 0) = kNearBlack565;
    Pixels<uint32_t> target(4, 2, D3DFMT_X8R8G8B8, 0xFF8040C2u);
    EXPECT_EQ(CompositePixels(picture.area, RECT{0, 0, 2, 1}, &target.area, 1, 1), 2);
    EXPECT_EQ(target.At(1, 1), 0xFFF80000u) << "the shell's 565 widening";
    EXPECT_EQ(target.At(2, 1), 0x00402061u) << "halved, alpha 0";
    EXPECT_EQ(target.At(0, 1), 0xFF8040C2u);
    EXPECT_EQ(target.At(1, 0), 0xFF8040C2u);
}

TEST(CaptureComposite, ColourRuleOn16BitTargetsFollowsTheirLayout) {
    Pixels<uint16_t> picture(2, 1, D3DFMT_R5G6B5, 0);
    picture.Set(0, 0) = 0x07E0;  // green
    picture.Set(1, 0) = kNearBlack565;
    Pixels<uint16_t> t565(2, 1, D3DFMT_R5G6B5, 0xFFFF);
    CompositePixels(picture.area, RECT{0, 0, 2, 1}, &t565.area, 0, 0);
    EXPECT_EQ(t565.At(0, 0), 0x07E0);
    EXPECT_EQ(t565.At(1, 0), 0x7BEF);
    Pixels<uint16_t> t555(2, 1, D3DFMT_X1R5G5B5, 0x7FFF);
    CompositePixels(picture.area, RECT{0, 0, 2, 1}, &t555.area, 0, 0);
    EXPECT_EQ(t555.At(0, 0), 0x83E0) << "green in 5-5-5";
    EXPECT_EQ(t555.At(1, 0), 0x3DEF) << "each 5-bit field halved";
}

TEST(CaptureComposite, ReadsThePictureInItsOwnFormat) {
    Pixels<uint16_t> picture(1, 1, D3DFMT_A4R4G4B4, 0xF0F0);  // green in 4-4-4
    Pixels<uint32_t> target(1, 1, D3DFMT_A8R8G8B8, 0);
    CompositePixels(picture.area, RECT{0, 0, 1, 1}, &target.area, 0, 0);
    EXPECT_EQ(target.At(0, 0), 0xFF00FF00u);
}

TEST(CaptureComposite, ClipsBothRectangles) {
    struct Case {
        const char* name;
        RECT source;
        int x, y, written;
    } cases[] = {
        {"inside", {0, 0, 2, 2}, 0, 0, 4},
        {"source past the picture", {-1, -1, 5, 5}, 0, 0, 4},
        {"target past the right and bottom", {0, 0, 2, 2}, 2, 2, 1},
        {"target before the left and top", {0, 0, 2, 2}, -1, -1, 1},
        {"entirely outside", {0, 0, 2, 2}, 7, 0, 0},
        {"empty source", {1, 1, 1, 2}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Pixels<uint16_t> picture(2, 2, D3DFMT_R5G6B5, kRed565);
        Pixels<uint32_t> target(3, 3, D3DFMT_X8R8G8B8, 0xFFFFFFFFu);
        EXPECT_EQ(CompositePixels(picture.area, c.source, &target.area, c.x, c.y), c.written) << c.name;
        int red = 0;
        for (uint32_t p : target.data) red += p == 0xFFF80000u;
        EXPECT_EQ(red, c.written) << c.name;
    }
}

TEST(CaptureComposite, OtherTargetFormatsAreLeftAlone) {
    Pixels<uint16_t> picture(1, 1, D3DFMT_R5G6B5, kRed565);
    Pixels<uint32_t> target(1, 1, D3DFMT_A2R10G10B10, 7);
    EXPECT_EQ(CompositePixels(picture.area, RECT{0, 0, 1, 1}, &target.area, 0, 0), 0);
    EXPECT_EQ(target.At(0, 0), 7u);
}

}  // namespace
