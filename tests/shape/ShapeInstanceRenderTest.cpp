// Drawing an instance: the objects of a detail's sub-shape at its object
// level, each at its node, the parameters published for the meshes, and
// the cross-fade of two details; recorded calls and pixels.
#include <memory>

#include "ShapeInstanceFixture.h"
#include "ShapeRenderFixture.h"

namespace {

// A unit quad at z -0.5 (in front once mirrored), of one material.
dts::Mesh Quad(uint32_t material) {
    dts::Mesh m;
    for (dts::Vec3 p : {dts::Vec3{0, 0, -0.5f}, {1, 0, -0.5f}, {0, 1, -0.5f}, {1, 1, -0.5f}}) {
        m.vertices.push_back(p);
        m.normals.push_back({0, 0, 1});
    }
    m.texCoords = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    m.primitives = {{0, 6, material}};
    m.indices = {0, 2, 1, 1, 2, 3};
    m.verticesPerFrame = 4;
    return m;
}

// Node 0 at the origin, node 1 at (-1, -1, 0), node 2 alone. Object 0 on
// node 0 has two levels, object 1 on node 1 one, object 2 (sub-shape 1)
// one. Details: 0 (sub-shape 0, level 0), 1 (sub-shape 0, level 1), 2
// (sub-shape 1).
dts::Shape TwoQuads(uint32_t material) {
    dts::Shape s;
    s.nodes = {{0, -1}, {1, -1}, {2, -1}};
    s.defaultRotations = {{}, {}, {}};
    s.defaultTranslations = {{0, 0, 0}, {-1, -1, 0}, {0, 0, 0}};
    s.objects = {{3, 2, 0, 0}, {4, 1, 2, 1}, {5, 1, 3, 2}};
    s.subShapes = {{0, 0, 0, 2, 2, 0}, {2, 2, 0, 1, 1, 0}};
    s.objectStates = {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
    s.details = {{6, 0, 0, 20, {}}, {7, 0, 1, 10, {}}, {8, 1, 0, 5, {}}};
    s.names = {"a", "b", "c", "o0", "o1", "o2", "d0", "d1", "d2", "move"};
    s.materials = {{"body", 0, 0, -1, -1, 1, 1}, {"glass", 4, 1, -1, -1, 1, 1}};
    s.meshes = {Quad(material), Quad(material), Quad(material), Quad(material)};
    return s;
}

class ShapeInstanceRender : public shapetest::ShapeRenderTest {
protected:
    void TearDown() override {
        instance.reset();
        ResetShapeAnimScratch();
        ShapeRenderTest::TearDown();
    }
    KShapeInstance& Make(const dts::Shape& description) {
        EXPECT_TRUE(Read(description, shape)) << RefusalLine();
        GiveTexture(0, 0xFF00FF00u);
        GiveTexture(1, 0xFF00FF00u);
        instance = std::make_unique<KShapeInstance>(&shape, true, device);
        return *instance;
    }
    // Which mesh a draw used, by its vertex buffer.
    int MeshOf(const lumiva::d3d9::RecordedCall& draw) const {
        for (uint32_t i = 0; i < shape.meshes.count; ++i)
            if (shape.ObjectMesh(i) && draw.state->streams[0].buffer == shape.ObjectMesh(i)->VertexBuffer())
                return int(i);
        return -1;
    }

    std::unique_ptr<KShapeInstance> instance;
};

TEST_F(ShapeInstanceRender, DrawsTheSubShapesObjectsEachAtItsNode) {
    KShapeInstance& inst = Make(TwoQuads(0));
    KShapeMaterialList other;
    inst.RenderDetail(0, &other, device);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(MeshOf(draws[0]), 0);
    EXPECT_EQ(MeshOf(draws[1]), 2);
    EXPECT_EQ(draws[0].state->worldMatrices[0]._41, 0.0f);
    EXPECT_EQ(draws[1].state->worldMatrices[0]._41, -1.0f);
    EXPECT_EQ(draws[1].state->worldMatrices[0]._42, -1.0f);
    EXPECT_EQ(draws[1].state->textures[0], shape.materials.Texture(0));  // the instance's own list
    // The arguments are published; the node matrices only while drawing.
    EXPECT_EQ(g_ShapeDrawParams.materials, &other);
    EXPECT_EQ(g_ShapeDrawParams.device, device);
    EXPECT_EQ(g_ShapeDrawParams.detail, 0);
    EXPECT_EQ(g_ShapeDrawParams.nodeMatrices, nullptr);
    EXPECT_FALSE(g_ShapeDrawParams.fade);
    // Upper right quarter (node 0) and lower left (node 1).
    for (UINT y = 0; y < kSize; ++y)
        for (UINT x = 0; x < kSize; ++x) {
            const bool covered = (x >= 8 && y < 8) || (x < 8 && y >= 8);
            EXPECT_EQ(Pixel(x, y), covered ? 0x00FF00u : 0u) << x << "," << y;
        }
}

TEST_F(ShapeInstanceRender, LevelsPastAnObjectsMeshesAndHiddenObjectsDrawNothing) {
    dts::Shape s = TwoQuads(0);
    s.objectStates[0].visibility = 0.01f;
    KShapeInstance& inst = Make(s);
    inst.RenderDetail(1, nullptr, nullptr);  // object 0 is hidden, object 1 has no second level
    EXPECT_TRUE(Draws().empty());
    inst.RenderDetail(2, nullptr, nullptr);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(MeshOf(Draws()[0]), 3);
    for (int32_t bad : {-1, 3}) inst.RenderDetail(bad, nullptr, nullptr);
    EXPECT_EQ(Draws().size(), 1u);
}

TEST_F(ShapeInstanceRender, AnAnimatedNodeCarriesItsObject) {
    dts::Shape s = TwoQuads(0);
    dts::Sequence q = shapetest::KeyedSequence(s, 2);
    q.name = 9;
    q.translation = dts::Set::Of({1});
    shapetest::Append(s.translations, {{-1, -1, 0}, {0, -1, 0}});
    s.sequences = {q};
    KShapeInstance& inst = Make(s);
    KShapeThread* thread = inst.AddThread();
    inst.SetSequence(thread, 0, 0.5f);
    inst.Animate(0);
    inst.RenderDetail(0, nullptr, device);
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_EQ(Draws()[1].state->worldMatrices[0]._41, -0.5f);
}

TEST_F(ShapeInstanceRender, RenderFadedCrossFadesByTheCurrentSize) {
    struct Draw {
        int mesh;
        uint32_t factor;
    };
    struct Case {
        const char* name;
        float band, size, current;
        std::vector<Draw> draws;
    };
    constexpr uint32_t kFull = 0xFFFFFFFFu, kHalf = 0x7FFFFFFFu;
    const Case cases[] = {
        {"above the band", 0.15f, 0.1f, 1.0f, {{0, kFull}, {2, kFull}}},
        // The next detail at (0.25 - 0.175) / 0.15, then this one whole.
        {"within the band", 0.15f, 0.1f, 0.175f, {{1, kHalf}, {0, kFull}, {2, kFull}}},
        // The next detail whole, then this one at 0.05 / 0.1.
        {"below the band", 0.15f, 0.1f, 0.05f, {{1, kFull}, {0, kHalf}, {2, kHalf}}},
        {"no band and no size", 0.0f, 0.0f, 0.0f, {{0, kFull}, {2, kFull}}},
        {"no band, size -1", 0.0f, -1.0f, -2.0f, {{0, kFull}, {2, kFull}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        instance.reset();
        shape.Clear();
        KShapeInstance& inst = Make(TwoQuads(1));  // translucent: the fade shows in the factor
        shape.detailFadeBand[0] = c.band;
        shape.detailFadeSize[0] = c.size;
        inst.SetCurrentSize(c.current);
        lumiva::d3d9::ClearRecording();
        inst.RenderFaded(0, nullptr);
        const auto draws = Draws();
        ASSERT_EQ(draws.size(), c.draws.size());
        for (size_t i = 0; i < draws.size(); ++i) {
            EXPECT_EQ(MeshOf(draws[i]), c.draws[i].mesh) << i;
            EXPECT_EQ(draws[i].state->RenderState(D3DRS_TEXTUREFACTOR), c.draws[i].factor) << i;
        }
        // The fade in force before is back.
        lumiva::d3d9::ClearRecording();
        inst.RenderDetail(2, nullptr, nullptr);
        ASSERT_EQ(Draws().size(), 1u);
        EXPECT_EQ(Draws()[0].state->RenderState(D3DRS_TEXTUREFACTOR), kFull);
    }
}

TEST_F(ShapeInstanceRender, AFadedInstanceFadesFurther) {
    KShapeInstance& inst = Make(TwoQuads(1));
    shape.detailFadeBand[0] = 0.15f;
    shape.detailFadeSize[0] = 0.1f;
    inst.SetFade(true, 0.5f);
    inst.SetCurrentSize(0.05f);  // this detail at 0.5 of the fade
    inst.RenderFaded(0, nullptr);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_TEXTUREFACTOR), 0x7FFFFFFFu);
    EXPECT_EQ(draws[1].state->RenderState(D3DRS_TEXTUREFACTOR), 0x3FFFFFFFu);
}

}  // namespace
