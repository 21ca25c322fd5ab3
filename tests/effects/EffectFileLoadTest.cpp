// Loading effect files written by the A3eWriter: the version rules, element
// records and what their file names bring, key tracks, refusals of bad
// input, and the shell's ReadEffectHeader.
#include <gtest/gtest.h>

#include <cstring>

#include "effects/EffectFileFixture.h"
#include "scene/KFrameTimer.h"
#include "scene/KModelProxy.h"
#include "scene/ModelShellSlots.h"

namespace effect_file_test {
namespace {

struct VersionCase {
    uint32_t version;
    D3DXVECTOR3 scale;
    int additive;
    int extra;
};

TEST_F(EffectFileTest, EachVersionTakesTheHeaderFieldsItCarries) {
    const VersionCase cases[] = {
        {0, {1, 1, 1}, 0, 0}, {1, {1, 1, 1}, 0, 0}, {2, {1, 1, 1}, 0, 0}, {3, {1, 1, 1}, 0, 0},
        {4, {2, 3, 4}, 0, 0}, {5, {2, 3, 4}, 7, 0}, {6, {2, 3, 4}, 7, 9},
    };
    for (const VersionCase& c : cases) {
        a3e::File file = FileOfTypes({1, 2}, c.version);
        file.duration = 1234;
        file.spinSpeed = 1.5f;
        file.scale = {2, 3, 4};
        file.additive = 7;
        file.extraValue = 9;
        file.tracks[1] = BusyTracks();
        WriteEffect("fx/v.a3e", file);
        int result = 0;
        auto set = Load("\\fx\\v.a3e", &result);
        ASSERT_EQ(result, 1) << "version " << c.version;
        EXPECT_EQ(set->Name(), "\\fx\\v.a3e");
        EXPECT_EQ(set->Duration(), 1234);
        EXPECT_EQ(set->SpinSpeed(), 1.5f);
        EXPECT_EQ(set->Scale(), c.scale) << "version " << c.version;
        EXPECT_EQ(set->GetAdditiveBlend(), c.additive) << "version " << c.version;
        EXPECT_EQ(set->GetExtraValue(), c.extra) << "version " << c.version;
        ASSERT_EQ(set->ElementCount(), 2);
        ASSERT_EQ(set->TracksCount(), 2);
        EXPECT_EQ(set->GetElementTracks(1)->GetColorKeyCount(nullptr), 2);
    }
}

TEST_F(EffectFileTest, ElementRecordsLoadFieldByField) {
    a3e::File file;
    a3e::Element e;
    e.type = 4;
    e.brightness = -20;
    e.name = "ring";
    e.pivot = {1.5f, -2, 3};
    e.dimension = {10, 20, 30};
    e.segments = {16, -3};
    e.mappingMode = 4;
    e.animSpeed = -1.0f;
    e.frameOffset = 5;
    file.elements = {e};
    file.tracks.emplace_back();
    WriteEffect("fx/r.a3e", file);
    int result = 0;
    auto set = Load("fx\\r.a3e", &result);
    ASSERT_EQ(result, 1);
    K3DEffectElement* element = set->GetElement(0);
    ASSERT_NE(element, nullptr);
    const K3DEffectElementRecord& r = element->record;
    EXPECT_EQ(r.type, 4);
    EXPECT_EQ(r.brightness, -20);
    EXPECT_STREQ(r.name, "ring");
    EXPECT_EQ(element->Pivot(), D3DXVECTOR3(1.5f, -2, 3));
    EXPECT_EQ(r.dimension[2], 30.0f);
    EXPECT_EQ(r.segments[0], 16);
    EXPECT_EQ(r.segments[1], -3);
    EXPECT_EQ(r.mappingMode, 4);
    EXPECT_EQ(r.animSpeed, -1.0f);
    EXPECT_EQ(r.frameOffset, 5);
    EXPECT_EQ(element->FrameTimer(), nullptr);  // no file name, nothing looked up
}

TEST_F(EffectFileTest, EveryLoadDrawsNewSerialIds) {
    WriteEffect("fx/a.a3e", FileOfTypes({1, 2, 5}));
    auto first = Load("fx\\a.a3e");
    auto second = Load("fx\\a.a3e");
    ASSERT_EQ(first->ElementCount(), 3);
    ASSERT_EQ(second->ElementCount(), 3);
    EXPECT_EQ(first->GetElement(0)->Id(), 1u);
    EXPECT_EQ(first->GetElement(2)->Id(), 3u);
    EXPECT_EQ(second->GetElement(0)->Id(), 4u);
}

TEST_F(EffectFileTest, NoElementsLoadsAnEmptySet) {
    a3e::File file;
    file.duration = 50;
    WriteEffect("fx/empty.a3e", file);
    int result = 0;
    auto set = Load("fx\\empty.a3e", &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(set->ElementCount(), 0);
    EXPECT_EQ(set->TracksCount(), 0);
    EXPECT_EQ(set->Duration(), 50);
}

TEST_F(EffectFileTest, AnEmptyTrackIsFollowedDirectlyByTheNext) {
    a3e::File file = FileOfTypes({1, 1});
    file.tracks[0].position = {{{1, 2, 3}, 10}};
    // rotation and colour empty: the scale keys come right after position's
    file.tracks[0].scale = {{{4, 5, 6}, 20}, {{7, 8, 9}, 30}};
    file.tracks[1].offset = {{{0, 0, 1}, 40}};
    WriteEffect("fx/gap.a3e", file);
    int result = 0;
    auto set = Load("fx\\gap.a3e", &result);
    ASSERT_EQ(result, 1);
    K3DEffectKeyTracks* a = set->GetElementTracks(0);
    K3DEffectKeyTracks* b = set->GetElementTracks(1);
    EXPECT_EQ(a->GetRotationKeyCount(nullptr), 0);
    D3DXVECTOR3 v;
    int time = 0;
    ASSERT_TRUE(a->GetScaleKey(1, &v, &time));
    EXPECT_EQ(v, D3DXVECTOR3(7, 8, 9));
    EXPECT_EQ(time, 30);
    ASSERT_TRUE(b->GetOffsetKey(0, &v, &time));
    EXPECT_EQ(v, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(time, 40);
}

TEST_F(EffectFileTest, NamesAreReadAsTerminatedAtTheirLastByte) {
    a3e::File file = FileOfTypes({2});
    file.elements[0].name = std::string(40, 'n');
    file.elements[0].fileName = std::string(70, 'f');
    WriteEffect("fx/long.a3e", file);
    auto set = Load("fx\\long.a3e");
    ASSERT_EQ(set->ElementCount(), 1);
    std::string name, fileName;
    set->GetElement(0)->GetName(&name);
    set->GetElement(0)->GetFileName(&fileName);
    EXPECT_EQ(name, std::string(31, 'n'));
    EXPECT_EQ(fileName, std::string(63, 'f'));
}

TEST_F(EffectFileTest, UnknownElementTypesLoad) {
    WriteEffect("fx/odd.a3e", FileOfTypes({0, 7, 255}));
    int result = 0;
    auto set = Load("fx\\odd.a3e", &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(set->ElementCount(), 3);
    EXPECT_EQ(set->GetElement(2)->Type(), 255);
}

TEST_F(EffectFileTest, APictureElementGetsAFrameTimerFromItsPicture) {
    MakeCreatedShell();
    WriteSprite("fx/spark.spr", 3, 80);
    a3e::File file = FileOfTypes({1, 5});
    file.elements[0].fileName = "\\fx\\spark.spr";
    file.elements[1].fileName = "\\fx\\missing.spr";
    WriteEffect("fx/p.a3e", file);
    int result = 0;
    auto set = Load("fx\\p.a3e", &result);
    ASSERT_EQ(result, 1);
    const KFrameTimer* timer = set->GetElement(0)->FrameTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->frameCount, 3);
    EXPECT_EQ(timer->frameInterval, 80);
    EXPECT_NE(timer->pictureId, 0u);
    // A picture that cannot be found still loads, without a timer.
    EXPECT_EQ(set->GetElement(1)->FrameTimer(), nullptr);
}

TEST_F(EffectFileTest, AModelElementLoadsItsModelFilesThroughTheHandle) {
    UseFakeModels();
    a3e::File file = FileOfTypes({6});
    file.elements[0].fileName = "models\\orb";
    models.meshResult = E_FAIL;  // results are not examined while loading
    WriteEffect("fx/m.a3e", file);
    {
        int result = 0;
        auto set = Load("fx\\m.a3e", &result);
        ASSERT_EQ(result, 1);
        EXPECT_NE(set->GetElement(0)->Model(), nullptr);
        EXPECT_EQ(models.calls, (std::vector<std::string>{"Create", "SetMesh models\\orb.Mesh",
                                                          "InitMesh models\\orb.Mesh", "SetMaterial models\\orb.Mtl",
                                                          "InitMaterial models\\orb.Mtl",
                                                          "PlayAnimation models\\orb.Ani 0 1"}));
        EXPECT_STREQ(models.playedName, "models\\orb.Ani");
    }
    // The set's end gives the handle back (and its model with it).
    EXPECT_EQ(models.calls.back(), "Release");
    EXPECT_EQ(models.Live(), 0);
}

TEST_F(EffectFileTest, AModelElementWithMissingFilesKeepsAnEmptyHandle) {
    // No stand-in: the shell's own CreateModel and the handle.
    MakeCreatedShell();
    a3e::File file = FileOfTypes({6});
    file.elements[0].fileName = "orb";
    WriteEffect("fx/m.a3e", file);
    int result = 0;
    {
        auto set = Load("fx\\m.a3e", &result);
        EXPECT_EQ(result, 1);
        KModelProxy* model = set->GetElement(0)->Model();
        ASSERT_NE(model, nullptr);
        EXPECT_FALSE(model->HasMesh());
        EXPECT_EQ(g_LiveModels, 1);
    }
    EXPECT_EQ(g_LiveModels, 0);
}

struct BadFile {
    const char* what;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Bytes(const a3e::File& file) { return a3e::WriteA3e(file); }

std::vector<BadFile> BadFiles() {
    a3e::File good = FileOfTypes({1, 3});
    good.tracks[0] = BusyTracks();
    good.tracks[1] = BusyTracks(7);
    const std::vector<uint8_t> whole = Bytes(good);
    std::vector<BadFile> bad;
    bad.push_back({"no bytes", {}});
    bad.push_back({"short header", std::vector<uint8_t>(whole.begin(), whole.begin() + 255)});
    a3e::File magic = good;
    magic.magic = 0x65643362;
    bad.push_back({"wrong magic", Bytes(magic)});
    for (uint32_t version : {7u, 8u, 0xFFFFFFFFu}) {
        a3e::File v = good;
        v.version = version;
        bad.push_back({"version past 6", Bytes(v)});
    }
    a3e::File many = good;
    many.elementCount = 3;
    bad.push_back({"more records than the file holds", Bytes(many)});
    many.elementCount = 0xFFFFFFFF;
    bad.push_back({"an element count that wraps 32 bits", Bytes(many)});
    a3e::File counts = good;
    counts.tracks[1].countOverride[a3e::kColor] = 3;
    bad.push_back({"a key count past the bytes left", Bytes(counts)});
    counts.tracks[1].countOverride[a3e::kColor] = 0x40000000;
    bad.push_back({"a key count that overflows 32-bit sizes", Bytes(counts)});
    for (size_t cut : {size_t(256 + 144), size_t(256 + 2 * 144 + 10), whole.size() - 30, whole.size() - 1})
        bad.push_back({"cut", std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(cut))});
    return bad;
}

TEST_F(EffectFileTest, BadFilesAreRefused) {
    for (const BadFile& bad : BadFiles()) {
        WriteDataFile("fx/bad.a3e", bad.bytes);
        int result = 1;
        auto set = Load("fx\\bad.a3e", &result);
        EXPECT_EQ(result, 0) << bad.what << " (" << bad.bytes.size() << " bytes)";
        // Whatever came in before the refusal is the set's to delete.
        EXPECT_LE(set->TracksCount(), set->ElementCount()) << bad.what;
    }
    int result = 1;
    Load("fx\\absent.a3e", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(LoadEffectSet(nullptr, "fx\\bad.a3e"), 0);
    K3DEffectSet set;
    EXPECT_EQ(LoadEffectSet(&set, nullptr), 0);
}

TEST_F(EffectFileTest, ReadEffectHeaderGivesTheDurationWithoutExaminingMore) {
    KDrawShell* shell = MakeCreatedShell();
    a3e::File file = FileOfTypes({1});
    file.duration = 2500;
    file.magic = 0;  // neither magic nor version is examined
    file.version = 99;
    WriteEffect("fx/h.a3e", file);
    std::vector<uint8_t> header = a3e::WriteA3e(file);
    header.resize(256);
    WriteDataFile("fx/header-only.a3e", header);
    header.resize(255);
    WriteDataFile("fx/short.a3e", header);
    EXPECT_EQ(shell->ReadEffectHeader("fx\\h.a3e"), 2500u);
    EXPECT_EQ(shell->ReadEffectHeader("\\FX\\HEADER-ONLY.A3E"), 2500u);
    EXPECT_EQ(shell->ReadEffectHeader("fx\\short.a3e"), 0u);
    EXPECT_EQ(shell->ReadEffectHeader("fx\\missing.a3e"), 0u);
    EXPECT_EQ(shell->ReadEffectHeader(nullptr), 0u);
}

}  // namespace
}  // namespace effect_file_test
