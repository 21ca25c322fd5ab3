// Sharing by name, reference counts, release, the getters, SetTexture and
// locking, and the order of the manager's table of operations.
#include <cstdint>
#include <cstring>

#include "TextureManagerFixture.h"
#include "d3d9/Control.h"
#include "support/VirtualSlot.h"
#include "win32/Control.h"

namespace texmgr_test {
namespace {

using test_support::SlotOf;

// The base's destructor takes two entries with this compiler; the named
// operations follow it in order.
TEST(TextureManagerSlots, OperationsInTableOrder) {
    const long slots[] = {
        SlotOf(&KTextureManager::LoadTexture),   SlotOf(&KTextureManager::CreateEmptyTexture),
        SlotOf(&KTextureManager::FindTexture),   SlotOf(&KTextureManager::ReleaseTexture),
        SlotOf(&KTextureManager::GetTextureFormat), SlotOf(&KTextureManager::GetTextureSize),
        SlotOf(&KTextureManager::GetCycleTime),  SlotOf(&KTextureManager::GetFrameCount),
        SlotOf(&KTextureManager::SetTexture),    SlotOf(&KTextureManager::LockTexture),
        SlotOf(&KTextureManager::UnlockTexture), SlotOf(&KTextureManager::GetLoadedCount),
        SlotOf(&KTextureManager::GetTotalBytes), SlotOf(&KTextureManager::Init),
        SlotOf(&KTextureManager::ReleaseAll),
    };
    for (size_t i = 0; i < std::size(slots); ++i) EXPECT_EQ(slots[i], long(i) + 2) << "operation " << i + 1;
}

TEST_F(TextureManagerTest, SamePathSharesOneRecordUntilTheLastRelease) {
    CreateDevice();
    WriteDataFile("\\portrait\\common\\face.dds", FlatDds(0xFF00FF00, 8, 8));
    uint64_t usedBefore = lumiva::d3d9::UsedTextureMemory();

    KTextureRecord* first = Manager().LoadTexture("a\\Face.dds", nullptr, 0, 0, 0);
    KTextureRecord* second = Manager().LoadTexture("b/FACE.DDS", nullptr, 1, 0, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->refCount, 2);
    EXPECT_EQ(first->keep, 0) << "a hit keeps the record's own keep flag";
    EXPECT_EQ(Manager().GetLoadedCount(), 1u);

    KTextureRecord* found = Manager().FindTexture("\\portrait\\common\\face.dds");
    EXPECT_EQ(found, first);
    EXPECT_EQ(first->refCount, 3);
    EXPECT_EQ(Manager().FindTexture("\\Portrait\\common\\face.dds"), nullptr) << "lookups are by exact name";

    EXPECT_TRUE(Manager().ReleaseTexture(first));
    EXPECT_TRUE(Manager().ReleaseTexture(first));
    EXPECT_EQ(first->refCount, 1);
    EXPECT_EQ(Manager().GetLoadedCount(), 1u);
    EXPECT_TRUE(Manager().ReleaseTexture(first));

    EXPECT_EQ(Manager().FindTexture("\\portrait\\common\\face.dds"), nullptr);
    EXPECT_EQ(Manager().GetLoadedCount(), 0u);
    EXPECT_EQ(Manager().GetTotalBytes(), 0u);
    EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), usedBefore);
    EXPECT_FALSE(Manager().ReleaseTexture(nullptr));
}

TEST_F(TextureManagerTest, ReferenceCountStopsAtItsLimitInsteadOfWrapping) {
    CreateDevice();
    WriteDataFile("\\portrait\\common\\face.dds", FlatDds(0xFF00FF00, 8, 8));
    KTextureRecord* record = Manager().LoadTexture("a\\face.dds", nullptr, 0, 0, 0);
    ASSERT_NE(record, nullptr);
    record->refCount = UINT16_MAX - 1;
    EXPECT_EQ(Manager().LoadTexture("a\\face.dds", nullptr, 0, 0, 0), record);
    EXPECT_EQ(record->refCount, UINT16_MAX);
    EXPECT_EQ(Manager().LoadTexture("a\\face.dds", nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(Manager().FindTexture(record->name), nullptr);
    EXPECT_EQ(record->refCount, UINT16_MAX);
    EXPECT_EQ(Manager().FindTexture(record->name), nullptr);
    EXPECT_TRUE(Manager().ReleaseTexture(record));
    EXPECT_EQ(Manager().FindTexture(record->name), record);
}

TEST_F(TextureManagerTest, MissingFileLeavesAnUnloadedRecordThatRetriesOnSetTexture) {
    CreateDevice();
    KTextureRecord* record = Manager().LoadTexture("\\effects\\late.dds", nullptr, 0, 1, 0);
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->loaded);
    EXPECT_EQ(record->texture, nullptr);
    EXPECT_FALSE(Manager().SetTexture(0, record, 0));

    WriteDataFile("\\effects\\late.dds", FlatDds(0xFFFF0000, 8, 8));
    EXPECT_TRUE(Manager().SetTexture(0, record, 0));
    ASSERT_TRUE(record->loaded);
    EXPECT_EQ(FirstTexel(record->texture), 0xFFFF0000u);
}

TEST_F(TextureManagerTest, UnreadableImageLeavesTheRecordWithoutTexture) {
    CreateDevice();
    WriteDataFile("\\effects\\bad.dds", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
    WriteDataFile("\\effects\\empty.dds", {});
    for (const char* name : {"\\effects\\bad.dds", "\\effects\\empty.dds"}) {
        SCOPED_TRACE(name);
        KTextureRecord* record = Manager().LoadTexture(name, nullptr, 0, 1, 0);
        ASSERT_NE(record, nullptr);
        EXPECT_FALSE(record->loaded);
        EXPECT_EQ(record->texture, nullptr);
        EXPECT_TRUE(record->fileData.empty());
        EXPECT_FALSE(Manager().SetTexture(0, record, 0));
    }
    EXPECT_EQ(Manager().GetLoadedCount(), 0u);
}

TEST_F(TextureManagerTest, SetTextureBindsTheRecordsTextureOrClearsTheStage) {
    CreateDevice();
    WriteDataFile("\\effects\\beam.dds", FlatDds(0xFF0000FF, 8, 8));
    KTextureRecord* record = Manager().LoadTexture("\\effects\\beam.dds", nullptr, 0, 1, 0);
    ASSERT_NE(record, nullptr);
    lumiva::d3d9::EnableRecording(true);
    EXPECT_TRUE(Manager().SetTexture(2, record, 12345));
    EXPECT_TRUE(Manager().SetTexture(1, nullptr, 0));
    auto calls = lumiva::d3d9::RecordedCallsNamed("SetTexture");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].args, (std::vector<uint64_t>{2, reinterpret_cast<uintptr_t>(record->texture)}));
    EXPECT_EQ(calls[1].args, (std::vector<uint64_t>{1, 0}));

    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(m_device->GetTexture(2, &bound), D3D_OK);
    EXPECT_EQ(bound, record->texture);
    if (bound) bound->Release();
}

TEST_F(TextureManagerTest, LoadRequestsAndSetTextureStampTheLastUse) {
    CreateDevice();
    WriteDataFile("\\effects\\beam.dds", FlatDds(0xFF0000FF, 8, 8));
    KTextureRecord* record = Manager().LoadTexture("\\effects\\beam.dds", nullptr, 0, 1, 0);
    EXPECT_EQ(record->lastUse, kClockStartMs);
    lumiva::win32::AdvanceClock(250);
    Manager().SetTexture(0, record, 0);
    EXPECT_EQ(record->lastUse, kClockStartMs + 250);
    lumiva::win32::AdvanceClock(250);
    Manager().LoadTexture("\\effects\\beam.dds", nullptr, 0, 1, 0);
    EXPECT_EQ(record->lastUse, kClockStartMs + 500);
}

TEST_F(TextureManagerTest, GettersReportOneFrameOfTheLoadedSize) {
    CreateDevice();
    WriteDataFile("\\effects\\wide.dds", FlatDds(0xFF0000FF, 16, 4));
    KTextureRecord* record = Manager().LoadTexture("\\effects\\wide.dds", nullptr, 0, 1, 0);
    int32_t kind = -1, width = 0, height = 0, frames = 0;
    DWORD cycle = 99;
    EXPECT_TRUE(Manager().GetTextureFormat(record, &kind));
    EXPECT_EQ(kind, kTextureKindA8R8G8B8);
    EXPECT_TRUE(Manager().GetTextureSize(record, &width, &height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 4);
    EXPECT_TRUE(Manager().GetFrameCount(record, &frames));
    EXPECT_EQ(frames, 1);
    EXPECT_FALSE(Manager().GetCycleTime(record, &cycle));
    EXPECT_EQ(cycle, 0u);

    EXPECT_FALSE(Manager().GetTextureFormat(nullptr, &kind));
    EXPECT_FALSE(Manager().GetTextureSize(nullptr, &width, &height));
    EXPECT_FALSE(Manager().GetFrameCount(nullptr, &frames));
    EXPECT_EQ(frames, 0);
}

TEST_F(TextureManagerTest, OnlyKeptRecordsLock) {
    CreateDevice();
    WriteDataFile("\\effects\\beam.dds", FlatDds(0xFF0000FF, 8, 8));
    WriteDataFile("\\effects\\kept.dds", FlatDds(0xFFFF0000, 8, 8));
    KTextureRecord* plain = Manager().LoadTexture("\\effects\\beam.dds", nullptr, 0, 1, 0);
    KTextureRecord* kept = Manager().LoadTexture("\\effects\\kept.dds", nullptr, 1, 1, 0);
    void* bits = nullptr;
    int32_t pitch = 0;
    EXPECT_FALSE(Manager().LockTexture(plain, 1, &bits, &pitch, 0));
    EXPECT_FALSE(Manager().UnlockTexture(plain, 0));

    lumiva::d3d9::EnableRecording(true);
    ASSERT_TRUE(Manager().LockTexture(kept, 1, &bits, &pitch, 0));
    EXPECT_EQ(pitch, 8 * 4);
    uint32_t texel = 0;
    std::memcpy(&texel, bits, 4);
    EXPECT_EQ(texel, 0xFFFF0000u);
    EXPECT_TRUE(Manager().UnlockTexture(kept, 0));
    auto locks = lumiva::d3d9::RecordedCallsNamed("Texture::LockRect");
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0].args.back(), uint64_t(D3DLOCK_READONLY));

    EXPECT_FALSE(Manager().LockTexture(kept, 0, &bits, &pitch, 5)) << "no such level";
    EXPECT_FALSE(Manager().UnlockTexture(kept, 0)) << "nothing locked";
}

TEST_F(TextureManagerTest, ReleaseAllDeletesEveryRecordAndForgetsTheDevice) {
    CreateDevice();
    WriteDataFile("\\effects\\beam.dds", FlatDds(0xFF0000FF, 8, 8));
    uint64_t usedBefore = lumiva::d3d9::UsedTextureMemory();
    Manager().LoadTexture("\\effects\\beam.dds", nullptr, 0, 1, 0);
    Manager().LoadTexture("\\effects\\missing.dds", nullptr, 0, 1, 0);
    ASSERT_NE(Manager().CreateEmptyTexture(0, 8, 8), nullptr);
    Manager().ReleaseAll();
    EXPECT_EQ(Manager().GetDevice(), nullptr);
    EXPECT_EQ(Manager().GetLoadedCount(), 0u);
    EXPECT_EQ(Manager().GetTotalBytes(), 0u);
    EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), usedBefore);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
    EXPECT_EQ(Manager().LoadTexture("\\effects\\beam.dds", nullptr, 0, 1, 0), nullptr);

    ASSERT_TRUE(Manager().Init(m_device, 1, 0));
    EXPECT_EQ(Manager().FindTexture("\\effects\\beam.dds"), nullptr);
}

TEST_F(TextureManagerTest, InitTakesTheFormatAndIgnoresANullDevice) {
    EXPECT_TRUE(Manager().Init(nullptr, 0, 1));
    EXPECT_EQ(Manager().GetDevice(), nullptr);
    EXPECT_EQ(Manager().GetFormat(), D3DFMT_A8R8G8B8);
    CreateDevice();
    EXPECT_TRUE(Manager().Init(m_device, 0, 0));
    EXPECT_EQ(Manager().GetFormat(), D3DFMT_DXT5);
    EXPECT_TRUE(Manager().Init(m_device, 1, 0));
    EXPECT_EQ(Manager().GetFormat(), D3DFMT_A8R8G8B8);
}

}  // namespace
}  // namespace texmgr_test
