// Shape meshes as the reader builds them: strips made lists, polygon
// counts, tangents, recomputed bounds and skinned re-posing.
#include <cmath>

#include "ShapeTestSupport.h"
#include "shape/ShapeStrips.h"

namespace {

// A shape of one object whose one mesh is m.
dts::Shape OneMesh(const dts::Mesh& m, uint32_t version = 24) {
    dts::Shape s = dts::SingleMeshShape(3, 1);
    s.version = version;
    s.meshes = {m};
    return s;
}

dts::Mesh Quad(std::vector<dts::Vec2> uv) {
    dts::Mesh m;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    m.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    m.texCoords = std::move(uv);
    m.primitives = {{0, 4, dts::kStrip}};
    m.indices = {0, 1, 2, 3};
    m.verticesPerFrame = 4;
    return m;
}

std::vector<uint16_t> StripList(std::vector<uint16_t> strip) {
    std::vector<uint16_t> out(strip.size() * 3);
    out.resize(StripToList(strip.data(), uint32_t(strip.size()), out.data()));
    return out;
}

TEST(ShapeStrips, WindowsBecomeTrianglesAndOddPlacesSwap) {
    EXPECT_EQ(StripList({0, 1, 2, 3}), (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));
    // Repeats drop their windows; the swap follows each window's place in
    // the strip, not the count of triangles made so far.
    EXPECT_EQ(StripList({0, 1, 2, 2, 3, 4, 5}), (std::vector<uint16_t>{0, 1, 2, 3, 2, 4, 3, 4, 5}));
    EXPECT_EQ(StripList({0, 1, 0, 2, 3}), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(StripList({4, 5}), std::vector<uint16_t>{});
    EXPECT_EQ(StripToList(nullptr, 0, nullptr), 0u);
}

class ShapeMeshes : public shapetest::ShapeTest {};

TEST_F(ShapeMeshes, ConvertedStripsAreListsAndPolygonCountsAgree) {
    dts::Mesh m = Quad({{0, 0}});
    m.vertices.resize(9);
    m.normals.resize(9);
    m.verticesPerFrame = 9;
    m.primitives = {{0, 9, 0}, {9, 5, dts::kStrip | 1u << 29}, {14, 2, dts::kFan}, {16, 2, dts::kStrip}};
    m.indices = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    KShape shape;
    ASSERT_TRUE(Read(OneMesh(m), shape)) << RefusalLine();
    const KShapeMesh* mesh = shape.ObjectMesh(0);
    ASSERT_EQ(mesh->primitives.count, 4u);
    EXPECT_EQ(mesh->GetPolyCount(), 3u + 3u);  // a fan or strip under 3 indices gives none
    const KShapePrimitive& strip = mesh->primitives[1];
    EXPECT_EQ(strip.start, 9u);
    EXPECT_EQ(strip.count, 9u);
    EXPECT_EQ(strip.material, 1u << 29);  // a list now; other bits kept
    const std::vector<uint16_t> converted(mesh->indices.data + 9, mesh->indices.data + 18);
    EXPECT_EQ(converted, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3, 2, 3, 4}));
    EXPECT_EQ(mesh->primitives[2].material, dts::kFan);
    EXPECT_EQ(mesh->primitives[3].count, 0u);
    EXPECT_EQ(mesh->indices.count, 9u + 9u + 2u);
}

struct TangentCase {
    const char* name;
    std::vector<dts::Vec2> uv;
    float x, w;
};

TEST_F(ShapeMeshes, TangentsFollowTheTextureAndItsHandedness) {
    const TangentCase cases[] = {
        {"u along x", {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 1, 1},
        {"u mirrored", {{1, 0}, {0, 0}, {1, 1}, {0, 1}}, -1, -1},
        // Nothing to follow: the tangent falls back to (0, 0, 1).
        {"one texel", {{0.5f, 0.5f}}, 0, 1},
        {"no coordinates", {}, 0, 1},
    };
    for (const TangentCase& c : cases) {
        KShape shape;
        ASSERT_TRUE(Read(OneMesh(Quad(c.uv)), shape)) << c.name << ": " << RefusalLine();
        const KShapeMesh* mesh = shape.ObjectMesh(0);
        for (uint32_t v = 0; v < 4; ++v) {
            const KShapeTangent& t = mesh->tangents[v];
            EXPECT_NEAR(t.x, c.x, 1e-6f) << c.name << " vertex " << v;
            EXPECT_NEAR(t.y, 0.0f, 1e-6f) << c.name << " vertex " << v;
            EXPECT_NEAR(t.z, c.x == 0 ? 1.0f : 0.0f, 1e-6f) << c.name << " vertex " << v;
            EXPECT_EQ(t.w, c.w) << c.name << " vertex " << v;
        }
    }
}

TEST_F(ShapeMeshes, BoundsAreRecomputedBelowVersion19) {
    dts::Mesh m = Quad({{0, 0}});
    for (float& b : m.bounds) b = 7;
    m.centre = {7, 7, 7};
    m.radius = 7;
    for (uint32_t v : {18u, 19u}) {
        KShape shape;
        ASSERT_TRUE(Read(OneMesh(m, v), shape)) << RefusalLine();
        const KShapeMesh* mesh = shape.ObjectMesh(0);
        if (v == 19) {
            EXPECT_EQ(mesh->bounds[0], 7.0f);
            EXPECT_EQ(mesh->radius, 7.0f);
            continue;
        }
        const float want[6] = {0, 0, 0, 1, 1, 0};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(mesh->bounds[i], want[i]) << i;
        EXPECT_EQ(mesh->centre.x, 0.5f);
        EXPECT_EQ(mesh->centre.y, 0.5f);
        EXPECT_FLOAT_EQ(mesh->radius, std::sqrt(0.5f));
    }
}

TEST_F(ShapeMeshes, ComputeBoundsOfOneFrameMovedByANodeMatrix) {
    dts::Mesh m = Quad({{0, 0}});
    m.vertices.push_back({5, 5, 5});
    m.normals.push_back({0, 0, 1});
    m.verticesPerFrame = 2;
    m.frameCount = 1;
    KShape shape;
    ASSERT_TRUE(Read(OneMesh(m), shape)) << RefusalLine();
    const float move[16] = {2, 0, 0, 10, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float box[6];
    KShapeVec3 centre;
    float radius;
    shape.ObjectMesh(0)->ComputeBounds(move, box, 1, &centre, &radius);  // vertices 2 and 3
    EXPECT_EQ(std::vector<float>(box, box + 6), (std::vector<float>{10, 1, 0, 12, 1, 0}));
    EXPECT_EQ(centre.x, 11.0f);
    EXPECT_EQ(radius, 1.0f);
    shape.ObjectMesh(0)->ComputeBounds(nullptr, box, -1, &centre, &radius);
    EXPECT_EQ(box[3], 5.0f);
    shape.ObjectMesh(0)->ComputeBounds(nullptr, box, 3, &centre, &radius);  // past the end
    EXPECT_EQ(radius, 0.0f);
}

TEST_F(ShapeMeshes, ASkinnedVertexHalfOnEachOfTwoBones) {
    KShape shape;
    ASSERT_TRUE(Read(dts::SampleShape(24), shape)) << RefusalLine();
    auto* skin = static_cast<KShapeSkinMesh*>(shape.ObjectMesh(2));
    // Node 2 moves by x + 10, node 3 by y + 20; the bones' own transforms are
    // identities.
    std::vector<float> nodes = shapetest::IdentityNodeMatrices(6);
    nodes[2 * 16 + 3] = 10;
    nodes[3 * 16 + 7] = 20;
    skin->Repose(nodes.data(), 6);
    const KShapeVec3 want[] = {{10, 0, 0}, {0.5f * 12 + 0.5f * 2, 0.5f * 20, 0}, {0, 22, 0}};
    for (uint32_t v = 0; v < 3; ++v) {
        EXPECT_FLOAT_EQ(skin->vertices[v].x, want[v].x) << v;
        EXPECT_FLOAT_EQ(skin->vertices[v].y, want[v].y) << v;
        EXPECT_FLOAT_EQ(skin->normals[v].z, 1.0f) << v;
        EXPECT_FLOAT_EQ(skin->tangents[v].x, 1.0f) << v;
    }
    // Posing again starts from the initial vertices, not the posed ones.
    skin->Repose(nodes.data(), 6);
    EXPECT_FLOAT_EQ(skin->vertices[1].x, 7.0f);
}

}  // namespace
