// Sprites that are cut short or whose counts, offsets and runs do not fit:
// each is refused with one log line and the pak file closed.
#include <gtest/gtest.h>

#include <functional>

#include "KPakFile.h"
#include "PictureTestSupport.h"
#include "SprFile.h"
#include "SprLayout.h"
#include "SprWriter.h"

namespace basrel_pictures_test {
namespace {

using Bytes = std::vector<uint8_t>;

// Two frames (3 x 2 and 2 x 2) over a palette of two colours.
Bytes GoodSpr() {
    SprPixels a{3, 2, 0, 0, {0, 0xFFFF0000u, 0xFFFF0000u, 0x80000000u, 0, 0xFF0000FFu}};
    SprPixels b{2, 2, 0, 0, {0xFF0000FFu, 0, 0, 0xFF0000FFu}};
    return WriteSpr({}, {a, b});
}

constexpr size_t kSprTable = 32 + 3 * 3;  // three colours: red, black, blue
constexpr size_t kSprArea = kSprTable + 2 * 8;

// An SPR file with one 2 x 2 frame whose run-length data is given as is.
Bytes SprWithRuns(Bytes runs, uint16_t width = 2, uint16_t height = 2) {
    return WriteUnpackedSprite(SPR_KIND_RLE, {}, {0xFF0000, 0x00FF00}, {{width, height, 0, 0, std::move(runs)}});
}

Bytes GoodSds2() { return WriteSds2({}, {{4, 4, 0, 0, std::vector<uint32_t>(16, 0xFF00FF00u)}}); }

Bytes GoodSds0() {
    return WriteSds0({}, {{10, 10, 0, 0, {{{1, 2, 3}, 16, 16, 0, 0, 10, 10}, {{4, 5}, 16, 16, 0, 0, 10, 10}}}});
}
constexpr size_t kTile0 = 32 + 9, kTile1 = kTile0 + 36;

Bytes Patch16(Bytes b, size_t at, uint16_t v) {
    PutU16(b, at, v);
    return b;
}
Bytes Patch32(Bytes b, size_t at, uint32_t v) {
    PutU32(b, at, v);
    return b;
}

struct BadSprite {
    const char* what;
    Bytes bytes;
    const char* reason;  // part of the log line
};

void PrintTo(const BadSprite& bad, std::ostream* out) { *out << bad.what; }

class SprMalformedTest : public PictureTest, public ::testing::WithParamInterface<BadSprite> {};

TEST_P(SprMalformedTest, IsRefusedWithOneLogLine) {
    WriteHostFile("bad.spr", GetParam().bytes);
    KPakFile file;
    EXPECT_EQ(SprGetHeader(&file, "bad.spr"), nullptr);
    std::vector<std::string> log = TakeLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("bad.spr"), std::string::npos) << log[0];
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(log[0].find(GetParam().reason), std::string::npos) << log[0];
}

const Bytes kSpr = GoodSpr();
const size_t kSprFrame1 = kSprArea + U32At(kSpr, kSprTable + 8);
const Bytes kSds2 = GoodSds2();
const Bytes kSds0 = GoodSds0();

INSTANTIATE_TEST_SUITE_P(
    Sprites, SprMalformedTest,
    ::testing::Values(
        BadSprite{"empty file", {}, "truncated header"},
        BadSprite{"header cut", Cut(kSpr, 31), "truncated header"},
        BadSprite{"unknown kind", Patch32(kSpr, 0, 0x21525053), "unknown kind"},
        BadSprite{"zero frames", Patch16(kSpr, 12, 0), "no frames"},
        BadSprite{"palette cut", Cut(kSpr, 32 + 4), "truncated palette"},
        BadSprite{"colour count past the end", Patch16(kSpr, 14, 0xFFFF), "truncated palette"},
        BadSprite{"frame table cut", Cut(kSpr, kSprTable + 12), "truncated frame table"},
        BadSprite{"frame count past the table", Patch16(kSpr, 12, 0xFFFF), "truncated frame table"},
        BadSprite{"last frame cut", Cut(kSpr, kSpr.size() - 1), "frame past the end"},
        BadSprite{"frame cut to its head", Cut(kSpr, kSprFrame1 + 8), "frame past the end"},
        BadSprite{"offset past the end", Patch32(kSpr, kSprTable + 8, 0xFFFFFFF0u), "frame past the end"},
        BadSprite{"offset out of table order", Patch32(kSpr, kSprTable, 1), "out of table order"},
        BadSprite{"length below 8", Patch32(kSpr, kSprTable + 4, 7), "below 8"},
        BadSprite{"length past the end", Patch32(kSpr, kSprTable + 12, 0x7FFFFFFF), "frame past the end"},
        BadSprite{"most negative length", Patch32(kSpr, kSprTable + 12, 0x80000000u), "frame past the end"},
        BadSprite{"frame taller than its runs", Patch16(kSpr, kSprFrame1 + 2, 3), "run past the end of the frame"},
        BadSprite{"frame of zero width", Patch16(kSpr, kSprArea, 0), "empty frame"},
        BadSprite{"palette index out of range", SprWithRuns({2, 255, 0, 2, 2, 0}), "palette index"},
        BadSprite{"run of zero pixels", SprWithRuns({0, 255, 4, 0}), "empty run"},
        BadSprite{"run past the last row", SprWithRuns({2, 0, 3, 0}), "past the last row"},
        BadSprite{"run passing two row ends", SprWithRuns({1, 0, 3, 0}, 2, 3), "two row ends"},
        BadSprite{"runs short of the frame", SprWithRuns({3, 0}), "run past the end of the frame"},
        BadSprite{"run indices cut", SprWithRuns({2, 0, 2, 255, 0}), "indices past the end"},
        BadSprite{"DXT5 blocks cut", Cut(kSds2, kSds2.size() - 1), "frame past the end"},
        BadSprite{"DXT5 frame wider than its blocks", Patch16(kSds2, 32 + 8, 8), "truncated DXT5 blocks"},
        BadSprite{"packed records cut", Cut(kSds0, 32 + 152), "truncated frame records"},
        BadSprite{"packed frame count past the records", Patch16(kSds0, 14, 2), "truncated frame records"},
        BadSprite{"packed zero frames", Patch16(kSds0, 14, 0), "no frames"},
        BadSprite{"tile count above 4", [] {
                      Bytes b = kSds0;
                      b[32] = 5;
                      return b;
                  }(), "tile count above 4"},
        BadSprite{"tile image cut", Cut(kSds0, kSds0.size() - 1), "tile image past the end"},
        BadSprite{"tile offset past the end", Patch32(kSds0, kTile0, 0xFFFFFFFEu), "tile image past the end"},
        BadSprite{"tile length past the end", Patch32(kSds0, kTile1 + 4, 0xFFFFFFFFu), "tile image past the end"},
        BadSprite{"empty tile image", Patch32(kSds0, kTile1 + 4, 0), "empty tile image"}),
    [](const ::testing::TestParamInfo<BadSprite>& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c) name += std::isalnum(uint8_t(*c)) ? *c : '_';
        return name;
    });

TEST_F(PictureTest, SpriteFixturesOfTheMalformedTableAreSoundBeforeDamage) {
    for (const Bytes* good : {&kSpr, &kSds2, &kSds0}) {
        WriteHostFile("good.spr", *good);
        KPakFile file;
        SPRHEAD* header = SprGetHeader(&file, "good.spr");
        EXPECT_NE(header, nullptr);
        SprReleaseHeader(header);
    }
    for (const Bytes& runs : {Bytes{2, 255, 0, 1, 2, 255, 1, 0}, Bytes{1, 0, 2, 128, 1, 1, 1, 0}, Bytes{3, 0, 1, 0}}) {
        WriteHostFile("good.spr", SprWithRuns(runs));
        KPakFile file;
        SPRHEAD* header = SprGetHeader(&file, "good.spr");
        EXPECT_NE(header, nullptr);
        SprReleaseHeader(header);
    }
    for (const std::string& line : TakeLog()) ADD_FAILURE() << line;
}

TEST_F(PictureTest, MissingSpriteOrNoFileIsRefused) {
    KPakFile file;
    EXPECT_EQ(SprGetHeader(&file, "nowhere.spr"), nullptr);
    EXPECT_EQ(TakeLog().size(), 1u);
    EXPECT_EQ(SprGetHeader(nullptr, "nowhere.spr"), nullptr);
    EXPECT_EQ(SprGetHeader(&file, nullptr), nullptr);
    EXPECT_EQ(SprGetHeader(&file, ""), nullptr);
    EXPECT_EQ(TakeLog().size(), 3u);
}

}  // namespace
}  // namespace basrel_pictures_test
