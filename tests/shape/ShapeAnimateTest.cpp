// Animate by dirty mask, checked on node matrices and object, decal and
// image-list states of the fixture shape.
#include <cmath>

#include "ShapeInstanceFixture.h"

namespace {

using shapetest::AboutZ;
using shapetest::AnimShape;
using shapetest::Append;
using shapetest::ExpectMatrixNear;
using shapetest::ExpectNear;
using shapetest::KeyedSequence;
using shapetest::Packed;

// A node matrix (node form) of a rotation and a translation.
std::vector<float> NodeForm(const KShapeQuat& q, const KShapeVec3& t) {
    std::vector<float> m(16);
    QuatToMatrix(q, m.data());
    m[3] = t.x;
    m[7] = t.y;
    m[11] = t.z;
    return m;
}

std::vector<float> Times(const std::vector<float>& a, const std::vector<float>& b) {
    std::vector<float> out(16);
    MatrixMultiply(a.data(), b.data(), out.data());
    return out;
}

// The rotation as the shape stores it and reads it back.
KShapeQuat Stored(const KShapeQuat& q) { return UnpackQuat(PackQuat(q)); }
// A stored key-frame rotation as a thread takes it: blended with itself.
KShapeQuat Keyed(const KShapeQuat& q) { return QuatLerp(Stored(q), Stored(q), 0.0f); }

constexpr KShapeQuat kIdentity = {0, 0, 0, 1};

class ShapeAnimate : public shapetest::ShapeInstanceTest {};

TEST_F(ShapeAnimate, WithoutThreadsEverythingTakesItsDefaults) {
    dts::Shape s = AnimShape();
    s.defaultRotations[0] = Packed(AboutZ(90));
    KShapeInstance& inst = Make(s);
    // Node 1 is listed before its parent 2, which hangs from 0.
    const auto root = NodeForm(Stored(AboutZ(90)), {1, 0, 0});
    const auto mid = Times(root, NodeForm(kIdentity, {0, 2, 0}));
    const auto child = Times(mid, NodeForm(kIdentity, {0, 0, 3}));
    ExpectMatrixNear(inst.NodeMatrix(0), root.data());
    ExpectMatrixNear(inst.NodeMatrix(2), mid.data());
    ExpectMatrixNear(inst.NodeMatrix(1), child.data());
    ExpectNear(Origin(3), {5, 5, 5});

    const auto& objects = inst.MeshObjects();
    ASSERT_EQ(objects.Count(), 3u);
    EXPECT_EQ(objects[1].visibility, 0.5f);
    EXPECT_EQ(objects[1].frame, 2);
    EXPECT_EQ(objects[1].materialFrame, 3);
    EXPECT_EQ(objects[1].node, 1);
    EXPECT_EQ(objects[1].object, &shape.objects[1]);
    EXPECT_EQ(objects[1].meshes, nullptr);  // no meshes
    ASSERT_EQ(inst.Decals().Count(), 1u);
    EXPECT_EQ(inst.Decals()[0].state, 7);
    EXPECT_EQ(inst.Decals()[0].target, &objects[0]);
    ASSERT_EQ(inst.IflMaterials().Count(), 1u);
    EXPECT_EQ(inst.IflMaterials()[0].frame, 0);
    for (uint32_t s2 = 0; s2 < 2; ++s2) EXPECT_EQ(inst.DirtyMask(s2), 0u);
}

TEST_F(ShapeAnimate, InitLaysDecalMeshesOnTheObjectMeshOfTheSameLevel) {
    dts::Shape s = dts::SampleShape(24);
    // A second decal of two levels on object 2, which has one.
    dts::Mesh decalMesh = s.meshes[5];
    s.meshes.push_back(decalMesh);
    s.meshes.push_back(decalMesh);
    s.decals.push_back({9, 2, 7, 2});
    Make(s);
    EXPECT_EQ(shape.DecalMesh(5)->target, shape.ObjectMesh(0));
    EXPECT_EQ(shape.DecalMesh(7)->target, shape.ObjectMesh(4));
    // Without a target the decal mesh stays in the shared table.
    ASSERT_NE(shape.DecalMesh(8), nullptr);
    EXPECT_EQ(shape.DecalMesh(8)->target, nullptr);
    KShapeInstance second(&shape, true, nullptr);
    ASSERT_NE(shape.DecalMesh(8), nullptr);
    ASSERT_EQ(second.Decals().Count(), 2u);
    EXPECT_EQ(second.Decals()[1].target, &second.MeshObjects()[2]);
    EXPECT_EQ(second.Decals()[1].node, 5);
    EXPECT_EQ(second.Decals()[1].meshes, shape.meshes.data + 7);
    EXPECT_EQ(second.Decals()[1].state, 6);
    EXPECT_EQ(second.MeshObjects()[1].meshes, shape.meshes.data + 2);
}

TEST_F(ShapeAnimate, AnInstanceCanGoAfterItsShape) {
    // The model manager frees meshes before the models that hold instances.
    auto owned = std::make_unique<KShape>();
    ASSERT_TRUE(Read(dts::SampleShape(24), *owned)) << RefusalLine();
    auto inst = std::make_unique<KShapeInstance>(owned.get(), true, nullptr);
    ASSERT_NE(inst->AddThread(), nullptr);
    ASSERT_NE(inst->AddThread(), nullptr);
    owned.reset();
    inst.reset();  // reads nothing of the shape (the sanitizer run sees it)
}

TEST_F(ShapeAnimate, RotationsBlendByQuatLerpAndTranslationsLinearly) {
    dts::Shape s = AnimShape();
    dts::Sequence q = KeyedSequence(s, 2);
    q.rotation = q.translation = dts::Set::Of({0});
    Append(s.rotations, {Packed(kIdentity), Packed(AboutZ(90))});
    Append(s.translations, {{0, 0, 0}, {2, 4, 6}});
    s.sequences = {q};
    Make(s);
    Play(0, 0.25f);
    AnimateAll();
    const auto root = NodeForm(QuatLerp(Stored(kIdentity), Stored(AboutZ(90)), 0.25f), {0.5f, 1, 1.5f});
    ExpectMatrixNear(instance->NodeMatrix(0), root.data());
    // The children follow their animated root.
    const auto mid = Times(root, NodeForm(kIdentity, {0, 2, 0}));
    ExpectMatrixNear(instance->NodeMatrix(2), mid.data());
    ExpectMatrixNear(instance->NodeMatrix(1), Times(mid, NodeForm(kIdentity, {0, 0, 3})).data());
}

TEST_F(ShapeAnimate, AChildListedBeforeItsParentGetsTheParentsFinalMatrix) {
    dts::Shape s = AnimShape();
    dts::Sequence q = KeyedSequence(s, 1);
    q.rotation = dts::Set::Of({2});  // turn the middle node
    Append(s.rotations, {Packed(AboutZ(90))});
    s.sequences = {q};
    Make(s);
    Play(0, 0);
    AnimateAll();
    const auto mid = Times(NodeForm(kIdentity, {1, 0, 0}), NodeForm(Keyed(AboutZ(90)), {0, 2, 0}));
    ExpectMatrixNear(instance->NodeMatrix(1), Times(mid, NodeForm(kIdentity, {0, 0, 3})).data());
}

TEST_F(ShapeAnimate, TheThreadFirstInPlayOrderWinsEachValue) {
    dts::Shape s = AnimShape();
    dts::Sequence low = KeyedSequence(s, 1, 0, 1);
    low.rotation = low.translation = dts::Set::Of({0});
    Append(s.rotations, {Packed(AboutZ(90))});
    Append(s.translations, {{1, 1, 1}});
    dts::Sequence high = KeyedSequence(s, 1, 0, 2);
    high.translation = dts::Set::Of({0});
    Append(s.translations, {{2, 2, 2}});
    s.sequences = {low, high};
    Make(s);
    Play(0, 0);
    Play(1, 0);
    AnimateAll();
    // The higher priority's translation; the rotation only the other has.
    ExpectMatrixNear(instance->NodeMatrix(0), NodeForm(Keyed(AboutZ(90)), {2, 2, 2}).data());
}

TEST_F(ShapeAnimate, ABlendThreadMultipliesItsDeltaIn) {
    dts::Shape s = AnimShape();
    s.defaultRotations[0] = Packed(AboutZ(90));
    dts::Sequence blend = KeyedSequence(s, 1, 8);
    blend.rotation = blend.translation = dts::Set::Of({0});
    Append(s.rotations, {Packed(AboutZ(90))});
    Append(s.translations, {{1, 0, 0}});
    s.sequences = {blend};
    Make(s);
    Play(0, 0);
    AnimateAll();
    const auto pose = NodeForm(Stored(AboutZ(90)), {1, 0, 0});
    const auto blended = Times(pose, NodeForm(Keyed(AboutZ(90)), {1, 0, 0}));
    ExpectMatrixNear(instance->NodeMatrix(0), blended.data());
    ExpectNear(Origin(2), {blended[1] * 2 + blended[3], blended[5] * 2 + blended[7], blended[9] * 2 + blended[11]});
}

TEST_F(ShapeAnimate, ScalesOfEachKind) {
    struct Case {
        const char* name;
        uint32_t flags;
        // The shape's kind when a second, idle sequence raises it.
        uint32_t shapeFlags;
        float diagonal[3];
    };
    const Case cases[] = {
        {"uniform", 1, 0, {2, 2, 2}},
        {"aligned", 2, 0, {2, 3, 4}},
        // A quarter turn about z swaps the x and y factors.
        {"arbitrary", 4, 0, {3, 2, 4}},
        {"uniform in an aligned shape", 1, 2, {2, 2, 2}},
        {"uniform in an arbitrary shape", 1, 4, {2, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dts::Shape s = AnimShape();
        s.uniformScales = {1, 3};
        s.alignedScales = {{1, 1, 1}, {3, 5, 7}};
        s.arbitraryScaleRotations = {Packed(AboutZ(90)), Packed(AboutZ(90))};
        s.arbitraryScaleFactors = {{2, 3, 4}, {2, 3, 4}};
        dts::Sequence q = KeyedSequence(s, 2, c.flags);
        q.bases[2] = 0;
        q.scale = dts::Set::Of({0});
        s.sequences = {q};
        if (c.shapeFlags) s.sequences.push_back(KeyedSequence(s, 1, c.shapeFlags));
        Make(s);
        Play(0, 0.5f);
        AnimateAll();
        const float* m = instance->NodeMatrix(0);
        EXPECT_NEAR(m[0], c.diagonal[0], 2e-3f);
        EXPECT_NEAR(m[5], c.diagonal[1], 2e-3f);
        EXPECT_NEAR(m[10], c.diagonal[2], 2e-3f);
        EXPECT_NEAR(m[1], 0.0f, 2e-3f);
        EXPECT_NEAR(m[4], 0.0f, 2e-3f);
        ExpectNear(Origin(0), {1, 0, 0});
        // A node outside the scale set keeps a unit scale.
        const float* lone = instance->NodeMatrix(3);
        EXPECT_EQ(lone[0], 1.0f);
        EXPECT_EQ(lone[5], 1.0f);
        EXPECT_EQ(lone[10], 1.0f);
    }
}

TEST_F(ShapeAnimate, VisibilityBlendsOrStepsAndFramesStep) {
    dts::Shape s = AnimShape();
    // Object 0's visibility jumps from 0 to 1; object 1's frames step; the
    // blended sequence moves object 0 from 0.2 to 0.8.
    dts::Sequence steps = KeyedSequence(s, 2);
    steps.visibility = dts::Set::Of({0});
    steps.frame = steps.materialFrame = dts::Set::Of({1});
    Append(s.objectStates, {{0, 0, 0}, {1, 0, 0}, {0.2f, 4, 6}, {0.8f, 9, 11}});
    dts::Sequence smooth = KeyedSequence(s, 2);
    smooth.visibility = dts::Set::Of({0});
    Append(s.objectStates, {{0.2f, 0, 0}, {0.8f, 0, 0}});
    s.sequences = {steps, smooth};
    struct Case {
        uint32_t sequence;
        float position, visibility0;
        int32_t frame1, materialFrame1;
    };
    const Case cases[] = {
        {0, 0.49f, 0.0f, 4, 6},
        {0, 0.5f, 1.0f, 9, 11},
        {1, 0.25f, 0.35f, 2, 3},  // object 1 keeps its defaults
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        Make(s);
        Play(c.sequence, c.position);
        AnimateAll();
        const auto& objects = instance->MeshObjects();
        EXPECT_NEAR(objects[0].visibility, c.visibility0, 1e-6f);
        EXPECT_EQ(objects[1].visibility, 0.5f);  // not in a visibility set
        EXPECT_EQ(objects[1].frame, c.frame1);
        EXPECT_EQ(objects[1].materialFrame, c.materialFrame1);
    }
}

TEST_F(ShapeAnimate, DecalStatesStepBetweenKeyFrames) {
    dts::Shape s = AnimShape();
    dts::Sequence q = KeyedSequence(s, 2);
    q.decal = dts::Set::Of({0});
    Append(s.decalStates, {11, 12});
    s.sequences = {q};
    Make(s);
    KShapeThread* thread = Play(0, 0.25f);
    AnimateAll();
    EXPECT_EQ(instance->Decals()[0].state, 11);
    instance->SetSequence(thread, 0, 0.75f);
    AnimateAll();
    EXPECT_EQ(instance->Decals()[0].state, 12);
    instance->RemoveThread(thread);
    AnimateAll();
    EXPECT_EQ(instance->Decals()[0].state, 7);
}

TEST_F(ShapeAnimate, ImageListFramesFollowTheSequenceTime) {
    struct Case {
        const char* name;
        std::vector<float> times;
        float offset, position;
        int32_t frame;
    };
    const Case cases[] = {
        {"before the first time", {0.1f, 0.2f, 0.3f}, 0, 0.05f, 0},
        {"after the first", {0.1f, 0.2f, 0.3f}, 0, 0.15f, 1},
        {"after the second", {0.1f, 0.2f, 0.3f}, 0, 0.25f, 2},
        {"past the total wraps", {0.1f, 0.2f, 0.3f}, 0.4f, 0.05f, 1},
        {"times that do not cover the frames", {0.1f, 0.2f}, 0, 0.25f, 0},
        {"no times", {}, 0, 0.25f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dts::Shape s = AnimShape();
        dts::Sequence q = KeyedSequence(s, 1);
        q.ifl = dts::Set::Of({0});
        q.iflTimeOffset = c.offset;
        s.sequences = {q};
        Make(s);
        shape.iflFrameTimes.Resize(uint32_t(c.times.size()));
        for (uint32_t i = 0; i < c.times.size(); ++i) shape.iflFrameTimes[i] = c.times[i];
        Play(0, c.position);
        EXPECT_EQ(instance->DirtyMask(1) & kDirtyIflFrame, uint32_t(kDirtyIflFrame));
        instance->Animate(0);
        EXPECT_EQ(instance->IflMaterials()[0].frame, c.frame);
        // Served for every sub-shape at once.
        EXPECT_EQ(instance->DirtyMask(1) & kDirtyIflFrame, 0u);
    }
}

// The reader gives every image-list frame a thirtieth of a second; a list
// outside the table keeps no times.
TEST_F(ShapeAnimate, TheReaderTimesImageListFramesAThirtiethOfASecondEach) {
    dts::Shape s = AnimShape();
    s.iflMaterials = {{{}, 0, 3}, {{}, 3, 2}, {{}, -1, 2}, {{}, 1 << 16, 1}, {{}, 9, 0}};
    Make(s);
    const float third = 1.0f / 30.0f;
    ASSERT_EQ(shape.iflFrameTimes.Count(), 5u);
    const float expected[5] = {third, 2 * third, 3 * third, third, 2 * third};
    for (uint32_t i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(shape.iflFrameTimes[i], expected[i]) << i;
}

// A sequence without key frames still drives the image lists it names.
TEST_F(ShapeAnimate, ImageListFramesFollowASequenceWithoutKeyFrames) {
    struct Case {
        float offset, position;
        int32_t frame;
    };
    const Case cases[] = {{0, 0.2f, 0}, {0, 0.5f, 1}, {0, 0.9f, 2}, {0.1f, 0.5f, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << " position " << c.position);
        dts::Shape s = AnimShape();
        dts::Sequence q = KeyedSequence(s, 0);
        q.duration = 0.1f;  // t = 0.1 x position + offset, wrapped at 0.1
        q.ifl = dts::Set::Of({0});
        q.iflTimeOffset = c.offset;
        s.sequences = {q};
        Make(s);
        Play(0, c.position);
        instance->Animate(0);
        EXPECT_EQ(instance->IflMaterials()[0].frame, c.frame);
    }
}

TEST_F(ShapeAnimate, NoSubShapeOrAnEmptyMaskChangesNothing) {
    dts::Shape s = AnimShape();
    dts::Sequence q = KeyedSequence(s, 2);
    q.translation = dts::Set::Of({0});
    Append(s.translations, {{0, 0, 0}, {10, 0, 0}});
    s.sequences = {q};
    KShapeInstance& inst = Make(s);
    KShapeThread* thread = Play(0, 0.5f);
    inst.Animate(2);  // no sub-shape
    inst.Animate(-1);
    inst.Animate(3);  // past the details
    ExpectNear(Origin(0), {1, 0, 0});
    EXPECT_EQ(inst.DirtyMask(0), 127u);

    inst.Animate(0);
    ExpectNear(Origin(0), {5, 0, 0});
    EXPECT_EQ(inst.DirtyMask(0), 0u);
    // Too small a step to mark anything: with the mask empty the matrices
    // stay as they were.
    thread->AdvanceTime(0.000005f);
    EXPECT_EQ(inst.DirtyMask(0), 0u);
    inst.Animate(0);
    EXPECT_EQ(Origin(0).x, 5.0f);
    inst.MarkDirty(kDirtyNodes);
    inst.Animate(0);
    EXPECT_GT(Origin(0).x, 5.0f);
}

TEST_F(ShapeAnimate, AnimateWithoutADetailServesTheCurrentOne) {
    dts::Shape s = AnimShape();
    dts::Sequence q = KeyedSequence(s, 1);
    q.translation = dts::Set::Of({0, 3});
    Append(s.translations, {{7, 0, 0}, {0, 7, 0}});
    s.sequences = {q};
    KShapeInstance& inst = Make(s);
    Play(0, 0);
    inst.SetCurrentDetail(1);
    inst.Animate();
    ExpectNear(Origin(3), {0, 7, 0});
    ExpectNear(Origin(0), {1, 0, 0});  // sub-shape 0 still waits
    EXPECT_EQ(inst.DirtyMask(1), 0u);
    // Image-list frames are served for every sub-shape at once.
    EXPECT_EQ(inst.DirtyMask(0), 127u & ~uint32_t(kDirtyIflFrame));
}

}  // namespace
