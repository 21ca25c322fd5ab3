// Saving effect sets: the bytes written, the old file kept whole on any
// failure, refusals of sets whose lists are out of step, and saving a time
// range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "effects/EffectFileFixture.h"
#include "effects/ReplacingFile.h"
#include "win32/Control.h"

namespace effect_file_test {
namespace {

std::vector<uint8_t> ToBytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// The file names in a data-root folder.
std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

a3e::File VersionThreeFile() {
    a3e::File file = FileOfTypes({1, 4, 3}, 3);
    file.duration = 1500;
    file.spinSpeed = 0.25f;
    file.scale = {5, 6, 7};  // a version-3 reader ignores these three
    file.additive = 1;
    file.extraValue = 1;
    file.elements[0].fileName = "pic.spr";
    file.elements[0].brightness = -3;
    file.elements[0].reserved = 0x0102;
    file.elements[1].segments = {12, 0};
    file.elements[1].mappingMode = 4;
    file.tracks[0] = BusyTracks();
    file.tracks[2] = BusyTracks(100);
    return file;
}

TEST_F(EffectFileTest, SavingALoadedVersionThreeFileWritesItAtVersionSix) {
    const a3e::File file = VersionThreeFile();
    WriteEffect("fx/old.a3e", file);
    int result = 0;
    auto set = Load("fx\\old.a3e", &result);
    ASSERT_EQ(result, 1);
    ASSERT_EQ(SaveEffectSet("fx\\new.a3e", set.get()), 1);
    a3e::File expected = file;
    expected.version = 6;
    expected.scale = {1, 1, 1};
    expected.additive = 0;
    expected.extraValue = 0;
    EXPECT_EQ(ToBytes(ReadDataFile("fx/new.a3e")), a3e::WriteA3e(expected));
}

TEST_F(EffectFileTest, ASavedSetLoadsBackEqual) {
    K3DEffectSet set;
    K3DEffectElement* element = nullptr;
    K3DEffectKeyTracks* tracks = nullptr;
    set.AddElement(&element, &tracks, 3);
    element->SetName("dome");
    element->SetSegments(1, 4);
    element->SetSegments(2, 6);
    tracks->AddColorKey(0x11223344, 10);
    tracks->AddOffsetKey(1, 2, 3, 20);
    set.AddElement(&element, &tracks, 2);
    set.SetDuration(700);
    set.SetScale(D3DXVECTOR3(2, 2, 2));
    set.SetExtraValue(3);
    ASSERT_TRUE(set.SaveToFile("fx\\round.a3e"));
    int result = 0;
    auto loaded = Load("fx\\round.a3e", &result);
    ASSERT_EQ(result, 1);
    ASSERT_EQ(loaded->ElementCount(), 2);
    EXPECT_EQ(loaded->Scale(), D3DXVECTOR3(2, 2, 2));
    EXPECT_EQ(loaded->GetExtraValue(), 3);
    EXPECT_EQ(std::memcmp(&loaded->GetElement(0)->record, &set.GetElement(0)->record, sizeof(K3DEffectElementRecord)), 0);
    EXPECT_TRUE(*loaded->GetElementTracks(0) == *set.GetElementTracks(0));
    EXPECT_TRUE(*loaded->GetElementTracks(1) == *set.GetElementTracks(1));
}

TEST_F(EffectFileTest, AFailedSaveLeavesTheOldFileWholeAndNoTemporary) {
    const a3e::File file = VersionThreeFile();
    WriteEffect("fx/keep.a3e", file);
    const std::string before = ReadDataFile("fx/keep.a3e");
    auto set = Load("fx\\keep.a3e");
    ASSERT_EQ(set->ElementCount(), 3);
    // Header, three records, then for each element six counts and a values
    // and times block a track with keys: the first, a middle and the last
    // write fail in turn, then the close, then the replacement.
    std::vector<replacing_file::InjectedFailures> failures;
    for (int at : {0, 1, 4, 10, 21, 45}) failures.push_back({at, false, false});
    failures.push_back({-1, true, false});
    failures.push_back({-1, false, true});
    for (const replacing_file::InjectedFailures& failure : failures) {
        replacing_file::InjectFailuresForTests(failure);
        EXPECT_EQ(SaveEffectSet("fx\\keep.a3e", set.get()), 0) << failure.shortWriteAt;
        EXPECT_EQ(ReadDataFile("fx/keep.a3e"), before) << failure.shortWriteAt;
        EXPECT_EQ(FolderNames(m_root + "/fx"), (std::vector<std::string>{"keep.a3e"})) << failure.shortWriteAt;
    }
    // 1 + 3 + (6 + 12) + 6 + (6 + 12) writes: failing past the last changes nothing.
    replacing_file::InjectFailuresForTests({46, false, false});
    EXPECT_EQ(SaveEffectSet("fx\\keep.a3e", set.get()), 1);
    EXPECT_NE(ReadDataFile("fx/keep.a3e"), before);
    EXPECT_EQ(FolderNames(m_root + "/fx"), (std::vector<std::string>{"keep.a3e"}));
}

TEST_F(EffectFileTest, ASaveThatCannotOpenItsFileWritesNothing) {
    K3DEffectSet set;
    set.AddElement(nullptr, nullptr, 1);
    WriteDataFile("fx/folder/inside.txt", std::string("x"));
    EXPECT_EQ(SaveEffectSet("fx\\folder", &set), 0);  // names a folder
    EXPECT_EQ(SaveEffectSet("\\..\\outside.a3e", &set), 0);
    EXPECT_EQ(SaveEffectSet(nullptr, &set), 0);
    EXPECT_EQ(SaveEffectSet("fx\\x.a3e", nullptr), 0);
    EXPECT_EQ(FolderNames(m_root + "/fx"), (std::vector<std::string>{"folder"}));
    // Missing folders are made.
    EXPECT_EQ(SaveEffectSet("fx\\new\\deep\\x.a3e", &set), 1);
    EXPECT_TRUE(DataFileExists("fx/new/deep/x.a3e"));
}

TEST_F(EffectFileTest, SetsWhoseListsAreOutOfStepAreNotSaved) {
    WriteDataFile("fx/keep.a3e", std::string("old"));
    // A load refused in the track blocks leaves more elements than tracks.
    a3e::File file = FileOfTypes({1, 2});
    file.tracks[1].countOverride[a3e::kPosition] = 5;
    WriteEffect("fx/cut.a3e", file);
    int result = 1;
    auto partial = Load("fx\\cut.a3e", &result);
    ASSERT_EQ(result, 0);
    ASSERT_EQ(partial->ElementCount(), 2);
    ASSERT_EQ(partial->TracksCount(), 1);
    EXPECT_EQ(SaveEffectSet("fx\\keep.a3e", partial.get()), 0);
    EXPECT_EQ(ReadDataFile("fx/keep.a3e"), "old");
    // Tracks whose values and times differ in length are refused as well.
    K3DEffectSet set;
    K3DEffectKeyTracks* tracks = nullptr;
    set.AddElement(nullptr, &tracks, 1);
    tracks->AddRotationKey(1.0f, 5);
    tracks->rotation.times.push_back(9);
    EXPECT_EQ(SaveEffectSet("fx\\keep.a3e", &set), 0);
    EXPECT_EQ(ReadDataFile("fx/keep.a3e"), "old");
    EXPECT_EQ(FolderNames(m_root + "/fx"), (std::vector<std::string>{"cut.a3e", "keep.a3e"}));
}

// A set of one element whose tracks have keys at 0, 400 and 1000 ms.
std::unique_ptr<K3DEffectSet> RangeSource() {
    auto set = std::make_unique<K3DEffectSet>();
    K3DEffectKeyTracks* tracks = nullptr;
    set->AddElement(nullptr, &tracks, 2);
    set->AddElement(nullptr, nullptr, 1);  // no keys at all
    set->SetDuration(1000);
    set->SetSpinSpeed(2.0f);
    set->SetAdditiveBlend(1);
    set->SetExtraValue(4);
    set->SetScale(D3DXVECTOR3(3, 3, 3));
    tracks->AddPositionKey(0, 0, 0, 0);
    tracks->AddPositionKey(40, 0, 0, 400);
    tracks->AddPositionKey(100, 0, 0, 1000);
    tracks->AddColorKey(0xFF000000, 0);
    tracks->AddColorKey(0xFF0000FF, 400);
    tracks->AddVisibleKey(0, 400);
    return set;
}

TEST_F(EffectFileTest, ASavedRangeStartsEveryTrackAtZeroAndEndsItAtItsLength) {
    auto source = RangeSource();
    lumiva::win32::EnableDebugOutput(false);
    ASSERT_TRUE(source->SaveRange("fx\\range.a3e", 200, 400));
    int result = 0;
    auto range = Load("fx\\range.a3e", &result);
    ASSERT_EQ(result, 1);
    EXPECT_EQ(range->Duration(), 200);
    EXPECT_EQ(range->SpinSpeed(), 2.0f);
    EXPECT_EQ(range->GetAdditiveBlend(), 1);
    EXPECT_EQ(range->GetExtraValue(), 4);
    EXPECT_EQ(range->Scale(), D3DXVECTOR3(1, 1, 1));  // the set's scale is not part of a range
    ASSERT_EQ(range->ElementCount(), 2);
    ASSERT_EQ(range->TracksCount(), 2);
    const K3DEffectKeyTracks& t = *range->GetElementTracks(0);
    // Sampled at 200, the key at 400 moved to 200, then sampled at 400
    // again: a source key at the end gives the track two equal last keys.
    EXPECT_EQ(t.position.times, (std::vector<int32_t>{0, 200, 200}));
    EXPECT_EQ(t.position.values,
              (std::vector<D3DXVECTOR3>{D3DXVECTOR3(20, 0, 0), D3DXVECTOR3(40, 0, 0), D3DXVECTOR3(40, 0, 0)}));
    EXPECT_EQ(t.color.values, (std::vector<DWORD>{0xFF00007F, 0xFF0000FF, 0xFF0000FF}));
    EXPECT_EQ(t.visible.values, (std::vector<int32_t>{1, 0, 0}));
    // Empty source tracks still begin and end with their defaults.
    const K3DEffectKeyTracks& empty = *range->GetElementTracks(1);
    EXPECT_EQ(empty.scale.times, (std::vector<int32_t>{0, 200}));
    EXPECT_EQ(empty.color.values, (std::vector<DWORD>{0xFFFFFFFF, 0xFFFFFFFF}));
    // Each copied colour key shows in the debugger output.
    EXPECT_EQ(lumiva::win32::RecordedDebugOutput(), (std::vector<std::string>{"0xFF0000FF\n"}));
    // The source keeps its elements and tracks.
    EXPECT_EQ(source->ElementCount(), 2);
    EXPECT_EQ(source->GetElementTracks(0)->GetPositionKeyCount(nullptr), 3);
}

TEST_F(EffectFileTest, TheWholeRangeBeginsAtZeroAndEndsAtTheDuration) {
    auto source = RangeSource();
    ASSERT_TRUE(source->SaveRange("fx\\all.a3e", 0, 1000));
    auto range = Load("fx\\all.a3e");
    ASSERT_EQ(range->TracksCount(), 2);
    for (int i = 0; i < range->TracksCount(); ++i) {
        range->GetElementTracks(i)->ForEachTrack([&](const auto& track) {
            ASSERT_GE(track.Count(), 2);
            EXPECT_EQ(track.times.front(), 0);
            EXPECT_EQ(track.times.back(), 1000);
        });
    }
}

TEST_F(EffectFileTest, RangesOutsideTheEffectOrEmptyAreRefused) {
    auto source = RangeSource();
    struct Case {
        int t0, t1;
    };
    for (const Case c : {Case{300, 300}, Case{400, 300}, Case{-1, 500}, Case{0, 1001}}) {
        EXPECT_FALSE(source->SaveRange("fx\\no.a3e", c.t0, c.t1)) << c.t0 << ".." << c.t1;
        EXPECT_FALSE(DataFileExists("fx/no.a3e"));
    }
    // A failing save of a range leaves the source whole too.
    replacing_file::InjectFailuresForTests({2, false, false});
    EXPECT_FALSE(source->SaveRange("fx\\no.a3e", 0, 100));
    EXPECT_EQ(source->ElementCount(), 2);
    EXPECT_FALSE(DataFileExists("fx/no.a3e"));
    K3DEffectSet destination;
    EXPECT_FALSE(CopyEffectRange(source.get(), 5, 5, &destination));
    EXPECT_EQ(destination.ElementCount(), 0);
}

TEST_F(EffectFileTest, ARangeOfASetMissingTracksGivesThoseElementsEmptyOnes) {
    a3e::File file = FileOfTypes({1, 2, 3});
    file.duration = 800;
    file.tracks[0] = BusyTracks();
    file.tracks[2].countOverride[a3e::kVisible] = 4;  // refused at the third block
    WriteEffect("fx/partial.a3e", file);
    int result = 1;
    auto source = Load("fx\\partial.a3e", &result);
    ASSERT_EQ(result, 0);
    ASSERT_EQ(source->TracksCount(), 2);
    K3DEffectSet range;
    ASSERT_TRUE(CopyEffectRange(source.get(), 100, 300, &range));
    EXPECT_EQ(range.GetElement(2), source->GetElement(2));  // shared, not copied
    ASSERT_EQ(range.TracksCount(), 3);
    EXPECT_TRUE(range.ListsInStep());
    EXPECT_TRUE(*range.GetElementTracks(2) == K3DEffectKeyTracks());
    EXPECT_EQ(range.GetElementTracks(1)->GetScaleKeyCount(nullptr), 2);
    range.ForgetSharedElements();
    // Saved, the range is whole where the source could not be.
    EXPECT_TRUE(source->SaveRange("fx\\part.a3e", 0, 800));
    EXPECT_EQ(source->SaveToFile("fx\\part-whole.a3e"), false);
    Load("fx\\part.a3e", &result);
    EXPECT_EQ(result, 1);
}

}  // namespace
}  // namespace effect_file_test
