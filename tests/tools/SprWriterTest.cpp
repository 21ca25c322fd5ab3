#include <gtest/gtest.h>

#include <stdexcept>

#include "ByteFields.h"
#include "SprFile.h"
#include "SprWriter.h"

namespace {

using tools_test::U16At;
using tools_test::U32At;

TEST(SprWriter, PaletteTakesOpaqueAndTranslucentColoursInFirstUseOrder) {
    SprPixels a{2, 2, 0, 0, {0x00123456u, 0xFF0000FFu, 0x800000FFu, 0x01FF0000u}};
    SprPixels b{1, 1, 0, 0, {0xFF00FF00u}};
    EXPECT_EQ(BuildSprPalette({a, b}), (std::vector<uint32_t>{0x0000FF, 0xFF0000, 0x00FF00}));
}

TEST(SprWriter, MoreThan256ColoursThrow) {
    SprPixels frame{257, 1, 0, 0, {}};
    for (uint32_t i = 0; i < 257; ++i) frame.argb.push_back(0xFF000000u | i);
    EXPECT_THROW(BuildSprPalette({frame}), std::invalid_argument);
    frame.argb.pop_back();
    frame.width = 256;
    EXPECT_EQ(BuildSprPalette({frame}).size(), 256u);
}

TEST(SprWriter, RunsSplitAt255AlphaChangesAndRowEnds) {
    // Row 0: 600 opaque pixels; row 1: 2 transparent, 3 at alpha 0x40, the
    // rest opaque.
    SprPixels frame{600, 2, 0, 0, std::vector<uint32_t>(1200, 0xFF112233u)};
    frame.argb[600] = frame.argb[601] = 0;
    for (int i = 602; i < 605; ++i) frame.argb[i] = 0x40112233u;
    std::vector<uint8_t> runs = EncodeSprRuns(frame, {0x112233}, false);
    struct Run {
        uint8_t count, alpha;
    };
    std::vector<Run> got;
    for (size_t at = 0; at < runs.size();) {
        Run r{runs[at], runs[at + 1]};
        got.push_back(r);
        at += 2 + (r.alpha ? r.count : 0);
    }
    const Run want[] = {{255, 255}, {255, 255}, {90, 255}, {2, 0}, {3, 0x40}, {255, 255}, {255, 255}, {85, 255}};
    ASSERT_EQ(got.size(), std::size(want));
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].count, want[i].count) << i;
        EXPECT_EQ(got[i].alpha, want[i].alpha) << i;
    }
}

TEST(SprWriter, CrossingRunsPassOneRowEndAtMost) {
    SprPixels frame{4, 5, 0, 0, std::vector<uint32_t>(20, 0)};
    std::vector<uint8_t> runs = EncodeSprRuns(frame, {}, true);
    // Each run stops one pixel short of the second row end it would reach.
    EXPECT_EQ(runs, (std::vector<uint8_t>{7, 0, 4, 0, 4, 0, 4, 0, 1, 0}));
}

TEST(SprWriter, HeaderTableAndFramesAreLaidOutInOrder) {
    SprSpriteInfo info{64, 48, 32, 40, 8, 2};
    SprPixels a{2, 1, 5, 6, {0xFFFF0000u, 0}}, b{1, 1, 7, 8, {0xFF00FF00u}};
    std::vector<uint8_t> file = WriteSpr(info, {a, b});
    EXPECT_EQ(U32At(file, 0), SPR_KIND_RLE);
    EXPECT_EQ(U16At(file, 4), 64);
    EXPECT_EQ(U16At(file, 6), 48);
    EXPECT_EQ(U16At(file, 8), 32);
    EXPECT_EQ(U16At(file, 10), 40);
    EXPECT_EQ(U16At(file, 12), 2);
    EXPECT_EQ(U16At(file, 14), 2);
    EXPECT_EQ(U16At(file, 16), 8);
    EXPECT_EQ(U16At(file, 18), 2);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 32, file.begin() + 38), (std::vector<uint8_t>{255, 0, 0, 0, 255, 0}));
    const size_t table = 38, area = table + 16;
    // Frame a: head + runs {1, 255, 0} {1, 0}; frame b: head + {1, 255, 1}.
    EXPECT_EQ(U32At(file, table), 0u);
    EXPECT_EQ(U32At(file, table + 4), 8u + 5);
    EXPECT_EQ(U32At(file, table + 8), 13u);
    EXPECT_EQ(U32At(file, table + 12), 8u + 3);
    EXPECT_EQ(file.size(), area + 13 + 11);
    EXPECT_EQ(U16At(file, area + 4), 5);
    EXPECT_EQ(U16At(file, area + 13 + 6), 8);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + area + 8, file.begin() + area + 13),
              (std::vector<uint8_t>{1, 255, 0, 1, 0}));
}

TEST(SprWriter, Sds2FramesCarryADdsHeaderAndBlocks) {
    std::vector<uint8_t> file = WriteSds2({}, {{8, 5, 0, 0, std::vector<uint32_t>(40, 0xFF0000FFu)}});
    EXPECT_EQ(U32At(file, 0), SPR_KIND_DXT5);
    EXPECT_EQ(U16At(file, 14), 0);
    const size_t frame = 32 + 8;
    EXPECT_EQ(U32At(file, 36), 8u + 128 + 2 * 2 * 16);
    const size_t dds = frame + 8;
    EXPECT_EQ(U32At(file, dds), 0x20534444u);  // "DDS "
    EXPECT_EQ(U32At(file, dds + 4), 124u);
    EXPECT_EQ(U32At(file, dds + 12), 5u);
    EXPECT_EQ(U32At(file, dds + 16), 8u);
    EXPECT_EQ(U32At(file, dds + 84), 0x35545844u);  // "DXT5"
    EXPECT_EQ(file.size(), dds + 128 + 64);
}

TEST(SprWriter, PackedTilesPointPastTheRecords) {
    std::vector<uint8_t> file =
        WriteSds0({100, 80, 50, 70, 1, 1}, {{10, 12, 3, 4, {{{7, 7, 7}, 16, 16, 1, 2, 10, 12}}}});
    EXPECT_EQ(U32At(file, 0), SPR_KIND_PACKED);
    EXPECT_EQ(U16At(file, 4), 0);
    EXPECT_EQ(U16At(file, 6), 100);
    EXPECT_EQ(U16At(file, 8), 80);
    EXPECT_EQ(U16At(file, 10), 50);
    EXPECT_EQ(U16At(file, 12), 70);
    EXPECT_EQ(U16At(file, 14), 1);
    EXPECT_EQ(file[32], 1);
    EXPECT_EQ(U16At(file, 33), 10);
    EXPECT_EQ(U16At(file, 35), 12);
    EXPECT_EQ(U16At(file, 37), 3);
    EXPECT_EQ(U16At(file, 39), 4);
    EXPECT_EQ(U32At(file, 41), 32u + 153);
    EXPECT_EQ(U32At(file, 45), 3u);
    EXPECT_EQ(U16At(file, 49), 16);
    EXPECT_EQ(U16At(file, 53), 1);
    EXPECT_EQ(U16At(file, 55), 2);
    EXPECT_EQ(U16At(file, 59), 12);
    EXPECT_EQ(U32At(file, 61), 0u);
    EXPECT_EQ(U32At(file, 41 + 36), 0u) << "unused tiles stay zero";
    EXPECT_EQ(file.size(), 32u + 153 + 3);
}

TEST(SprWriter, BadInputThrows) {
    SprPixels empty{0, 3, 0, 0, {}}, mismatched{2, 2, 0, 0, {0, 0, 0}}, odd{6, 4, 0, 0, std::vector<uint32_t>(24)};
    EXPECT_THROW(WriteSpr({}, {empty}), std::invalid_argument);
    EXPECT_THROW(WriteSpr({}, {mismatched}), std::invalid_argument);
    EXPECT_THROW(WriteSpr({}, {}), std::invalid_argument);
    EXPECT_THROW(WriteSds2({}, {odd}), std::invalid_argument);
    SdsFrame crowded{8, 8, 0, 0, std::vector<SdsTile>(5, SdsTile{{1}, 8, 8, 0, 0, 8, 8})};
    EXPECT_THROW(WriteSds0({}, {crowded}), std::invalid_argument);
    EXPECT_THROW(WriteSds0({}, {SdsFrame{8, 8, 0, 0, {SdsTile{}}}}), std::invalid_argument);
    EXPECT_THROW(WriteSds0({}, {}), std::invalid_argument);
}

}  // namespace
