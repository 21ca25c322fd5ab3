// Packed region caches: loading, bounds, blobs in order, memory files, and
// the reader's choice between the pack and the loose file.
#include <gtest/gtest.h>

#include <memory>

#include "RegionFixture.h"
#include "place/RegionPack.h"
#include "place/RegionReader.h"

namespace place_test {
namespace {

class PackTest : public RegionTest {
protected:
    KRegionPack* Load(const RegionPackFields& fields) {
        WriteFile(RegionPackPath(kMapFolder), WriteRegionPack(fields));
        return LoadRegionPack(RegionPackPath(kMapFolder).c_str());
    }
    static std::vector<uint8_t> Bytes(KDataFile& file) {
        std::vector<uint8_t> bytes(file.Size());
        file.Seek(0, 0);
        EXPECT_EQ(file.Read(bytes.data(), uint32_t(bytes.size())), bytes.size());
        return bytes;
    }
};

TEST_F(PackTest, BlobsComeBackForTheirRegionsInColumnOrder) {
    RegionPackFields fields{20, 21, 30, 32, {}, {}};
    fields.blobs[{20, 30}] = {1};
    fields.blobs[{20, 32}] = {2, 2};
    fields.blobs[{21, 30}] = {3, 3, 3};
    fields.blobs[{21, 31}] = {4, 4, 4, 4};
    const std::vector<uint8_t> file = WriteRegionPack(fields);
    // Sizes x-major: (20,30) (20,31) (20,32) (21,30) (21,31) (21,32).
    ASSERT_EQ(file.size(), 8u + 24 + 10);
    EXPECT_EQ(file[8 + 4 * 2], 2);
    EXPECT_EQ(file[8 + 4 * 3], 3);
    EXPECT_EQ(file[32], 1);
    EXPECT_EQ(file[33], 2);

    KRegionPack* pack = Load(fields);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(pack->XMin(), 20);
    EXPECT_EQ(pack->YMax(), 32);
    for (const auto& [key, blob] : fields.blobs) {
        std::unique_ptr<KMemFile> memory(pack->OpenRegion(key.first, key.second));
        ASSERT_NE(memory, nullptr);
        EXPECT_EQ(Bytes(*memory), blob);
    }
    std::unique_ptr<KMemFile> none(pack->OpenRegion(20, 31));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->Size(), 0u);
    uint8_t byte = 7;
    EXPECT_EQ(none->Read(&byte, 1), 0u);
    for (auto [rx, ry] : {std::pair{19, 30}, {22, 30}, {20, 29}, {20, 33}, {-20, -30}})
        EXPECT_EQ(pack->OpenRegion(rx, ry), nullptr) << rx << "," << ry;
    EXPECT_EQ(pack->RefCount(), 2);
    none.reset();
    EXPECT_EQ(pack->RefCount(), 1);
    pack->Release();
}

TEST_F(PackTest, BadPacksGiveNoPackAndOneLogLine) {
    RegionPackFields sound{10, 11, 10, 10, {{{10, 10}, {1, 2, 3}}}, {}};
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    for (auto [xMin, xMax, yMin, yMax] : {std::array<uint16_t, 4>{9, 10, 10, 10}, {10, 191, 10, 10},
                                         {10, 10, 0, 10}, {12, 11, 10, 10}, {10, 10, 190, 189}}) {
        RegionPackFields f{xMin, xMax, yMin, yMax, {}, {}};
        cases.push_back({"bounds", WriteRegionPack(f)});
    }
    cases.push_back({"no bounds", {10, 0, 11, 0}});
    std::vector<uint8_t> cut = WriteRegionPack(sound);
    cut.resize(12);
    cases.push_back({"size table cut", cut});
    RegionPackFields oversized = sound;
    oversized.sizes[{11, 10}] = 0xFFFFFFFF;  // the sum passes 32 bits
    cases.push_back({"sizes past the end", WriteRegionPack(oversized)});
    std::vector<uint8_t> shortBlob = WriteRegionPack(sound);
    shortBlob.pop_back();
    cases.push_back({"short blob", shortBlob});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(RegionPackPath(kMapFolder), c.bytes);
        EXPECT_EQ(LoadRegionPack(RegionPackPath(kMapFolder).c_str()), nullptr);
        EXPECT_EQ(SceneLog().size(), 1u);
    }
    // Without a pack every region reads its loose file.
    WriteRegion(10, 10, RegionFileFields{FilledGrid(4), std::nullopt, std::nullopt});
    InstallRegionPack(LoadRegionPack(RegionPackPath(kMapFolder).c_str()));
    EXPECT_FALSE(HasRegionPack());
    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 10));
    EXPECT_EQ(region.workingGrid[0], 4u);
    SceneLog();
    EXPECT_EQ(LoadRegionPack("\\Maps\\absent_c.dat"), nullptr);
    EXPECT_EQ(LoadRegionPack(nullptr), nullptr);
    EXPECT_TRUE(SceneLog().empty());  // a map without a pack is no fault
}

TEST_F(PackTest, MemoryFilesSeekWithinTheirBlob) {
    RegionPackFields fields{10, 10, 10, 10, {{{10, 10}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}}, {}};
    KRegionPack* pack = Load(fields);
    ASSERT_NE(pack, nullptr);
    std::unique_ptr<KMemFile> file(pack->OpenRegion(10, 10));
    struct Step {
        int32_t offset;
        int origin;
        uint32_t position;
    };
    const Step steps[] = {{-5, 0, 0}, {10, 2, 12}, {-4, 1, 8}, {3, 0, 3}, {2, 1, 5},
                          {-20, 2, 0}, {INT32_MAX, 1, 12}, {INT32_MIN, 1, 0}, {6, 0, 6}, {1, 7, 6}};
    for (const Step& s : steps) {
        EXPECT_EQ(file->Seek(s.offset, s.origin), s.position) << s.offset << " from " << s.origin;
        EXPECT_EQ(file->Tell(), s.position);
    }
    uint8_t bytes[10] = {};
    EXPECT_EQ(file->Read(bytes, 4), 4u);
    EXPECT_EQ(bytes[0], 6);
    EXPECT_EQ(file->Read(bytes, 10), 2u);
    EXPECT_EQ(bytes[1], 11);
    EXPECT_EQ(file->Read(bytes, 10), 0u);
    EXPECT_EQ(file->Read(nullptr, 10), 0u);
    file->Seek(0, 0);
    EXPECT_EQ(file->Read(bytes, 0), 0u);
    EXPECT_EQ(file->Tell(), 0u);
    pack->Release();
}

TEST_F(PackTest, ThePackLivesWhileAMemoryFileHoldsIt) {
    RegionPackFields fields{10, 10, 10, 10, {{{10, 10}, {5, 6, 7}}}, {}};
    KRegionPack* pack = Load(fields);
    ASSERT_NE(pack, nullptr);
    InstallRegionPack(pack);
    EXPECT_TRUE(HasRegionPack());
    std::unique_ptr<KMemFile> file(OpenRegionData(10, 10));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(pack->RefCount(), 2);
    EXPECT_EQ(OpenRegionData(11, 10), nullptr);
    ReleaseRegionPack();
    EXPECT_FALSE(HasRegionPack());
    EXPECT_EQ(pack->RefCount(), 1);
    EXPECT_EQ(Bytes(*file), (std::vector<uint8_t>{5, 6, 7}));
    file.reset();  // the last reference: ASan would see a leak or a reuse
    EXPECT_EQ(OpenRegionData(10, 10), nullptr);
}

TEST_F(PackTest, InstallingAPackReleasesTheOldOne) {
    KRegionPack* first = Load({10, 10, 10, 10, {{{10, 10}, {1}}}, {}});
    KRegionPack* second = Load({10, 10, 10, 10, {{{10, 10}, {2}}}, {}});
    ASSERT_TRUE(first && second);
    InstallRegionPack(first);
    std::unique_ptr<KMemFile> old(OpenRegionData(10, 10));
    InstallRegionPack(second);
    std::unique_ptr<KMemFile> now(OpenRegionData(10, 10));
    EXPECT_EQ(Bytes(*old), std::vector<uint8_t>{1});
    EXPECT_EQ(Bytes(*now), std::vector<uint8_t>{2});
    EXPECT_EQ(first->RefCount(), 1);
}

// Inside the bounds the pack answers, even with an empty blob; outside
// them the loose file does.
TEST_F(PackTest, TheReaderPrefersThePackInsideItsBounds) {
    WriteRegion(10, 10, RegionFileFields{FilledGrid(1), std::nullopt, std::nullopt});
    WriteRegion(11, 10, RegionFileFields{FilledGrid(1), std::nullopt, std::nullopt});
    WriteRegion(12, 10, RegionFileFields{FilledGrid(1), std::nullopt, std::nullopt});
    RegionPackFields fields{10, 11, 10, 10, {}, {}};
    fields.blobs[{10, 10}] = BuildRegionFile({FilledGrid(2), std::nullopt, std::nullopt});
    InstallRegionPack(Load(fields));
    ASSERT_TRUE(HasRegionPack());
    KSceneRegion packed, empty, loose;
    ASSERT_TRUE(Read(packed, 10, 10));
    ASSERT_TRUE(Read(empty, 11, 10));
    ASSERT_TRUE(Read(loose, 12, 10));
    EXPECT_EQ(packed.workingGrid[0], 2u);
    EXPECT_EQ(empty.workingGrid[0], 0u);  // no sections
    EXPECT_FALSE(empty.gridFromFile);
    EXPECT_EQ(loose.workingGrid[0], 1u);
    const std::vector<std::string> log = SceneLog();
    ASSERT_EQ(log.size(), 1u);  // the empty blob has no table
    EXPECT_NE(log[0].find("(packed)"), std::string::npos) << log[0];
}

}  // namespace
}  // namespace place_test
