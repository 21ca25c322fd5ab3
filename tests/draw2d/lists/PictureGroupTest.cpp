// Screen groups of four records or more: composed into one quad, or handed
// back to be drawn record by record when the composition cannot take them.
#include <cstring>
#include <vector>

#include "ListsFixture.h"
#include "draw2d/lists/PictureGroup.h"

namespace {

using lists_test::ListsTest;

struct GroupRecords {
    std::vector<uint8_t> bytes;
    void Add(const char* name, int16_t imageType, int32_t x, int32_t y, int16_t frame = 0, uint8_t blend = 0) {
        const size_t at = bytes.size();
        bytes.resize(at + 208, 0);
        uint8_t* r = bytes.data() + at;
        std::memcpy(r + 0, &x, 4);
        std::memcpy(r + 4, &y, 4);
        const uint32_t colour = 0xFFFFFFFFu;
        std::memcpy(r + 48, &colour, 4);
        r[52] = blend;
        std::memcpy(r + 54, &imageType, 2);
        std::strcpy(reinterpret_cast<char*>(r + 56), name);
        std::memcpy(r + 190, &frame, 2);
    }
    void* Data() { return bytes.data(); }
    int Count() const { return int(bytes.size() / 208); }
};

class PictureGroup : public ListsTest {
protected:
    void SetUp() override {
        ListsTest::SetUp();
        WriteFlatSprite("red.spr", 4, 4, 0xFFFF0000u, 1);
        WriteFlatSprite("two.spr", 4, 4, 0xFF00FF00u, 2);
        WriteFlatSprite("wide.spr", 200, 4, 0xFF0000FFu, 1);
    }
    GroupRecords RedBlock(int32_t x, int32_t y) {
        GroupRecords records;
        for (int i = 0; i < 4; ++i) records.Add("red.spr", 1, x + 4 * (i % 2), y + 4 * (i / 2));
        return records;
    }
};

TEST_F(PictureGroup, FourRecordsBecomeOneQuadOverTheHandDecodedTexels) {
    GroupRecords records = RedBlock(10, 20);
    const KGroupBox box = GetPictureGroupBounds(*Shell(), records.Count(), records.Data(), 1);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.right, 18);
    EXPECT_EQ(box.bottom, 28);

    BeginScene(0xFF000000);
    lumiva::d3d9::EnableRecording(true);
    lumiva::d3d9::ClearRecording();
    EXPECT_EQ(DrawPictureGroup(*Shell(), records.Count(), records.Data(), 1), KGroupResult::Composed);
    EndScene();
    EXPECT_EQ(lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").size(), 1u);

    D3DLOCKED_RECT locked{};
    ASSERT_EQ(Shell()->composeTextureSmall->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(reinterpret_cast<const uint16_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x],
                      0xFF00)
                << x << "," << y;
    Shell()->composeTextureSmall->UnlockRect(0);

    const lumiva::d3d9::Image image = BackBuffer();
    EXPECT_EQ(image.At(13, 23) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.At(8, 23) & 0xFFFFFF, 0u);
}

TEST_F(PictureGroup, GroupsTheCompositionCannotTakeAreDrawnSingly) {
    struct Case {
        const char* name;
        GroupRecords records;
    } cases[4];
    cases[0].name = "a JPEG record";
    cases[0].records = RedBlock(10, 20);
    cases[0].records.Add("p.jpg", 0, 0, 0);
    cases[1].name = "an animated frame";
    cases[1].records = RedBlock(10, 20);
    cases[1].records.Add("two.spr", 1, 12, 22, 1);
    cases[2].name = "a box over 256";
    cases[2].records = RedBlock(10, 20);
    cases[2].records.Add("red.spr", 1, 300, 20);
    cases[3].name = "a box 257 wide";
    cases[3].records = RedBlock(0, 0);
    cases[3].records.Add("wide.spr", 1, 57, 0);
    for (Case& c : cases) {
        lumiva::d3d9::EnableRecording(true);
        lumiva::d3d9::ClearRecording();
        EXPECT_EQ(DrawPictureGroup(*Shell(), c.records.Count(), c.records.Data(), 1), KGroupResult::DrawSingly)
            << c.name;
        EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").empty()) << c.name;
    }
}

TEST_F(PictureGroup, OffScreenAndEmptyGroupsDrawNothing) {
    GroupRecords left = RedBlock(-9, 20);  // right edge -1
    EXPECT_EQ(DrawPictureGroup(*Shell(), left.Count(), left.Data(), 1), KGroupResult::NothingToDraw);
    GroupRecords edge = RedBlock(-8, 20);  // right edge 0 still touches
    EXPECT_EQ(DrawPictureGroup(*Shell(), edge.Count(), edge.Data(), 1), KGroupResult::Composed);
    GroupRecords absent;
    for (int i = 0; i < 4; ++i) absent.Add("none.spr", 1, 0, 0);
    EXPECT_EQ(DrawPictureGroup(*Shell(), absent.Count(), absent.Data(), 1), KGroupResult::NothingToDraw);
}

}  // namespace
