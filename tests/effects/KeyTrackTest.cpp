// Key tracks: their table, the add and remove rules, and sampling with both
// colour bases, the stepped tracks and the guarded first-key blend.
#include <gtest/gtest.h>

#include <climits>

#include "effects/K3DEffectKeyTracks.h"
#include "support/VirtualSlot.h"

namespace {

using test_support::SlotOf;

TEST(KeyTrackSlots, FortyTwoOperationsInGroupsOfSix) {
    using K = K3DEffectKeyTracks;
    const long slots[] = {
        SlotOf(&K::GetPositionKeyCount), SlotOf(&K::GetRotationKeyCount), SlotOf(&K::GetColorKeyCount),
        SlotOf(&K::GetScaleKeyCount),    SlotOf(&K::GetVisibleKeyCount),  SlotOf(&K::GetOffsetKeyCount),
        SlotOf(&K::HasPositionKey),      SlotOf(&K::HasRotationKey),      SlotOf(&K::HasColorKey),
        SlotOf(&K::HasScaleKey),         SlotOf(&K::HasVisibleKey),       SlotOf(&K::HasOffsetKey),
        SlotOf(&K::GetPositionKey),      SlotOf(&K::GetRotationKey),      SlotOf(&K::GetColorKey),
        SlotOf(&K::GetScaleKey),         SlotOf(&K::GetVisibleKey),       SlotOf(&K::GetOffsetKey),
        SlotOf(&K::FindPositionKey),     SlotOf(&K::FindRotationKey),     SlotOf(&K::FindColorKey),
        SlotOf(&K::FindScaleKey),        SlotOf(&K::FindVisibleKey),      SlotOf(&K::FindOffsetKey),
        SlotOf(&K::SetPositionKey),      SlotOf(&K::SetRotationKey),      SlotOf(&K::SetColorKey),
        SlotOf(&K::SetScaleKey),         SlotOf(&K::SetVisibleKey),       SlotOf(&K::SetOffsetKey),
        SlotOf(&K::AddPositionKey),      SlotOf(&K::AddRotationKey),      SlotOf(&K::AddColorKey),
        SlotOf(&K::AddScaleKey),         SlotOf(&K::AddVisibleKey),       SlotOf(&K::AddOffsetKey),
        SlotOf(&K::RemovePositionKey),   SlotOf(&K::RemoveRotationKey),   SlotOf(&K::RemoveColorKey),
        SlotOf(&K::RemoveScaleKey),      SlotOf(&K::RemoveVisibleKey),    SlotOf(&K::RemoveOffsetKey),
    };
    // No destructor in the table: the first operation is slot 0.
    for (long i = 0; i < long(std::size(slots)); ++i) EXPECT_EQ(slots[i], i) << "operation " << i;
}

std::vector<int32_t> Times(const KEffectKeyTrack<float>& track) { return track.times; }

TEST(KeyTrackEditing, AddKeepsTimeOrderAndReplacesAtAnEqualTime) {
    K3DEffectKeyTracks k;
    EXPECT_TRUE(k.AddRotationKey(3.0f, 300));
    EXPECT_TRUE(k.AddRotationKey(1.0f, 100));
    EXPECT_TRUE(k.AddRotationKey(2.0f, 200));
    EXPECT_TRUE(k.AddRotationKey(4.0f, -50));
    EXPECT_EQ(Times(k.rotation), (std::vector<int32_t>{-50, 100, 200, 300}));
    EXPECT_TRUE(k.AddRotationKey(9.0f, 200));
    int count = 0;
    EXPECT_EQ(k.GetRotationKeyCount(&count), 4);
    EXPECT_EQ(count, 4);
    float value = 0;
    int index = -1;
    ASSERT_TRUE(k.FindRotationKey(200, &value, &index));
    EXPECT_EQ(value, 9.0f);
    EXPECT_EQ(index, 2);
}

TEST(KeyTrackEditing, RemoveErasesEveryKeyAtTheTimeAndOnlyThose) {
    K3DEffectKeyTracks k;
    k.AddColorKey(1, 10);
    k.AddColorKey(2, 20);
    // Set can make duplicates (and break the order); remove takes them all.
    ASSERT_TRUE(k.SetColorKey(1, 3, 10));
    EXPECT_FALSE(k.RemoveColorKey(15));
    EXPECT_EQ(k.GetColorKeyCount(nullptr), 2);
    EXPECT_TRUE(k.RemoveColorKey(10));
    EXPECT_EQ(k.GetColorKeyCount(nullptr), 0);
    EXPECT_FALSE(k.HasColorKey(10));
}

TEST(KeyTrackEditing, FindReportsTheLastKeyAtTheTime) {
    K3DEffectKeyTracks k;
    k.AddVisibleKey(1, 10);
    k.AddVisibleKey(0, 20);
    k.SetVisibleKey(1, 7, 10);
    int value = -1, index = -1;
    ASSERT_TRUE(k.FindVisibleKey(10, &value, &index));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(k.FindVisibleKey(11, &value, &index));
}

TEST(KeyTrackEditing, IndexedOperationsRefuseIndicesOutOfRange) {
    K3DEffectKeyTracks k;
    k.AddPositionKey(1, 2, 3, 100);
    D3DXVECTOR3 v(7, 7, 7);
    int time = 99;
    EXPECT_FALSE(k.GetPositionKey(-1, &v, &time));
    EXPECT_FALSE(k.GetPositionKey(1, &v, &time));
    EXPECT_EQ(v, D3DXVECTOR3(7, 7, 7));
    EXPECT_EQ(time, 99);
    EXPECT_FALSE(k.SetPositionKey(1, 0, 0, 0, 0));
    EXPECT_FALSE(k.SetPositionKey(-1, 0, 0, 0, 0));
    ASSERT_TRUE(k.GetPositionKey(0, &v, &time));
    EXPECT_EQ(v, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(time, 100);
}

TEST(KeyTrackSampling, EmptyTracksGiveTheirDefaults) {
    const K3DEffectKeyTracks k;
    D3DXVECTOR3 position(9, 9, 9), scale, offset(9, 9, 9);
    float rotation = 9;
    DWORD color = 0;
    int visible = 0;
    k.SamplePosition(500, &position);
    k.SampleRotation(500, &rotation);
    k.SampleColor(500, &color);
    k.SampleScale(500, &scale);
    k.SampleVisible(500, &visible);
    k.SampleOffset(500, &offset);
    EXPECT_EQ(position, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(rotation, 0.0f);
    EXPECT_EQ(color, 0xFFFFFFFFu);  // opaque white, not the fade-in base
    EXPECT_EQ(scale, D3DXVECTOR3(1, 1, 1));
    EXPECT_EQ(visible, 1);
    EXPECT_EQ(offset, D3DXVECTOR3(0, 0, 0));
}

struct LinearCase {
    const char* what;
    int time;
    D3DXVECTOR3 position;
    D3DXVECTOR3 scale;
    DWORD color;
};

// One key at 1000 ms: position (10, 0, 0), scale (3, 5, 1), colour
// A 255 R 128 G 64 B 32; then a second key at 3000 ms.
TEST(KeyTrackSampling, LinearTracksBlendFromTheirBasesAndBetweenKeys) {
    K3DEffectKeyTracks k;
    k.AddPositionKey(10, 0, 0, 1000);
    k.AddPositionKey(20, 4, -8, 3000);
    k.AddScaleKey(3, 5, 1, 1000);
    k.AddScaleKey(1, 1, 1, 3000);
    k.AddColorKey(0xFF804020, 1000);
    k.AddColorKey(0x01000000, 3000);
    const LinearCase cases[] = {
        {"time 0 is the base", 0, {0, 0, 0}, {1, 1, 1}, 0x00000000},
        {"half way to the first key", 500, {5, 0, 0}, {2, 3, 1}, 0x7F402010},
        {"at the first key", 1000, {10, 0, 0}, {3, 5, 1}, 0xFF804020},
        {"half way between keys", 2000, {15, 2, -4}, {2, 3, 1}, 0x80402010},
        {"at the last key", 3000, {20, 4, -8}, {1, 1, 1}, 0x01000000},
        {"after the last key", 90000, {20, 4, -8}, {1, 1, 1}, 0x01000000},
        {"before time 0 stays at the base", -400, {0, 0, 0}, {1, 1, 1}, 0x00000000},
    };
    for (const LinearCase& c : cases) {
        D3DXVECTOR3 p, s;
        DWORD color = 0x12345678;
        k.SamplePosition(c.time, &p);
        k.SampleScale(c.time, &s);
        k.SampleColor(c.time, &color);
        EXPECT_EQ(p, c.position) << c.what;
        EXPECT_EQ(s, c.scale) << c.what;
        EXPECT_EQ(color, c.color) << c.what << std::hex << " got " << color;
    }
}

TEST(KeyTrackSampling, RotationBlendsLinearly) {
    K3DEffectKeyTracks k;
    k.AddRotationKey(2.0f, 400);
    k.AddRotationKey(-2.0f, 800);
    float r = 0;
    k.SampleRotation(100, &r);
    EXPECT_FLOAT_EQ(r, 0.5f);
    k.SampleRotation(600, &r);
    EXPECT_FLOAT_EQ(r, 0.0f);
}

TEST(KeyTrackSampling, AFirstKeyAtOrBeforeTimeZeroLeavesTheBaseBeforeIt) {
    for (int first : {0, -100}) {
        K3DEffectKeyTracks k;
        k.AddPositionKey(8, 8, 8, first);
        k.AddColorKey(0xFFFFFFFF, first);
        D3DXVECTOR3 p(1, 1, 1);
        DWORD color = 1;
        k.SamplePosition(first - 50, &p);
        k.SampleColor(first - 50, &color);
        EXPECT_EQ(p, D3DXVECTOR3(0, 0, 0)) << first;
        EXPECT_EQ(color, 0u) << first;
        k.SamplePosition(first, &p);
        EXPECT_EQ(p, D3DXVECTOR3(8, 8, 8)) << first;
    }
}

TEST(KeyTrackSampling, KeysAtTheEndsOfTheIntRangeBlendWithoutOverflow) {
    K3DEffectKeyTracks k;
    k.AddPositionKey(0, 0, 0, INT_MIN);
    k.AddPositionKey(100, 0, 0, INT_MAX);
    D3DXVECTOR3 p;
    k.SamplePosition(0, &p);
    EXPECT_NEAR(p.x, 50.0f, 0.01f);
    k.SamplePosition(INT_MAX - 1, &p);
    EXPECT_NEAR(p.x, 100.0f, 0.01f);
}

TEST(KeyTrackSampling, SteppedTracksHoldTheLastKeyAtOrBeforeTheTime) {
    K3DEffectKeyTracks k;
    k.AddVisibleKey(0, 300);
    k.AddVisibleKey(1, 700);
    k.AddOffsetKey(1, 2, 3, 300);
    struct Case {
        int time;
        int visible;
        D3DXVECTOR3 offset;
    };
    const Case cases[] = {{0, 1, {0, 0, 0}}, {299, 1, {0, 0, 0}}, {300, 0, {1, 2, 3}},
                          {699, 0, {1, 2, 3}}, {700, 1, {1, 2, 3}}, {-5, 1, {0, 0, 0}}};
    for (const Case& c : cases) {
        int visible = -1;
        D3DXVECTOR3 offset;
        k.SampleVisible(c.time, &visible);
        k.SampleOffset(c.time, &offset);
        EXPECT_EQ(visible, c.visible) << c.time;
        EXPECT_EQ(offset, c.offset) << c.time;
    }
}

TEST(KeyTrackSampling, KeysLeftOutOfOrderNeverDivideByZero) {
    K3DEffectKeyTracks k;
    k.AddColorKey(0xFF000000, 100);
    k.AddColorKey(0xFFFFFFFF, 200);
    k.AddColorKey(0x00000000, 300);
    ASSERT_TRUE(k.SetColorKey(2, 0x00000000, 150));  // times 100, 200, 150
    for (int t : {99, 100, 150, 175, 199, 200, 250, 400}) {
        DWORD color = 0x12345678;
        k.SampleColor(t, &color);
        EXPECT_NE(color, 0x12345678u) << t;
    }
    DWORD color = 0;
    k.SampleColor(150, &color);
    EXPECT_EQ(color, 0xFF7F7F7Fu);
}

}  // namespace
