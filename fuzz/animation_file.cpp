// Animation files: the reader (appending), the frames of every track in
// every mode, times before and far past the keys included, and every track
// taken onto a small plain and a small skinned mesh.
#include "AnimationFileWriter.h"
#include "scene/KAnimation.h"
#include "scene/KMesh.h"
#include "support/FuzzTarget.h"
#include "support/ModelFiles.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(animation_file) {
    animfile::File file;
    animfile::Track skeletal;
    skeletal.name = "walk";
    skeletal.frameCount = 4;
    skeletal.boneNames = {"bone0", "bone2"};
    for (int i = 0; i < 8; ++i) skeletal.matrices.push_back(animfile::Scaling(1.0f + float(i), 1, 1));
    animfile::Track positions;
    positions.type = animfile::kVertexPositions;
    positions.name = "wave";
    positions.frameCount = 3;
    positions.vertices = {0, 5, 70000};
    positions.keys.assign(9, {1, 2, 3});
    animfile::Track offsets = positions;
    offsets.type = animfile::kVertexOffsets;
    animfile::Track still = skeletal;
    still.frameCount = 0;
    still.matrices.clear();
    file.tracks = {skeletal, positions, offsets, still};
    const Bytes whole = animfile::Write(file);
    SeedList seeds = {{"every-kind", whole}, {"cut", Truncated(whole, whole.size() - 10)}};
    animfile::File other = file;
    other.tracks.insert(other.tracks.begin() + 1, animfile::Track{});
    other.tracks[1].type = 7;
    seeds.push_back({"other-type", animfile::Write(other)});
    return seeds;
}

LUMIVA_FUZZ_TARGET(animation_file, data, size) {
    KMesh& plain = SmallPlainMesh();
    KMesh& skinned = SmallSkinnedMesh();
    ServeFile("fuzz.ani", data, size);
    KAnimation animation;
    if (animation.Load("fuzz.ani") != 0) return;
    animation.Load("fuzz.ani");  // appended
    animation.FindTrack("walk");
    for (int track = -1; track <= int(animation.trackCount); ++track) {
        for (int mode = -1; mode <= 4; ++mode) {
            for (float time : ProbeTimes()) {
                int f0 = 0, f1 = 0;
                float t = 0;
                animation.GetFrames(&f0, &f1, &t, track, mode, time);
            }
            plain.ApplyAnimation(&animation, track, mode, 75.0f);
            skinned.ApplyAnimation(&animation, track, mode, -75.0f);
        }
    }
}
