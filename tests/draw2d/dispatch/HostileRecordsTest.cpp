// Records as a careless host hands them over: names that fill their field,
// arrays at odd addresses, and integers at the ends of the 32-bit range.
// Under the sanitizers a read past a field, a misaligned typed read or a
// signed overflow fails these tests; without them the drawn results do.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "DispatchFixture.h"
#include "lumiva/PrimitiveRecords.h"
#include "lumiva/TextHostRecords.h"

namespace dispatch_test {
namespace {

class HostileRecords : public DispatchTest {
protected:
    void SetUp() override {
        DispatchTest::SetUp();
        ASSERT_NE(Sprite("s.spr", 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}), nullptr);
    }
    template <typename Record>
    static Record Cleared() {
        Record r;
        std::memset(static_cast<void*>(&r), 0, sizeof r);
        return r;
    }
    static KPrimPictureEx SpriteRecord(const char* name) {
        auto r = Cleared<KPrimPictureEx>();
        r.alpha = 0xFF;
        r.ax = 10, r.ay = 10;
        r.imageType = 1;
        std::memcpy(r.fileName, name, std::min(std::strlen(name) + 1, sizeof r.fileName));
        r.r0 = -10, r.r1 = -10, r.r2 = 10, r.r3 = 10;
        return r;
    }
    // `count` copies of a record one byte into a buffer, followed by bytes
    // that are no part of any record.
    template <typename Record>
    static std::vector<uint8_t> Misaligned(const Record& record, int count) {
        std::vector<uint8_t> bytes(1 + sizeof(Record) * size_t(count) + 16, 0xEE);
        for (int i = 0; i < count; ++i) std::memcpy(bytes.data() + 1 + sizeof(Record) * size_t(i), &record, sizeof record);
        return bytes;
    }
};

TEST_F(HostileRecords, NameFillingItsFieldIsRefusedLikeAMissingPicture) {
    // The field holds "s.spr" then 'x' up to its last byte, no terminator.
    auto full = SpriteRecord("s.spr");
    std::memset(full.fileName + 5, 'x', sizeof full.fileName - 5);
    auto fits = SpriteRecord(std::string(127, 'a').c_str());  // 127 characters and the terminator
    for (DWORD type : {DWORD(PRIM_RECT_PICTURES), DWORD(PRIM_RECT_PICTURES_2), DWORD(PRIM_TWO_POINT_PICTURES)}) {
        ClearTarget();
        std::vector<uint8_t> bytes = Misaligned(full, 1);
        m_shell->DrawPrimitives(1, bytes.data() + 1, type, 1, 0, -1, -1.0f);
        EXPECT_TRUE(Draws().empty()) << type;
        ClearTarget();
        m_shell->DrawPrimitives(1, &fits, type, 1, 0, -1, -1.0f);
        EXPECT_TRUE(Draws().empty()) << type;
    }
    // The plain and scene lists bound the name the same way.
    auto plain = Cleared<KPrimQuadPicture>();
    std::memcpy(static_cast<void*>(&plain), &full, sizeof(KPrimPicture));
    for (DWORD type : {DWORD(PRIM_PICTURES), DWORD(PRIM_BRIGHT_PICTURES), DWORD(PRIM_QUAD_PICTURES_CLIP_SPAN)}) {
        ClearTarget();
        std::vector<uint8_t> bytes = Misaligned(plain, 1);
        m_shell->DrawPrimitives(1, bytes.data() + 1, type, 0, 0, -1, -1.0f);
        EXPECT_TRUE(Draws().empty()) << type;
    }
}

TEST_F(HostileRecords, MisalignedArraysDrawAsAlignedOnesAndGetTheirCacheHints) {
    const KPrimPictureEx record = SpriteRecord("s.spr");
    KPrimPictureEx aligned[2] = {record, record};
    aligned[1].ax = 40;
    ClearTarget();
    m_shell->DrawPrimitives(2, aligned, PRIM_RECT_PICTURES, 1, 0, -1, -1.0f);
    const lumiva::d3d9::Image wanted = Target();
    // Both records' quads share the sprite's texture: one draw.
    ASSERT_EQ(Draws().size(), 1u);

    std::vector<uint8_t> bytes = Misaligned(record, 2);
    int32_t x = 40;
    std::memcpy(bytes.data() + 1 + sizeof(KPrimPictureEx) + offsetof(KPrimPicture, ax), &x, sizeof x);
    ClearTarget();
    m_shell->DrawPrimitives(2, bytes.data() + 1, PRIM_RECT_PICTURES, 1, 0, -1, -1.0f);
    EXPECT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Target().pixels, wanted.pixels);
    // The cache's id went back into each record, and nothing past them changed.
    for (int i = 0; i < 2; ++i) {
        uint32_t fileId = 0;
        std::memcpy(&fileId, bytes.data() + 1 + sizeof(KPrimPictureEx) * size_t(i) + offsetof(KPrimPicture, fileId),
                    sizeof fileId);
        EXPECT_EQ(fileId, aligned[i].fileId) << i;
    }
    EXPECT_EQ(bytes.back(), 0xEE);

    // Lines, bars and points at odd addresses too.
    auto line = Cleared<KPrimLine>();
    line.x1 = 5, line.y1 = 5, line.x2 = 30, line.y2 = 5, line.red = 0xFF, line.alpha = 0xFF;
    auto bar = Cleared<KPrimBar>();
    bar.ax = 5, bar.ay = 10, bar.bx = 30, bar.by = 20, bar.green = 0xFF;
    auto point = Cleared<KPrimPoint>();
    point.x = 3, point.y = 3, point.blue = 0xFF;
    const struct {
        std::vector<uint8_t> bytes;
        DWORD type;
    } lists[] = {{Misaligned(line, 3), PRIM_LINES}, {Misaligned(bar, 3), PRIM_BARS}, {Misaligned(point, 3), PRIM_POINTS}};
    for (const auto& list : lists) {
        ClearTarget();
        m_shell->DrawPrimitives(3, const_cast<uint8_t*>(list.bytes.data()) + 1, list.type, 1, 0, -1, -1.0f);
        EXPECT_FALSE(Draws().empty()) << list.type;
    }
}

TEST_F(HostileRecords, FullRangeIntegersNeitherWrapNorFault) {
    // Far-off rectangles: nothing lands on the target, whatever the sums.
    const int extremes[] = {INT_MIN, INT_MIN + 1, -1, INT_MAX - 1, INT_MAX};
    ClearTarget();
    for (int a : extremes) {
        for (int b : extremes) {
            m_shell->DrawRect(a, 0, b, 1, 0xFFFFFFFFu);
            m_shell->DrawRect(0, a, 1, b, 0xFFFFFFFFu);
            auto bar = Cleared<KPrimBar>();
            bar.ax = a, bar.ay = b, bar.bx = b, bar.by = a, bar.red = 0xFF;
            m_shell->DrawPrimitives(1, &bar, PRIM_BARS, 1, 0, -1, -1.0f);
            m_shell->DrawPrimitives(1, &bar, PRIM_THIN_BARS, 1, 0, -1, -1.0f);
            auto frame = Cleared<KPrimLine>();
            frame.x1 = a, frame.y1 = b, frame.x2 = b, frame.y2 = a;
            m_shell->DrawPrimitives(1, &frame, PRIM_CORNER_FRAMES, 1, 0, -1, -1.0f);
            auto sprite = SpriteRecord("s.spr");
            sprite.ax = a, sprite.ay = b, sprite.r0 = b, sprite.r1 = a, sprite.r2 = a, sprite.r3 = b;
            m_shell->DrawPrimitives(1, &sprite, PRIM_RECT_PICTURES, 1, 0, -1, -1.0f);
            m_shell->DrawPrimitives(1, &sprite, PRIM_TWO_POINT_PICTURES, 1, 0, -1, -1.0f);
        }
    }
    // In range, a rectangle still covers exactly its pixels.
    ClearTarget();
    m_shell->DrawRect(2, 3, 4, 5, 0xFFFFFFFFu);
    const lumiva::d3d9::Image image = Target();
    EXPECT_EQ(image.At(2, 3), 0xFFFFFFFFu);
    EXPECT_EQ(image.At(5, 7), 0xFFFFFFFFu);
    EXPECT_EQ(image.At(6, 7), 0xFF000000u);
    EXPECT_EQ(image.At(5, 8), 0xFF000000u);
}

TEST_F(HostileRecords, FontIdsBeyondAUsableSizeAreRefused) {
    WriteDataFile("px.asf", std::string("\x41\x53\x46\x00", 4));  // not a usable font either way
    for (int id : {INT_MAX, INT_MIN, -1, 0, 4097}) {
        EXPECT_FALSE(m_shell->CreateFont("@Arial,12,0,32,0", 0, id)) << id;
        EXPECT_EQ(m_shell->GetTextExtent(id, "abc", 3, INT_MAX), 0) << id;
        KTextRect box{};
        box.z = kScreenZ;
        box.maxLines = 1;
        EXPECT_EQ(m_shell->OutputTextInRect(id, &box, "abc", 3, INT_MAX), 0) << id;
        EXPECT_EQ(m_shell->HitTestText(INT_MAX, INT_MAX, id, &box, "abc", 3, INT_MIN), -1) << id;
    }
    EXPECT_TRUE(m_shell->CreateFont("@Arial,12,0,32,0", 0, 4096));
    EXPECT_TRUE(m_shell->CreateFont("@Arial,12,0,32,0", 0, 1));
    // A usable id at the far ends of the int range lays out without wrapping.
    std::vector<uint8_t> bytes(1 + sizeof(KTextRect), 0);
    KTextRect box{};
    box.x = INT_MAX - 3, box.y = INT_MIN + 1, box.z = kScreenZ;
    box.maxLines = 3;
    std::memcpy(bytes.data() + 1, &box, sizeof box);
    auto* misaligned = reinterpret_cast<KTextRect*>(bytes.data() + 1);
    EXPECT_EQ(m_shell->OutputTextInRect(4096, misaligned, "ab\ncd\nef", 8, INT_MAX), 3);
    EXPECT_GE(m_shell->HitTestText(INT_MAX, INT_MAX, 4096, misaligned, "ab\ncd", 5, INT_MAX), 0);
}

}  // namespace
}  // namespace dispatch_test
