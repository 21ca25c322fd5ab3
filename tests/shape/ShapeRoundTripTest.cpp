// A writer shape that touches every table reads back at every version the
// format knows, with the version defaults standing in for what older
// versions do not store.
#include <cstring>

#include "ShapeTestSupport.h"

namespace shape_round_trip_test {
namespace {

using shapetest::Members;

class ShapeRoundTrip : public shapetest::ShapeTest, public ::testing::WithParamInterface<uint32_t> {};

INSTANTIATE_TEST_SUITE_P(Versions, ShapeRoundTrip,
                         ::testing::Values(2u, 3u, 5u, 6u, 8u, 9u, 11u, 12u, 15u, 16u, 17u, 19u, 20u, 21u, 22u, 23u, 24u),
                         [](const auto& info) { return "v" + std::to_string(info.param); });

void ExpectQuat(const KShapeQuat16& got, const dts::Quat16& want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.z, want.z);
    EXPECT_EQ(got.w, want.w);
}

void ExpectVec(const KShapeVec3& got, const dts::Vec3& want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.z, want.z);
}

TEST_P(ShapeRoundTrip, TablesReadBackAsWritten) {
    const uint32_t v = GetParam();
    const dts::Shape d = dts::SampleShape(v);
    KShape shape;
    ASSERT_TRUE(Read(d, shape)) << RefusalLine();
    EXPECT_EQ(shape.version, v);
    EXPECT_EQ(shape.radius, 3.0f);
    EXPECT_EQ(shape.tubeRadius, 1.5f);
    EXPECT_EQ(shape.centre.x, 0.5f);
    EXPECT_EQ(shape.bounds[4], 2.0f);
    EXPECT_EQ(shape.smallestVisibleSize, 4.0f);
    EXPECT_EQ(shape.smallestVisibleDetail, 1);

    ASSERT_EQ(shape.nodes.count, d.nodes.size());
    for (uint32_t i = 0; i < shape.nodes.count; ++i) {
        EXPECT_EQ(shape.nodes[i].nameIndex, d.nodes[i].name);
        EXPECT_EQ(shape.nodes[i].parent, d.nodes[i].parent);
        ExpectQuat(shape.defaultRotations[i], d.defaultRotations[i]);
        ExpectVec(shape.defaultTranslations[i], d.defaultTranslations[i]);
    }
    ASSERT_EQ(shape.objects.count, d.objects.size());
    for (uint32_t i = 0; i < shape.objects.count; ++i) {
        const KShapeObject& o = shape.objects[i];
        EXPECT_EQ(std::vector<int32_t>({o.nameIndex, o.meshCount, o.firstMesh, o.node}),
                  std::vector<int32_t>({d.objects[i].name, d.objects[i].meshCount, d.objects[i].firstMesh,
                                        d.objects[i].node}));
    }
    ASSERT_EQ(shape.decals.count, 1u);
    EXPECT_EQ(shape.decals[0].object, 0);
    EXPECT_EQ(shape.decals[0].meshCount, 2);
    ASSERT_EQ(shape.iflMaterials.count, 1u);
    EXPECT_EQ(shape.iflMaterials[0].kept[0], 2u);
    EXPECT_EQ(shape.iflMaterials[0].frameCount, 2);
    ASSERT_EQ(shape.SubShapeCount(), 2u);
    EXPECT_EQ(shape.subShapeFirstNode[1], 5);
    EXPECT_EQ(shape.subShapeFirstObject[1], 2);
    EXPECT_EQ(shape.subShapeFirstDecal[1], 1);
    EXPECT_EQ(shape.subShapeNodeCount[0], 5);
    EXPECT_EQ(shape.subShapeObjectCount[0], 2);
    EXPECT_EQ(shape.subShapeDecalCount[1], 0);
    ASSERT_EQ(shape.details.count, 3u);
    EXPECT_EQ(shape.details[1].objectDetailLevel, 1);
    EXPECT_EQ(shape.details[2].size, -1.0f);
    EXPECT_EQ(shape.details[2].kept[1], 6u);

    ASSERT_EQ(shape.rotations.count, 5u);
    ASSERT_EQ(shape.translations.count, 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        ExpectQuat(shape.rotations[i], d.rotations[i]);
        ExpectVec(shape.translations[i], d.translations[i]);
    }
    EXPECT_EQ(shape.uniformScales.count, v >= 22 ? 2u : 0u);
    EXPECT_EQ(shape.alignedScales.count, v >= 22 ? 1u : 0u);
    EXPECT_EQ(shape.arbitraryScaleRotations.count, v >= 22 ? 1u : 0u);
    if (v >= 22) {
        EXPECT_EQ(shape.uniformScales[1], 2.0f);
        EXPECT_EQ(shape.alignedScales[0].z, 3.0f);
        EXPECT_EQ(shape.arbitraryScaleFactors[0].x, 2.0f);
    }
    EXPECT_EQ(shape.extraTranslations.count, v >= 24 ? 1u : 0u);
    if (v >= 24) ExpectQuat(shape.extraRotations[0], {1, 2, 3, 4});

    ASSERT_EQ(shape.objectStates.count, 5u);
    EXPECT_EQ(shape.objectStates[2].visibility, 0.5f);
    EXPECT_EQ(shape.objectStates[2].frame, 1);
    ASSERT_EQ(shape.decalStates.count, 3u);
    EXPECT_EQ(shape.decalStates[2], 7);
    ASSERT_EQ(shape.triggers.count, 2u);
    EXPECT_EQ(shape.triggers[0].state, 0x80000001u);
    EXPECT_EQ(shape.triggers[1].position, 0.75f);

    ASSERT_EQ(shape.names.count, d.names.size());
    for (uint32_t i = 0; i < shape.names.count; ++i) EXPECT_STREQ(shape.names[i], d.names[i].c_str());
    EXPECT_STREQ(shape.Name(99), "");
}

TEST_P(ShapeRoundTrip, MeshesFromVersion16) {
    const uint32_t v = GetParam();
    KShape shape;
    ASSERT_TRUE(Read(dts::SampleShape(v), shape)) << RefusalLine();
    ASSERT_EQ(shape.meshes.count, 7u);
    if (v < 16) {
        for (uint32_t i = 0; i < 7; ++i) EXPECT_EQ(shape.meshes[i], nullptr) << i;
        return;
    }
    const uint32_t kinds[] = {kShapeMeshStandard, kShapeMeshSort, kShapeMeshSkin, kShapeMeshStandard,
                              kShapeMeshStandard, kShapeMeshDecal};
    for (uint32_t i = 0; i < 6; ++i) {
        ASSERT_NE(shape.meshes[i], nullptr) << i;
        EXPECT_EQ(shape.meshes[i]->Kind(), kinds[i]) << i;
    }
    EXPECT_EQ(shape.meshes[6], nullptr);  // type 9
    EXPECT_EQ(shape.ObjectMesh(5), nullptr);
    EXPECT_EQ(shape.DecalMesh(0), nullptr);

    const KShapeMesh* quad = shape.ObjectMesh(0);
    EXPECT_EQ(quad->VertexCount(), 4u);
    EXPECT_EQ(quad->texCoords.count, 4u);
    EXPECT_EQ(quad->mergeIndices.count, 2u);
    EXPECT_EQ(quad->verticesPerFrame, 4u);
    const KShapeMesh* child = shape.ObjectMesh(3);
    EXPECT_EQ(child->parent, 0);
    EXPECT_EQ(child->vertices.data, quad->vertices.data);  // taken from its parent
    EXPECT_EQ(child->normals.data, quad->normals.data);
    const auto* skin = static_cast<const KShapeSkinMesh*>(shape.ObjectMesh(2));
    EXPECT_EQ(skin->initialVertices.count, 3u);
    EXPECT_EQ(skin->boneTransforms.count, 2u);
    EXPECT_EQ(skin->weights.count, 4u);
    EXPECT_EQ(skin->boneNodes[1], 3);
    const KShapeDecalMesh* decal = shape.DecalMesh(5);
    ASSERT_NE(decal, nullptr);
    EXPECT_EQ(decal->indices.count, 3u);
    EXPECT_EQ(decal->startFrames.count, 1u);
    EXPECT_EQ(decal->texGenSecond.count, v >= 19 ? 1u : 0u);
    EXPECT_EQ(decal->materialIndex, 0u);
}

TEST_P(ShapeRoundTrip, SequencesTakeTheVersionRules) {
    const uint32_t v = GetParam();
    KShape shape;
    ASSERT_TRUE(Read(dts::SampleShape(v), shape)) << RefusalLine();
    ASSERT_EQ(shape.sequences.Count(), 2u);
    const KShapeSequence& walk = shape.sequences[0];
    EXPECT_EQ(walk.nameIndex, 13u);
    EXPECT_EQ(walk.flags, v >= 22 ? 16u | 32u | 1u : 16u | 32u);
    EXPECT_EQ(walk.keyFrameCount, 2u);
    EXPECT_EQ(walk.duration, 1.0f);
    EXPECT_EQ(walk.priority, 1u);
    EXPECT_EQ(walk.unused[1], 8u);
    EXPECT_EQ(walk.baseObjectState, v >= 17 ? 3u : 0u);
    EXPECT_EQ(walk.baseDecalState, v >= 17 ? 1u : 0u);
    EXPECT_EQ(walk.triggerCount, v >= 9 ? 2u : 0u);
    EXPECT_EQ(walk.iflTimeOffset, v >= 8 ? 0.5f : 0.0f);
    EXPECT_EQ(Members(walk.rotationSet), (std::vector<uint32_t>{1, 2}));
    const std::vector<uint32_t> translated = v >= 22 ? std::vector<uint32_t>{1} : std::vector<uint32_t>{1, 2};
    EXPECT_EQ(Members(walk.translationSet), translated);
    EXPECT_EQ(Members(walk.scaleSet), v >= 22 ? std::vector<uint32_t>{2} : std::vector<uint32_t>{});
    EXPECT_EQ(Members(walk.decalSet), v >= 11 ? std::vector<uint32_t>{0} : std::vector<uint32_t>{});
    EXPECT_EQ(Members(walk.iflSet), v >= 6 ? std::vector<uint32_t>{0} : std::vector<uint32_t>{});
    EXPECT_EQ(Members(walk.visibilitySet), std::vector<uint32_t>{0});
    EXPECT_EQ(Members(walk.frameSet), std::vector<uint32_t>{0});
    EXPECT_EQ(walk.dirtyMask, 1u | 2u | 4u | (v >= 11 ? 16u : 0u) | (v >= 6 ? 32u : 0u));

    const KShapeSequence& blend = shape.sequences[1];
    EXPECT_EQ(blend.flags, 8u);
    EXPECT_EQ(blend.baseRotation, v >= 17 ? 4u : 0u);
    // Versions 17 to 21 store one base for rotations and translations.
    EXPECT_EQ(blend.baseTranslation, v >= 17 ? 4u : 0u);
    EXPECT_EQ(blend.dirtyMask, 1u);
}

TEST_P(ShapeRoundTrip, MaterialListTakesTheVersionDefaults) {
    const uint32_t v = GetParam();
    KShape shape;
    ASSERT_TRUE(Read(dts::SampleShape(v), shape)) << RefusalLine();
    const KShapeMaterialList& m = shape.materials;
    ASSERT_EQ(m.Count(), 4u);
    EXPECT_STREQ(m.Name(0), "body");  // the folder is dropped
    EXPECT_STREQ(m.Name(1), "S_glow");
    EXPECT_EQ(m.Name(2), nullptr);  // ".ifl" below 6, flag bit 27 from 3
    EXPECT_STREQ(m.Name(3), "glass");
    const uint32_t glow = v < 3 ? 3u : v < 16 ? 4u | 64u : 4u;
    EXPECT_EQ(m.flags[1], glow);
    EXPECT_EQ(m.flags[3], v < 3 ? 3u : 1u << 25);
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(m.firstIndex[i], v >= 5 ? int32_t(10 + i) : int32_t(i));
        EXPECT_EQ(m.Texture(i), nullptr);
    }
    EXPECT_EQ(m.secondIndex[1], v >= 5 ? 5 : -1);
    EXPECT_EQ(m.thirdIndex[1], v >= 5 ? 6 : -1);
    EXPECT_EQ(m.firstFactor[1], v >= 12 ? 0.5f : 1.0f);
    EXPECT_EQ(m.secondFactor[1], v >= 21 ? 0.25f : 1.0f);
}

}  // namespace
}  // namespace shape_round_trip_test

namespace shape_round_trip_test {
namespace {

class ShapeMaterialNames : public shapetest::ShapeTest {};

TEST_F(ShapeMaterialNames, ImageListNamesAreDroppedByExtensionBelow6AndByFlagFrom6) {
    struct Case {
        uint32_t version;
        uint32_t flags;
        bool kept;
    };
    for (Case c : {Case{5, 0, false}, Case{6, 0, true}, Case{6, 1u << 27, false}}) {
        dts::Shape d = dts::SampleShape(c.version);
        d.materials[0] = {"folder\\SKIN.IFL", c.flags, 0, -1, -1, 1, 1};
        KShape shape;
        ASSERT_TRUE(Read(d, shape)) << RefusalLine();
        if (c.kept)
            EXPECT_STREQ(shape.materials.Name(0), "SKIN.IFL") << c.version;
        else
            EXPECT_EQ(shape.materials.Name(0), nullptr) << c.version << " " << c.flags;
    }
}

}  // namespace
}  // namespace shape_round_trip_test
