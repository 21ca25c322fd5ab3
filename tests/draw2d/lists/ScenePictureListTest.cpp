// Scene picture lists: which records are drawn, the cache hints written
// back, and the sampler filters under perspective.
#include <cstring>
#include <vector>

#include "ListsFixture.h"
#include "draw2d/lists/ScenePictureList.h"

namespace {

using lists_test::ListsTest;

struct Record {
    uint8_t bytes[264] = {};
    void SetInt(int offset, int32_t v) { std::memcpy(bytes + offset, &v, 4); }
    uint32_t FileId() const {
        uint32_t id;
        std::memcpy(&id, bytes + 184, 4);
        return id;
    }
};

Record SpriteRecord(const char* name, int32_t bx, int32_t by, uint8_t flags) {
    Record r;
    r.SetInt(0, 100);
    r.SetInt(4, 100);
    r.SetInt(24, bx);
    r.SetInt(28, by);
    r.bytes[48] = r.bytes[49] = r.bytes[50] = r.bytes[51] = 0xFF;
    r.bytes[53] = flags;
    r.bytes[54] = 1;
    std::strcpy(reinterpret_cast<char*>(r.bytes + 56), name);
    return r;
}

class ScenePictureList : public ListsTest {
protected:
    void SetUp() override {
        ListsTest::SetUp();
        WriteFlatSprite("s.spr", 4, 4, 0xFFFF0000u);
        lumiva::d3d9::EnableRecording(true);
        lumiva::d3d9::ClearRecording();
    }
    std::vector<uint64_t> FilterValues() const {
        std::vector<uint64_t> values;
        for (const auto& call : lumiva::d3d9::RecordedCallsNamed("SetSamplerState"))
            if (call.args[1] == D3DSAMP_MAGFILTER) values.push_back(call.args[2]);
        return values;
    }
};

TEST_F(ScenePictureList, PerspectiveFiltersAreLinearDuringTheListAndPointAfter) {
    Shell()->projectionKind = 2;
    Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
    lumiva::d3d9::ClearRecording();
    Record record = SpriteRecord("s.spr", 120, 90, 0);
    DrawScenePictureList(*Shell(), 3, 1, record.bytes, 0, 1.0f, false);
    const std::vector<uint64_t> filters = FilterValues();
    ASSERT_GE(filters.size(), 2u);
    EXPECT_EQ(filters.front(), uint64_t(D3DTEXF_LINEAR));
    EXPECT_EQ(filters.back(), uint64_t(D3DTEXF_POINT));
    EXPECT_NE(record.FileId(), 0u) << "the cache's id is written back";
}

TEST_F(ScenePictureList, OnlyTypes3And6And22AreDrawn) {
    Record record = SpriteRecord("s.spr", 120, 90, 0);
    for (int type : {20, 21, 7}) DrawScenePictureList(*Shell(), type, 1, record.bytes, 0, 1.0f, false);
    DrawScenePictureListAlt(*Shell(), 22, 1, record.bytes, 0);
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("SetFVF").empty());
    EXPECT_EQ(record.FileId(), 0u);
}

TEST_F(ScenePictureList, SpritesWithoutExtentAreSkippedAfterTheFetch) {
    Shell()->projectionKind = 1;
    Record none = SpriteRecord("s.spr", 0, 90, 0);
    DrawScenePictureList(*Shell(), 3, 1, none.bytes, 0, 1.0f, false);
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").empty());
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP").empty());
    EXPECT_TRUE(FilterValues().empty()) << "no perspective, filters untouched";

    Record missing = SpriteRecord("absent.spr", 120, 90, 0);
    DrawScenePictureList(*Shell(), 3, 1, missing.bytes, 0, 1.0f, false);
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").empty());
}

}  // namespace
