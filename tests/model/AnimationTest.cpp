// Animation files and frame sampling: appended loads, track lookup, the
// refused files, and where a time falls in each play mode.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "AnimationFileWriter.h"
#include "ModelFixture.h"
#include "scene/KAnimation.h"

namespace model_test::animation_test {
namespace {

constexpr const char* kAnimationPath = "\\model\\hero.ani";

animfile::Track SkeletalTrack(const std::string& name, uint32_t bones, uint32_t frames) {
    animfile::Track track;
    track.type = animfile::kSkeletal;
    track.name = name;
    track.frameCount = frames;
    track.interval = 100.0f;
    for (uint32_t b = 0; b < bones; ++b) {
        track.boneNames.push_back("bone" + std::to_string(b));
        for (uint32_t f = 0; f < frames; ++f) track.matrices.push_back(animfile::Translation(float(f), float(b), 0));
    }
    return track;
}

animfile::Track VertexTrack(uint32_t type, const std::string& name, std::vector<uint32_t> vertices, uint32_t frames) {
    animfile::Track track;
    track.type = type;
    track.name = name;
    track.frameCount = frames;
    track.interval = 50.0f;
    track.vertices = std::move(vertices);
    for (size_t k = 0; k < track.vertices.size(); ++k)
        for (uint32_t f = 0; f < frames; ++f) track.keys.push_back({float(k), float(f), 1.0f});
    return track;
}

class AnimationTest : public ModelTest {
protected:
    HRESULT LoadTracks(std::vector<animfile::Track> tracks, const char* path = kAnimationPath) {
        animfile::File file;
        file.tracks = std::move(tracks);
        WriteModuleFile(path, animfile::Write(file));
        return animation.Load(path);
    }

    KAnimation animation;
};

TEST_F(AnimationTest, TracksOfEveryKindAreRead) {
    ASSERT_EQ(LoadTracks({SkeletalTrack("walk", 2, 3), VertexTrack(animfile::kVertexPositions, "wave", {4, 9}, 2),
                          VertexTrack(animfile::kVertexOffsets, "swell", {1}, 4)}),
              0);
    ASSERT_EQ(animation.trackCount, 3u);
    const KAnimTrack& walk = *animation.tracks[0];
    EXPECT_EQ(walk.type, kTrackSkeletal);
    EXPECT_STREQ(walk.name.data(), "walk");
    EXPECT_EQ(walk.boneCount, 2u);
    EXPECT_EQ(walk.frameCount, 3u);
    EXPECT_EQ(walk.frameInterval, 100.0f);
    EXPECT_STREQ(walk.boneNames[1].data(), "bone1");
    // Bone-major: bone 1 at frame 2 is number 5.
    EXPECT_EQ(walk.boneMatrices[5]._41, 2.0f);
    EXPECT_EQ(walk.boneMatrices[5]._42, 1.0f);

    const KAnimTrack& wave = *animation.tracks[1];
    EXPECT_EQ(wave.type, kTrackVertexPositions);
    EXPECT_EQ(wave.vertexIndices, (std::vector<DWORD>{4, 9}));
    // Vertex-major: vertex 1 at frame 1 is number 3.
    EXPECT_EQ(wave.vertexKeys[3], D3DXVECTOR3(1, 1, 1));
    EXPECT_EQ(animation.tracks[2]->type, kTrackVertexOffsets);
    EXPECT_EQ(animation.tracks[2]->frameCount, 4u);
}

TEST_F(AnimationTest, SecondFileAppendsAndTracksKeepTheirIndices) {
    ASSERT_EQ(LoadTracks({SkeletalTrack("walk", 1, 2), SkeletalTrack("run", 1, 2)}), 0);
    ASSERT_EQ(LoadTracks({SkeletalTrack("jump", 1, 2), SkeletalTrack("walk", 2, 2)}, "\\model\\more.ani"), 0);
    ASSERT_EQ(animation.trackCount, 4u);
    EXPECT_EQ(animation.FindTrack("walk"), 0);
    EXPECT_EQ(animation.FindTrack("run"), 1);
    EXPECT_EQ(animation.FindTrack("jump"), 2);
    EXPECT_EQ(animation.tracks[3]->boneCount, 2u);
    EXPECT_EQ(animation.FindTrack("Walk"), -1);
    EXPECT_EQ(animation.FindTrack(""), -1);
    EXPECT_EQ(animation.FindTrack(nullptr), -1);
    animation.Clear();
    EXPECT_EQ(animation.trackCount, 0u);
    EXPECT_EQ(animation.FindTrack("walk"), -1);
}

TEST_F(AnimationTest, NamesAreCutToTheirField) {
    const std::string full(30, 'w');
    animfile::Track track = SkeletalTrack(full, 1, 1);
    track.boneNames[0] = full;
    ASSERT_EQ(LoadTracks({track}), 0);
    EXPECT_EQ(std::string(animation.tracks[0]->name.data()), full.substr(0, 29));
    EXPECT_EQ(std::string(animation.tracks[0]->boneNames[0].data()), full.substr(0, 29));
}

TEST_F(AnimationTest, FlagIsKeptForTheModel) {
    EXPECT_EQ(animation.GetFlag(), 0);
    animation.SetFlag(1);
    EXPECT_EQ(animation.GetFlag(), 1);
}

using Refusal = FileRefusal<animfile::File>;

animfile::Track NameOnlyTrack() {
    animfile::Track track;
    track.type = 5;
    track.name = "idle";
    return track;
}

animfile::File GoodFile() {
    animfile::File file;
    file.tracks = {SkeletalTrack("walk", 2, 3), VertexTrack(animfile::kVertexPositions, "wave", {0, 1}, 2)};
    return file;
}

const Refusal kRefusals[] = {
    {"tag letters in reading order", [](animfile::File& f) { f.tag = 0x4D494E41; }},
    {"a track of another type", [](animfile::File& f) { f.tracks.insert(f.tracks.begin() + 1, NameOnlyTrack()); }},
    {"track count past the end", [](animfile::File& f) { f.trackCount = 0x7FFFFFFF; }},
    {"track count one too many", [](animfile::File& f) { f.trackCount = 3; }},
    {"bone count past the end", [](animfile::File& f) { f.tracks[0].boneCount = 0x40000000; }},
    {"bone keys past the end", [](animfile::File& f) { f.tracks[0].frameCount = 0x10000000; }},
    {"vertex count past the end", [](animfile::File& f) { f.tracks[1].vertexCount = 0x80000000; }},
    {"vertex keys past the end", [](animfile::File& f) { f.tracks[1].frameCount = 0xFFFFFFFF; }},
    {"no trailing value", [](animfile::File& f) { f.trailing = false; }},
};

class AnimationRefusalTest : public AnimationTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(AnimationRefusalTest, RefusedFileAppendsNothing) {
    ASSERT_EQ(LoadTracks({SkeletalTrack("kept", 1, 1)}, "\\model\\first.ani"), 0);
    animfile::File file = GoodFile();
    GetParam().spoil(file);
    WriteModuleFile(kAnimationPath, animfile::Write(file));
    EXPECT_EQ(animation.Load(kAnimationPath), E_FAIL);
    ASSERT_EQ(animation.trackCount, 1u);
    EXPECT_EQ(animation.tracks.size(), 1u);
    EXPECT_EQ(animation.FindTrack("kept"), 0);
    EXPECT_EQ(LogLinesNaming(kAnimationPath).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Files, AnimationRefusalTest, ::testing::ValuesIn(kRefusals), CaseName<Refusal>);

TEST_F(AnimationTest, EveryCutOfTheFileIsRefused) {
    const std::vector<uint8_t> whole = animfile::Write(GoodFile());
    for (size_t cut = 0; cut < whole.size(); cut += 2) {
        WriteModuleFile(kAnimationPath, std::vector<uint8_t>(whole.begin(), whole.begin() + cut));
        ASSERT_EQ(animation.Load(kAnimationPath), E_FAIL) << cut;
        ASSERT_EQ(animation.trackCount, 0u) << cut;
    }
    WriteModuleFile(kAnimationPath, whole);
    EXPECT_EQ(animation.Load(kAnimationPath), 0);
}

TEST_F(AnimationTest, MissingFileKeepsTheTracks) {
    ASSERT_EQ(LoadTracks({SkeletalTrack("kept", 1, 1)}), 0);
    EXPECT_EQ(animation.Load("\\model\\none.ani"), E_FAIL);
    EXPECT_EQ(animation.trackCount, 1u);
}

// A track of ten frames 100 ms apart.
class FramesTest : public AnimationTest {
protected:
    void SetUp() override {
        AnimationTest::SetUp();
        ASSERT_EQ(LoadTracks({SkeletalTrack("ten", 1, 10), SkeletalTrack("one", 1, 1)}), 0);
    }
};

struct Sample {
    int mode;
    float time;
    int f0, f1;
    float t;
    bool loops;
};

TEST_F(FramesTest, SamplingByMode) {
    const Sample samples[] = {
        {kPlayClamp, 250, 2, 3, 0.5f, false},
        {kPlayClamp, 2000, 9, 9, 11.0f, false},  // the last frame holds
        {kPlayLoop, 950, 9, 0, 0.5f, true},
        {kPlayLoop, 1050, 0, 1, 0.5f, false},
        {kPlayLoop, 0, 0, 1, 0.0f, false},
        {kPlayPingPong, 250, 2, 3, 0.5f, false},
        {kPlayPingPong, 950, 9, 9, 0.5f, false},
        {kPlayPingPong, 1050, 9, 8, 0.5f, false},  // second pass runs backwards
        {kPlayPingPong, 1950, 1, 0, 0.5f, false},
        {kPlayPingPong, 2050, 0, 1, 0.5f, false},
        {kPlayOnceStepped, 250, 2, 2, 0.5f, false},
        {kPlayOnceStepped, 5000, 9, 9, 1.0f, false},
    };
    for (const Sample& s : samples) {
        animation.SetFlag(0);
        int f0 = -7, f1 = -7;
        float t = -7.0f;
        ASSERT_TRUE(animation.GetFrames(&f0, &f1, &t, 0, s.mode, s.time));
        EXPECT_EQ(f0, s.f0) << s.mode << " " << s.time;
        EXPECT_EQ(f1, s.f1) << s.mode << " " << s.time;
        EXPECT_FLOAT_EQ(t, s.t) << s.mode << " " << s.time;
        EXPECT_EQ(animation.GetFlag(), s.loops ? 1 : 0) << s.mode << " " << s.time;
    }
}

TEST_F(FramesTest, OneFrameTrackStaysOnItsFrame) {
    for (int mode = kPlayClamp; mode <= kPlayOnceStepped; ++mode) {
        for (float time : {0.0f, 50.0f, 150.0f, 1e6f}) {
            int f0 = -7, f1 = -7;
            float t = 0;
            ASSERT_TRUE(animation.GetFrames(&f0, &f1, &t, 1, mode, time));
            EXPECT_EQ(f0, 0) << mode << " " << time;
            EXPECT_EQ(f1, 0) << mode << " " << time;
        }
    }
}

// Frames stay within the track whatever the time: before the keys, far
// past them, or not a number.
TEST_F(FramesTest, FramesStayWithinTheTrack) {
    const float inf = std::numeric_limits<float>::infinity();
    for (int mode = kPlayClamp; mode <= kPlayOnceStepped; ++mode) {
        for (float time : {-1.0f, -150.0f, -1050.0f, -3e9f, 3e12f, 1e38f, -inf, inf, std::nanf("")}) {
            int f0 = -7, f1 = -7;
            float t = 0;
            ASSERT_TRUE(animation.GetFrames(&f0, &f1, &t, 0, mode, time));
            EXPECT_TRUE(f0 >= 0 && f0 <= 9) << mode << " " << time << " f0 " << f0;
            EXPECT_TRUE(f1 >= 0 && f1 <= 9) << mode << " " << time << " f1 " << f1;
        }
    }
}

TEST_F(FramesTest, NothingWrittenOutsideTheRules) {
    animfile::Track noFrames = SkeletalTrack("none", 1, 0);
    animfile::Track noInterval = SkeletalTrack("still", 1, 2);
    noInterval.interval = 0.0f;
    animfile::Track backwards = SkeletalTrack("back", 1, 2);
    backwards.interval = -100.0f;
    ASSERT_EQ(LoadTracks({noFrames, noInterval, backwards}, "\\model\\odd.ani"), 0);
    const std::pair<int, int> cases[] = {{2, kPlayClamp}, {3, kPlayLoop}, {4, kPlayPingPong},
                                         {0, 4},          {0, -1},        {5, kPlayClamp},
                                         {-1, kPlayClamp}};
    for (const auto& [track, mode] : cases) {
        int f0 = -7, f1 = -7;
        float t = -7.0f;
        EXPECT_FALSE(animation.GetFrames(&f0, &f1, &t, track, mode, 250.0f)) << track << " " << mode;
        EXPECT_EQ(f0, -7);
        EXPECT_EQ(f1, -7);
        EXPECT_EQ(t, -7.0f);
    }
}

}  // namespace
}  // namespace model_test::animation_test
