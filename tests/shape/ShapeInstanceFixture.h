// A small animated shape for the instance tests, built with the writer, and
// helpers to add sequences with their key-frame tables.
//
//   nodes     0 "root" at (1, 0, 0); 1 "child" at (0, 0, 3), child of 2 but
//             listed before it; 2 "mid" at (0, 2, 0), child of 0;
//             3 "lone" at (5, 5, 5)
//   sub-shape 0: nodes 0-2, objects 0-1, decal 0; 1: node 3, object 2
//   objects   0 "body" on node 0, 1 "arm" on node 1, 2 "lone" on node 3;
//             no meshes unless a test gives them
//   details   0 sub-shape 0 level 0; 1 sub-shape 1 level 0; 2 no sub-shape
//   defaults  object states (1, 0, 0), (0.5, 2, 3), (1, 0, 0); decal state 7
//   one image-list material of three frames from frame 0
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "ShapeTestSupport.h"
#include "shape/KShapeInstance.h"
#include "shape/ShapeAnimScratch.h"

namespace shapetest {

inline dts::Shape AnimShape() {
    dts::Shape s;
    s.nodes = {{0, -1}, {1, 2}, {2, 0}, {3, -1}};
    s.defaultRotations = {{}, {}, {}, {}};
    s.defaultTranslations = {{1, 0, 0}, {0, 0, 3}, {0, 2, 0}, {5, 5, 5}};
    s.objects = {{4, 0, 0, 0}, {5, 0, 0, 1}, {6, 0, 0, 3}};
    s.decals = {{7, 0, 0, 0}};
    s.iflMaterials = {{{}, 0, 3}};
    s.subShapes = {{0, 0, 0, 3, 2, 1}, {3, 2, 1, 1, 1, 0}};
    s.objectStates = {{1, 0, 0}, {0.5f, 2, 3}, {1, 0, 0}};
    s.decalStates = {7};
    s.details = {{8, 0, 0, 10, {}}, {9, 1, 0, 5, {}}, {10, -1, 0, -1, {}}};
    s.names = {"root", "child", "mid", "lone", "body", "arm", "lone", "decal", "d0", "d1", "d2", "seq"};
    return s;
}

// A sequence of n key frames over no sets yet; its bases are where its
// tables will start.
inline dts::Sequence KeyedSequence(const dts::Shape& s, uint32_t keyFrames, uint32_t flags = 0,
                                   uint32_t priority = 0) {
    dts::Sequence q;
    q.name = 11;
    q.flags = flags;
    q.keyFrames = keyFrames;
    q.duration = 1.0f;
    q.priority = priority;
    q.bases[0] = uint32_t(s.rotations.size());
    q.bases[1] = uint32_t(s.translations.size());
    q.bases[2] = uint32_t(flags & 4 ? s.arbitraryScaleFactors.size()
                          : flags & 2 ? s.alignedScales.size()
                                      : s.uniformScales.size());
    q.bases[3] = uint32_t(s.objectStates.size());
    q.bases[4] = uint32_t(s.decalStates.size());
    return q;
}

template <class T>
void Append(std::vector<T>& table, const std::vector<T>& values) {
    table.insert(table.end(), values.begin(), values.end());
}

inline dts::Quat16 Packed(const KShapeQuat& q) {
    const KShapeQuat16 p = PackQuat(q);
    return {p.x, p.y, p.z, p.w};
}

// A rotation of degrees about z.
inline KShapeQuat AboutZ(float degrees) {
    const float h = degrees * 3.14159265f / 360.0f;
    return {0, 0, std::sin(h), std::cos(h)};
}

class ShapeInstanceTest : public ShapeTest {
protected:
    void TearDown() override {
        instance.reset();
        ResetShapeAnimScratch();
        ShapeTest::TearDown();
    }

    // Reads the description and makes an instance with materials.
    KShapeInstance& Make(const dts::Shape& description, IDirect3DDevice9* device = nullptr) {
        instance.reset();
        EXPECT_TRUE(Read(description, shape)) << RefusalLine();
        instance = std::make_unique<KShapeInstance>(&shape, true, device);
        return *instance;
    }

    // A thread on sequence at position, then every dirty sub-shape animated.
    KShapeThread* Play(uint32_t sequence, float position) {
        KShapeThread* thread = instance->AddThread();
        instance->SetSequence(thread, sequence, position);
        return thread;
    }
    void AnimateAll() {
        for (int32_t d = 0; d < int32_t(shape.details.count); ++d) instance->Animate(d);
    }

    // Translation of node n's matrix.
    KShapeVec3 Origin(uint32_t n) const {
        const float* m = instance->NodeMatrix(n);
        return {m[3], m[7], m[11]};
    }

    KShape shape;
    std::unique_ptr<KShapeInstance> instance;
};

inline void ExpectNear(const KShapeVec3& got, const KShapeVec3& want, float tolerance = 1e-5f) {
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.z, want.z, tolerance);
}

inline void ExpectMatrixNear(const float* got, const float* want, float tolerance = 1e-5f) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "element " << i;
}

}  // namespace shapetest
