// Texture memory: the manager's figures against the device's accounting,
// empty textures, unloading under a target or when idle, reloading, and the
// device-object hooks.
#include <cstring>

#include "TextureManagerFixture.h"
#include "d3d9/Control.h"
#include "shell/VideoPolicy.h"
#include "win32/Control.h"

namespace texmgr_test {
namespace {

using lumiva::d3d9::UsedTextureMemory;
using lumiva::win32::AdvanceClock;

constexpr uint32_t kBytes64 = 64 * 64 * 4;  // one 64 x 64 A8R8G8B8 texture

struct FigureCase {
    const char* label;
    BYTE useA8R8G8B8;
    BYTE mip;
    bool rejectDxt5;
    uint16_t width, height;
    int32_t kind;
    uint32_t bytes;
};

TEST_F(TextureManagerTest, FiguresFollowTheTexturesTheDeviceMade) {
    CreateDevice();
    const FigureCase cases[] = {
        {"A8R8G8B8", 1, 0, false, 16, 8, kTextureKindA8R8G8B8, 16 * 8 * 4},
        {"DXT5", 0, 0, false, 16, 8, kTextureKindDXT5, 16 * 8},
        // The device holds whole blocks: 8 x 8 of them.
        {"DXT5 off the block grid", 0, 0, false, 6, 6, kTextureKindDXT5, 64},
        {"DXT5 refused by the device", 0, 0, true, 16, 8, kTextureKindA8R8G8B8, 16 * 8 * 4},
        {"mip factor", 1, 1, false, 16, 8, kTextureKindA8R8G8B8, 680},
    };
    for (const FigureCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetTextureManagerForTests();
        lumiva::d3d9::SetFormatCheck({});
        if (c.rejectDxt5) lumiva::d3d9::RejectFormat(D3DFMT_DXT5);
        ASSERT_TRUE(Manager().Init(m_device, c.useA8R8G8B8, c.mip));
        WriteDataFile("\\effects\\a.dds", FlatDds(0xFFFF0000, c.width, c.height));
        uint64_t usedBefore = UsedTextureMemory();

        KTextureRecord* record = Manager().LoadTexture("\\effects\\a.dds", nullptr, 0, 1, 0);
        ASSERT_NE(record, nullptr);
        ASSERT_TRUE(record->loaded);
        EXPECT_EQ(record->kind, c.kind);
        EXPECT_EQ(record->width, c.width);
        EXPECT_EQ(record->height, c.height);
        EXPECT_EQ(record->bytes, c.bytes);
        EXPECT_EQ(Manager().GetTotalBytes(), c.bytes);
        EXPECT_EQ(Manager().GetLoadedCount(), 1u);
        if (!c.mip) {
            EXPECT_EQ(UsedTextureMemory() - usedBefore, c.bytes);
        }
        EXPECT_EQ(FirstTexel(record->texture), 0xFFFF0000u);
        EXPECT_TRUE(record->fileData.empty()) << "file bytes are freed once the texture exists";
    }
}

TEST_F(TextureManagerTest, EmptyTexturesAreNumberedKeptAndCounted) {
    CreateDevice();
    uint64_t usedBefore = UsedTextureMemory();
    KTextureRecord* first = Manager().CreateEmptyTexture(7, 32, 16);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->name, "EmptyTex##0001");
    EXPECT_EQ(first->refCount, 1);
    EXPECT_TRUE(first->keep);
    EXPECT_TRUE(first->loaded);
    EXPECT_EQ(first->width, 32);
    EXPECT_EQ(first->height, 16);
    EXPECT_EQ(first->bytes, 32u * 16 * 4);
    EXPECT_EQ(LevelDesc(first->texture).Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(Manager().FindTexture("EmptyTex##0001"), first);

    // A failed creation uses its number and leaves nothing behind.
    lumiva::d3d9::FailCreationAt(1);
    EXPECT_EQ(Manager().CreateEmptyTexture(0, 32, 16), nullptr);
    EXPECT_EQ(Manager().FindTexture("EmptyTex##0002"), nullptr);
    KTextureRecord* third = Manager().CreateEmptyTexture(0, 8, 8);
    ASSERT_NE(third, nullptr);
    EXPECT_STREQ(third->name, "EmptyTex##0003");

    EXPECT_EQ(Manager().GetLoadedCount(), 2u);
    EXPECT_EQ(Manager().GetTotalBytes(), 32u * 16 * 4 + 8 * 8 * 4);
    EXPECT_EQ(UsedTextureMemory() - usedBefore, Manager().GetTotalBytes());

    EXPECT_EQ(Manager().CreateEmptyTexture(0, 0, 8), nullptr);
    EXPECT_EQ(Manager().CreateEmptyTexture(0, 8, -1), nullptr);
}

// Three 64 x 64 textures loaded at 0, 100 and 1500 ms after the start.
class TextureMemoryTest : public TextureManagerTest {
protected:
    void LoadThree() {
        CreateDevice();
        const char* names[] = {"\\effects\\a.dds", "\\effects\\b.dds", "\\effects\\c.dds"};
        const uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
        const uint64_t at[] = {0, 100, 1500};
        for (int i = 0; i < 3; ++i) {
            WriteDataFile(names[i], FlatDds(colours[i], 64, 64));
            lumiva::win32::SetClock(kClockStartMs + at[i]);
            m_records[i] = Manager().LoadTexture(names[i], nullptr, 0, 1, 0);
            ASSERT_NE(m_records[i], nullptr);
            ASSERT_TRUE(m_records[i]->loaded);
        }
    }
    bool Loaded(int i) const { return m_records[i]->loaded != 0; }

    KTextureRecord* m_records[3] = {};
};

TEST_F(TextureMemoryTest, TargetZeroUnloadsTheLongestIdleOnceASecondHasPassed) {
    LoadThree();
    // Used again at 2000, 2100 and 2200 ms.
    for (int i = 0; i < 3; ++i) {
        lumiva::win32::SetClock(kClockStartMs + 2000 + 100 * i);
        ASSERT_TRUE(Manager().SetTexture(0, m_records[i], 0));
    }
    lumiva::win32::SetClock(kClockStartMs + 2999);
    Manager().FreeTextureMemory(0);
    EXPECT_TRUE(Loaded(0) && Loaded(1) && Loaded(2)) << "idle 999 ms is not enough";

    lumiva::win32::SetClock(kClockStartMs + 3000);
    Manager().FreeTextureMemory(0);
    EXPECT_FALSE(Loaded(0));
    EXPECT_TRUE(Loaded(1) && Loaded(2));

    Manager().FreeTextureMemory(0);
    EXPECT_TRUE(Loaded(1)) << "b has been idle only 900 ms";
    AdvanceClock(100);
    Manager().FreeTextureMemory(0);
    EXPECT_FALSE(Loaded(1));
    EXPECT_TRUE(Loaded(2));
    EXPECT_EQ(Manager().GetLoadedCount(), 1u);
    EXPECT_EQ(Manager().GetTotalBytes(), kBytes64);
}

TEST_F(TextureMemoryTest, TargetUnloadsIdleRecordsUntilEnoughMemoryIsAvailable) {
    LoadThree();
    uint64_t used = UsedTextureMemory();
    lumiva::d3d9::SetTotalTextureMemory(used + 1000);
    lumiva::win32::SetClock(kClockStartMs + 2600);
    // One unload brings the available memory to kBytes64 + 1000.
    Manager().FreeTextureMemory(kBytes64 + 1000);
    EXPECT_FALSE(Loaded(0));
    EXPECT_TRUE(Loaded(1) && Loaded(2));
    EXPECT_EQ(m_device->GetAvailableTextureMem(), kBytes64 + 1000);

    Manager().FreeTextureMemory(3 * kBytes64);
    EXPECT_FALSE(Loaded(1));
    EXPECT_FALSE(Loaded(2));
    EXPECT_EQ(Manager().GetLoadedCount(), 0u);
    EXPECT_EQ(UsedTextureMemory(), used - 3 * kBytes64);
}

TEST_F(TextureMemoryTest, TargetStopsAtARecordUsedWithinTheLastSecond) {
    LoadThree();
    lumiva::d3d9::SetTotalTextureMemory(UsedTextureMemory());
    lumiva::win32::SetClock(kClockStartMs + 2000);
    Manager().FreeTextureMemory(UINT32_MAX - 1);
    EXPECT_FALSE(Loaded(0));
    EXPECT_FALSE(Loaded(1));
    EXPECT_TRUE(Loaded(2)) << "c has been idle 500 ms";
}

TEST_F(TextureMemoryTest, UnloadedRecordsReloadOnTheirNextSetTexture) {
    LoadThree();
    uint64_t used = UsedTextureMemory();
    Manager().FreeTextureMemory(0xFFFFFFFF);
    EXPECT_FALSE(Loaded(0) || Loaded(1) || Loaded(2));
    EXPECT_EQ(Manager().GetTotalBytes(), 0u);
    EXPECT_EQ(UsedTextureMemory(), used - 3 * kBytes64);
    EXPECT_EQ(m_records[1]->refCount, 1) << "records stay while their textures go";

    EXPECT_TRUE(Manager().SetTexture(0, m_records[1], 0));
    ASSERT_TRUE(Loaded(1));
    EXPECT_EQ(FirstTexel(m_records[1]->texture), 0xFF00FF00u);
    EXPECT_EQ(Manager().GetLoadedCount(), 1u);
    EXPECT_EQ(Manager().GetTotalBytes(), kBytes64);
    EXPECT_EQ(UsedTextureMemory(), used - 2 * kBytes64);
}

TEST_F(TextureMemoryTest, EmptyTextureCreationFreesMemoryBelowTheThreshold) {
    LoadThree();
    uint64_t used = UsedTextureMemory();
    // Available: 10000 before the new 8 x 8 texture.
    lumiva::d3d9::SetTotalTextureMemory(used + 10000);
    g_TexMemThreshold = 12000;
    g_TexMemTarget = 2 * kBytes64;
    lumiva::win32::SetClock(kClockStartMs + 2600);
    KTextureRecord* empty = Manager().CreateEmptyTexture(0, 8, 8);
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(Loaded(0));
    EXPECT_FALSE(Loaded(1));
    EXPECT_TRUE(Loaded(2));
    EXPECT_EQ(UsedTextureMemory(), used - 2 * kBytes64 + 8 * 8 * 4);

    // Above the threshold nothing is freed.
    ASSERT_NE(Manager().CreateEmptyTexture(0, 8, 8), nullptr);
    EXPECT_TRUE(Loaded(2));
}

TEST_F(TextureManagerTest, EmptyTexturesKeepTheirContentWhenMemoryIsFreed) {
    CreateDevice();
    KTextureRecord* empty = Manager().CreateEmptyTexture(0, 8, 8);
    ASSERT_NE(empty, nullptr);
    void* bits = nullptr;
    int32_t pitch = 0;
    ASSERT_TRUE(Manager().LockTexture(empty, 0, &bits, &pitch, 0));
    const uint32_t painted = 0xFF123456;
    std::memcpy(bits, &painted, 4);
    ASSERT_TRUE(Manager().UnlockTexture(empty, 0));
    IDirect3DTexture9* texture = empty->texture;

    lumiva::win32::AdvanceClock(60000);
    Manager().FreeTextureMemory(0xFFFFFFFF);
    Manager().FreeTextureMemory(0);
    lumiva::d3d9::SetTotalTextureMemory(UsedTextureMemory());
    Manager().FreeTextureMemory(100000);
    Manager().InvalidateDeviceObjects();

    ASSERT_TRUE(empty->loaded);
    EXPECT_EQ(empty->texture, texture);
    EXPECT_EQ(FirstTexel(empty->texture), painted);
    EXPECT_TRUE(Manager().SetTexture(0, empty, 0));
}

TEST_F(TextureManagerTest, InvalidationUnloadsOnlyRecordsThatAreNotKept) {
    CreateDevice();
    WriteDataFile("\\effects\\kept.dds", FlatDds(0xFFFF0000, 8, 8));
    WriteDataFile("\\effects\\plain.dds", FlatDds(0xFF00FF00, 8, 8));
    KTextureRecord* kept = Manager().LoadTexture("\\effects\\kept.dds", nullptr, 1, 1, 0);
    KTextureRecord* plain = Manager().LoadTexture("\\effects\\plain.dds", nullptr, 0, 1, 0);
    IDirect3DTexture9* keptTexture = kept->texture;

    EXPECT_TRUE(Manager().InvalidateDeviceObjects());
    EXPECT_TRUE(kept->loaded);
    EXPECT_EQ(kept->texture, keptTexture);
    EXPECT_FALSE(plain->loaded);
    EXPECT_EQ(plain->texture, nullptr);
    EXPECT_EQ(Manager().GetLoadedCount(), 1u);
    EXPECT_EQ(Manager().GetTotalBytes(), 8u * 8 * 4);

    EXPECT_TRUE(Manager().RestoreDeviceObjects());
    EXPECT_FALSE(plain->loaded) << "textures come back on use, not on restore";
    EXPECT_TRUE(Manager().SetTexture(0, plain, 0));
    EXPECT_TRUE(plain->loaded);
    EXPECT_EQ(FirstTexel(plain->texture), 0xFF00FF00u);
}

}  // namespace
}  // namespace texmgr_test
