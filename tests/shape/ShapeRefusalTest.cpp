// Bad shape files are refused with a log line, whatever part is bad, and
// leave a shape that destroys cleanly.
#include <functional>
#include <thread>

#include "ShapeTestSupport.h"

namespace {

struct Refusal {
    const char* name;
    std::function<void(dts::Shape&)> spoil;
    const char* reason;  // start of the log line's reason
    uint32_t version = 24;
};

dts::Mesh& Mesh(dts::Shape& s, size_t i) { return s.meshes[i]; }

const Refusal kRefusals[] = {
    {"buffer larger than the file", [](dts::Shape& s) { s.overrides.bufferWords = 1u << 30; },
     "the memory buffer is cut short"},
    {"16-bit stream beyond the buffer", [](dts::Shape& s) { s.overrides.start16 = 100000; },
     "a stream starts beyond the buffer"},
    {"more sequences than bytes", [](dts::Shape& s) { s.overrides.sequenceCount = 100000; },
     "more sequences than the file holds"},
    {"more materials than bytes", [](dts::Shape& s) { s.overrides.materialCount = 100000; },
     "the material list is bad or cut short"},
    {"material list version 2", [](dts::Shape& s) { s.materialListVersion = 2; },
     "the material list is bad or cut short"},
    {"a wrong guard", [](dts::Shape& s) { s.overrides.badGuard = 3; }, "guard 3 differs from its counter"},
    {"a wrong guard in a mesh", [](dts::Shape& s) { s.overrides.badGuard = 20; }, "guard 20 differs"},
    {"a set of seven words", [](dts::Shape& s) { s.overrides.setWordCount = 7; }, "a sequence set holds more than six"},
    {"193 nodes", [](dts::Shape& s) { s.overrides.nodes = 193; }, "more than 192 nodes"},
    {"193 objects", [](dts::Shape& s) { s.overrides.objects = 193; }, "more than 192 nodes"},
    {"193 decals", [](dts::Shape& s) { s.overrides.decals = 193; }, "more than 192 nodes"},
    {"193 image lists", [](dts::Shape& s) { s.overrides.iflMaterials = 193; }, "more than 192 nodes"},
    {"fewer key frames than nodes", [](dts::Shape& s) { s.overrides.keyedCount = 2; }, "fewer rotations than nodes",
     21},
    {"a mesh table beyond the buffer", [](dts::Shape& s) { s.overrides.meshes = 0x7FFFFFFF; },
     "more meshes than the buffer holds", 15},
    {"skins times details beyond the buffer", [](dts::Shape& s) { s.skins = 0x10000000; },
     "more meshes than the buffer holds", 22},
    {"a table past the buffer", [](dts::Shape& s) { s.overrides.triggers = 100000; }, "a table runs past the buffer"},
    {"names not terminated", [](dts::Shape& s) { s.overrides.names = 100000; }, "a name is not terminated"},
    {"a parent out of range", [](dts::Shape& s) { s.nodes[0].parent = 6; }, "a node's parent is out of range"},
    {"a parent of -2", [](dts::Shape& s) { s.nodes[0].parent = -2; }, "a node's parent is out of range"},
    {"a parent cycle", [](dts::Shape& s) { s.nodes[1].parent = 0; }, "the node parents form a cycle"},
    {"a node its own parent", [](dts::Shape& s) { s.nodes[5].parent = 5; }, "the node parents form a cycle"},
    {"an object's node", [](dts::Shape& s) { s.objects[0].node = 6; }, "an object's node is out of range"},
    {"an object's meshes", [](dts::Shape& s) { s.objects[2].meshCount = 5; }, "an object's meshes are out of range"},
    {"an object's first mesh", [](dts::Shape& s) { s.objects[2].firstMesh = -1; },
     "an object's meshes are out of range"},
    {"a decal's object", [](dts::Shape& s) { s.decals[0].object = 3; }, "a decal's object is out of range"},
    {"a decal's meshes", [](dts::Shape& s) { s.decals[0].firstMesh = 6; }, "a decal's meshes are out of range"},
    {"a detail's sub-shape", [](dts::Shape& s) { s.details[0].subShape = 2; }, "a detail's sub-shape is out of range"},
    {"a detail's level", [](dts::Shape& s) { s.details[1].objectDetailLevel = -1; },
     "a detail's object level is negative"},
    {"a sub-shape's nodes", [](dts::Shape& s) { s.subShapes[1].nodeCount = 2; }, "a sub-shape's range is out of range"},
    {"a sub-shape's objects", [](dts::Shape& s) { s.subShapes[0].objectCount = -1; },
     "a sub-shape's range is out of range"},
    {"a sub-shape's decals", [](dts::Shape& s) { s.subShapes[1].decalCount = 1; },
     "a sub-shape's range is out of range"},
    {"a later parent mesh", [](dts::Shape& s) { Mesh(s, 3).parent = 4; },
     "a mesh's parent is not an earlier object mesh"},
    {"a decal parent mesh",
     [](dts::Shape& s) {
         s.meshes[6] = s.meshes[3];
         Mesh(s, 6).parent = 5;
     },
     "a mesh's parent is not an earlier object mesh"},
    {"a primitive past the indices", [](dts::Shape& s) { Mesh(s, 0).primitives[0].count = 5; },
     "a primitive runs past the indices"},
    {"an index past the vertices", [](dts::Shape& s) { Mesh(s, 1).indices[2] = 3; }, "a mesh index is out of range"},
    {"an index past a frame",
     [](dts::Shape& s) {
         Mesh(s, 0).frameCount = 2;
         Mesh(s, 0).verticesPerFrame = 2;
     },
     "a mesh index is beyond its frame"},
    {"a primitive's material", [](dts::Shape& s) { Mesh(s, 0).primitives[0].material = 4 | dts::kStrip; },
     "a primitive's material is out of range"},
    {"a decal primitive's material", [](dts::Shape& s) { Mesh(s, 5).primitives[0].material = 4; },
     "a primitive's material is out of range"},
    {"a decal primitive past its indices", [](dts::Shape& s) { Mesh(s, 5).primitives[0].count = 4; },
     "a primitive runs past the indices"},
    {"a decal's material", [](dts::Shape& s) { Mesh(s, 5).materialIndex = 4; }, "a decal's material is out of range"},
    {"a weight's vertex", [](dts::Shape& s) { Mesh(s, 2).weightVertices[3] = 3; }, "a weight's vertex is out of range"},
    {"a weight's bone", [](dts::Shape& s) { Mesh(s, 2).weightBones[3] = 2; }, "a weight's bone is out of range"},
    {"a bone without a node", [](dts::Shape& s) { Mesh(s, 2).boneNodes.pop_back(); }, "a weight's bone is out of range"},
    {"a bone's node", [](dts::Shape& s) { Mesh(s, 2).boneNodes[1] = 6; }, "a bone's node is out of range"},
    {"a sequence's triggers", [](dts::Shape& s) { s.sequences[0].triggerCount = 3; },
     "a sequence's triggers are out of range"},
    {"a rotation member", [](dts::Shape& s) { s.sequences[1].rotation = dts::Set::Of({6}); },
     "a sequence set names a member out of range"},
    {"a visibility member", [](dts::Shape& s) { s.sequences[0].visibility = dts::Set::Of({3}); },
     "a sequence set names a member out of range"},
    {"a decal member", [](dts::Shape& s) { s.sequences[0].decal = dts::Set::Of({1}); },
     "a sequence set names a member out of range"},
    {"an image-list member", [](dts::Shape& s) { s.sequences[0].ifl = dts::Set::Of({1}); },
     "a sequence set names a member out of range"},
    {"rotations past their table", [](dts::Shape& s) { s.sequences[1].bases[0] = 5; },
     "a sequence's key frames run past their table"},
    {"translations past their table", [](dts::Shape& s) { s.sequences[0].bases[1] = 4; },
     "a sequence's key frames run past their table"},
    {"scales past their table", [](dts::Shape& s) { s.uniformScales.pop_back(); },
     "a sequence's key frames run past their table"},
    {"object states past their table", [](dts::Shape& s) { s.sequences[0].frame = dts::Set::Of({1}); },
     "a sequence's key frames run past their table"},
    {"decal states past their table", [](dts::Shape& s) { s.sequences[0].bases[4] = 2; },
     "a sequence's key frames run past their table"},
    {"members without key frames", [](dts::Shape& s) { s.sequences[1].keyFrames = 0; },
     "a sequence animates members without key frames"},
    {"key frames that wrap",
     [](dts::Shape& s) {
         s.sequences[0].firstKeyFrame = 5;
         s.sequences[0].lastKeyFrame = 3;
     },
     "a sequence's last key frame comes before its first", 16},
    {"fewer object states than objects", [](dts::Shape& s) { s.objectStates.resize(2); },
     "fewer object states than objects"},
    {"fewer decal states than decals", [](dts::Shape& s) { s.decalStates.clear(); }, "fewer decal states than decals"},
};

class ShapeRefusal : public shapetest::ShapeTest, public ::testing::WithParamInterface<Refusal> {};

INSTANTIATE_TEST_SUITE_P(Cases, ShapeRefusal, ::testing::ValuesIn(kRefusals), [](const auto& info) {
    std::string name;
    for (char c : std::string(info.param.name)) name += std::isalnum(uint8_t(c)) ? c : '_';
    return name;
});

TEST_P(ShapeRefusal, IsRefusedWithItsReason) {
    const Refusal& r = GetParam();
    dts::Shape good = dts::SampleShape(r.version);
    KShape shape;
    ASSERT_TRUE(Read(good, shape)) << "unspoilt: " << RefusalLine();
    dts::Shape bad = good;
    r.spoil(bad);
    EXPECT_FALSE(Read(bad, shape));
    EXPECT_EQ(RefusalLine().rfind(r.reason, 0), 0u) << RefusalLine();
    // Nothing of the refused file stays behind.
    EXPECT_EQ(shape.block, nullptr);
    EXPECT_EQ(shape.nodes.count, 0u);
    EXPECT_EQ(shape.sequences.Count(), 0u);
    EXPECT_EQ(shape.materials.Count(), 0u);
}

class ShapeRefusalCuts : public shapetest::ShapeTest, public ::testing::WithParamInterface<uint32_t> {};

INSTANTIATE_TEST_SUITE_P(Versions, ShapeRefusalCuts, ::testing::Values(2u, 16u, 24u),
                         [](const auto& info) { return "v" + std::to_string(info.param); });

TEST_P(ShapeRefusalCuts, EveryCutOfAFileIsRefused) {
    const std::vector<uint8_t> bytes = dts::WriteDts(dts::SampleShape(GetParam()));
    KShape shape;
    ASSERT_TRUE(Read(bytes, shape));
    for (size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + ptrdiff_t(size));
        EXPECT_FALSE(ReadShape(size ? cut.data() : bytes.data(), size, &shape)) << size;
    }
    EXPECT_FALSE(ReadShape(nullptr, 10, &shape));
    EXPECT_FALSE(ReadShape(bytes.data(), bytes.size(), nullptr));
}

// The allocator, the sizing meshes and the scratch tables belong to one
// read, so reads on several threads at once stay apart.
TEST(ShapeReadThreadTest, ReadsOnSeveralThreadsStayApart) {
    basrel::SetDebugLogToFile(false);
    std::vector<std::vector<uint8_t>> files;
    for (uint32_t v : {16u, 20u, 22u, 24u}) files.push_back(dts::WriteDts(dts::SampleShape(v)));
    std::vector<int> good(files.size(), 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < files.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                KShape shape;
                if (ReadShape(files[t].data(), files[t].size(), &shape) && shape.vertexSlotTotal == 12 &&
                    shape.details[0].polyCount == 3)
                    ++good[t];
            }
        });
    for (std::thread& thread : threads) thread.join();
    for (size_t t = 0; t < files.size(); ++t) EXPECT_EQ(good[t], 25) << t;
}

}  // namespace
