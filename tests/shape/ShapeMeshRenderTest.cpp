// Drawing shape meshes: the calls and states a Render leaves on the
// recorder, the vertex buffer it fills and rewrites, and the pixels.
#include <cmath>

#include "ShapeRenderFixture.h"
#include "shape/ShapeObjectDraw.h"

namespace {

using lumiva::d3d9::RecordedCall;

// A quad (two frames of four vertices, wound to face the camera) with one
// triangle list per material case:
//   0 "body" opaque, 1 "S_glow" translucent (additive), 2 "glass"
//   translucent (alpha), 3 unnamed translucent, then one without material.
dts::Shape MaterialsShape() {
    dts::Shape s = dts::SingleMeshShape(3, 1);
    s.materials = {{"body", 0, 0, -1, -1, 1, 1},
                   {"S_glow", 4, 1, -1, -1, 1, 1},
                   {"glass", 4, 2, -1, -1, 1, 1},
                   {"", 4, 3, -1, -1, 1, 1}};
    dts::Mesh m;
    m.frameCount = 2;
    m.verticesPerFrame = 4;
    for (float z : {-0.5f, -0.25f})
        for (dts::Vec3 p : {dts::Vec3{0, 0, z}, {1, 0, z}, {0, 1, z}, {1, 1, z}}) {
            m.vertices.push_back(p);
            m.normals.push_back({0, 0, 1});
        }
    m.texCoords = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}};
    const uint16_t quad[6] = {0, 2, 1, 1, 2, 3};
    for (uint32_t material : {0u, 1u, 2u, 3u, dts::kNoMaterial}) {
        m.primitives.push_back({uint16_t(m.indices.size()), 6, material});
        m.indices.insert(m.indices.end(), quad, quad + 6);
    }
    s.meshes = {m};
    return s;
}

// A world transform that moves by (x, y, z).
D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1;
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

class ShapeMeshRender : public shapetest::ShapeRenderTest {
protected:
    KShapeMesh* LoadMaterials() {
        EXPECT_TRUE(Read(MaterialsShape(), shape)) << RefusalLine();
        for (uint32_t i = 0; i < 4; ++i) GiveTexture(i, 0xFF00FF00u);
        return shape.ObjectMesh(0);
    }
};

TEST_F(ShapeMeshRender, BuildsManagedBuffersOfTheMeshVertex) {
    KShapeMesh* mesh = LoadMaterials();
    mesh->Render(0, 0, shape.materials, device);
    const auto created = lumiva::d3d9::RecordedCallsNamed("CreateVertexBuffer");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].args[0], 8u * 76u);
    EXPECT_EQ(created[0].args[1], 0u);
    EXPECT_EQ(created[0].args[2], 0x1500512u);
    EXPECT_EQ(created[0].args[3], uint64_t(D3DPOOL_MANAGED));
    const auto indexBuffers = lumiva::d3d9::RecordedCallsNamed("CreateIndexBuffer");
    ASSERT_EQ(indexBuffers.size(), 5u);
    EXPECT_EQ(indexBuffers[0].args[0], 12u);
    EXPECT_EQ(indexBuffers[0].args[2], uint64_t(D3DFMT_INDEX16));
    EXPECT_EQ(indexBuffers[0].args[3], uint64_t(D3DPOOL_MANAGED));

    // Vertex 1: position, normal, uv, (0, 0), tangent, binormal, normal.
    void* locked = nullptr;
    ASSERT_EQ(mesh->VertexBuffer()->Lock(0, 0, &locked, D3DLOCK_READONLY), D3D_OK);
    float v[19];
    std::memcpy(v, static_cast<const uint8_t*>(locked) + 76, sizeof v);
    mesh->VertexBuffer()->Unlock();
    const float want[19] = {1, 0, -0.5f, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 19; ++i) EXPECT_EQ(v[i], want[i]) << "float " << i;

    // A second draw of the same frame makes nothing new.
    lumiva::d3d9::ClearRecording();
    mesh->Render(0, 0, shape.materials, device);
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("CreateVertexBuffer").empty());
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("VertexBuffer::Lock").empty());
}

TEST_F(ShapeMeshRender, MaterialsChooseOpaqueAdditiveAlphaOrNothing) {
    KShapeMesh* mesh = LoadMaterials();
    g_ShapeDrawParams.visibility = 0.5f;
    mesh->Render(0, 0, shape.materials, device);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 4u);  // the unnamed translucent material draws nothing
    const auto& opaque = *draws[0].state;
    EXPECT_EQ(opaque.RenderState(D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(opaque.RenderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(opaque.textures[0], shape.materials.Texture(0));
    EXPECT_EQ(opaque.StageState(0, D3DTSS_COLOROP), uint32_t(D3DTOP_SELECTARG1));
    EXPECT_EQ(opaque.fvf, 0x1500512u);
    EXPECT_EQ(opaque.streams[0].stride, 76u);
    EXPECT_EQ(opaque.RenderState(D3DRS_CULLMODE), uint32_t(D3DCULL_CCW));
    EXPECT_EQ(opaque.RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(opaque.SamplerState(7, D3DSAMP_MIPFILTER), uint32_t(D3DTEXF_NONE));
    EXPECT_EQ(opaque.SamplerState(3, D3DSAMP_ADDRESSU), uint32_t(D3DTADDRESS_WRAP));

    const auto& additive = *draws[1].state;
    EXPECT_EQ(additive.RenderState(D3DRS_ZWRITEENABLE), 0u);
    EXPECT_EQ(additive.RenderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(additive.RenderState(D3DRS_SRCBLEND), uint32_t(D3DBLEND_ONE));
    EXPECT_EQ(additive.RenderState(D3DRS_DESTBLEND), uint32_t(D3DBLEND_INVSRCCOLOR));
    EXPECT_EQ(additive.RenderState(D3DRS_TEXTUREFACTOR), 0x7F7F7F7Fu);
    EXPECT_EQ(additive.StageState(0, D3DTSS_COLOROP), uint32_t(D3DTOP_MODULATE));
    EXPECT_EQ(additive.StageState(0, D3DTSS_COLORARG2), uint32_t(D3DTA_TFACTOR));

    const auto& alpha = *draws[2].state;
    EXPECT_EQ(alpha.RenderState(D3DRS_SRCBLEND), uint32_t(D3DBLEND_SRCALPHA));
    EXPECT_EQ(alpha.RenderState(D3DRS_DESTBLEND), uint32_t(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(alpha.RenderState(D3DRS_TEXTUREFACTOR), 0x7FFFFFFFu);
    EXPECT_EQ(alpha.StageState(0, D3DTSS_ALPHAOP), uint32_t(D3DTOP_MODULATE));
    EXPECT_EQ(alpha.StageState(0, D3DTSS_ALPHAARG2), uint32_t(D3DTA_TFACTOR));

    // No material: drawn untextured and opaque.
    const auto& bare = *draws[3].state;
    EXPECT_EQ(bare.textures[0], nullptr);
    EXPECT_EQ(bare.RenderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(bare.RenderState(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
}

TEST_F(ShapeMeshRender, FullVisibilityLeavesTheFactorAndAFadeLowersIt) {
    KShapeMesh* mesh = LoadMaterials();
    mesh->Render(0, 0, shape.materials, device);
    EXPECT_EQ(Draws()[1].state->RenderState(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
    EXPECT_EQ(Draws()[1].state->StageState(0, D3DTSS_COLOROP), uint32_t(D3DTOP_SELECTARG1));
    lumiva::d3d9::ClearRecording();
    g_ShapeDrawParams.fade = true;
    g_ShapeDrawParams.fadeAlpha = 0.25f;
    mesh->Render(0, 0, shape.materials, device);
    EXPECT_EQ(Draws()[2].state->RenderState(D3DRS_TEXTUREFACTOR), 0x3FFFFFFFu);
}

TEST_F(ShapeMeshRender, DrawsAFrameFromItsBaseVertex) {
    KShapeMesh* mesh = LoadMaterials();
    mesh->Render(1, 0, shape.materials, device);
    const auto draws = Draws();
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws[0].args, (std::vector<uint64_t>{uint64_t(D3DPT_TRIANGLELIST), 4, 0, 4, 0, 2}));
    // A frame whose vertices are not all there draws nothing.
    lumiva::d3d9::ClearRecording();
    mesh->Render(2, 0, shape.materials, device);
    EXPECT_TRUE(Draws().empty());
}

TEST_F(ShapeMeshRender, CullingAndTheViewAreGivenBack) {
    KShapeMesh* mesh = LoadMaterials();
    const D3DMATRIX view = Translation(1, 2, 3);
    device->SetTransform(D3DTS_VIEW, &view);
    mesh->typeFlags |= kShapeMeshBillboard;
    mesh->Render(0, 0, shape.materials, device);
    const auto draws = Draws();
    ASSERT_FALSE(draws.empty());
    // A billboard draws through a replaced view with no world.
    EXPECT_NE(std::memcmp(&draws[0].state->view, &view, sizeof view), 0);
    EXPECT_EQ(draws[0].state->worldMatrices[0]._11, 1.0f);
    EXPECT_EQ(draws[0].state->worldMatrices[0]._41, 0.0f);
    D3DMATRIX after{};
    device->GetTransform(D3DTS_VIEW, &after);
    EXPECT_EQ(std::memcmp(&after, &view, sizeof view), 0);
    DWORD cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, uint32_t(D3DCULL_NONE));
}

TEST_F(ShapeMeshRender, FrameRewriteMovesTextureCoordinateZero) {
    KShapeMesh* mesh = LoadMaterials();
    mesh->Render(0, 1, shape.materials, device);
    void* locked = nullptr;
    ASSERT_EQ(mesh->VertexBuffer()->Lock(0, 0, &locked, D3DLOCK_READONLY), D3D_OK);
    auto uvOf = [&](int vertex) {
        float uv[2];
        std::memcpy(uv, static_cast<const uint8_t*>(locked) + vertex * 76 + 24, sizeof uv);
        return std::vector<float>{uv[0], uv[1]};
    };
    // Frame 0's vertices take the coordinates of material frame 1; frame 1's
    // keep what the build gave them.
    for (int v = 0; v < 4; ++v) EXPECT_EQ(uvOf(v), (std::vector<float>{0.5f, 0.5f})) << v;
    EXPECT_EQ(uvOf(5), (std::vector<float>{0.5f, 0.5f}));
    mesh->VertexBuffer()->Unlock();
    mesh->Render(1, 0, shape.materials, device);
    ASSERT_EQ(mesh->VertexBuffer()->Lock(0, 0, &locked, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(uvOf(5), (std::vector<float>{1.0f, 0.0f}));
    mesh->VertexBuffer()->Unlock();
}

TEST_F(ShapeMeshRender, NoBuffersNoDrawing) {
    KShapeMesh* mesh = LoadMaterials();
    lumiva::d3d9::FailCreationAt(1);
    mesh->Render(0, 0, shape.materials, device);
    EXPECT_EQ(mesh->VertexBuffer(), nullptr);
    EXPECT_TRUE(Draws().empty());
    // An index buffer that cannot be made gives the vertex buffer back too.
    lumiva::d3d9::FailCreationAt(3);
    mesh->Render(0, 0, shape.materials, device);
    EXPECT_EQ(mesh->VertexBuffer(), nullptr);
    EXPECT_TRUE(Draws().empty());
    mesh->Render(0, 0, shape.materials, device);
    EXPECT_EQ(Draws().size(), 4u);
}

TEST_F(ShapeMeshRender, ATexturedQuadLandsWhereWorldAndMirrorPutIt) {
    KShapeMesh* mesh = LoadMaterials();
    // The shape's z of -0.5 turns to +0.5 in front of the camera; the world
    // moves the quad to the lower left quarter of the clip square.
    g_ShapeDrawParams.world = Translation(-1, -1, 0);
    mesh->primitives.count = 1;
    mesh->Render(0, 0, shape.materials, device);
    ASSERT_EQ(Draws().size(), 1u);
    for (UINT y = 0; y < kSize; ++y)
        for (UINT x = 0; x < kSize; ++x)
            EXPECT_EQ(Pixel(x, y), x < 8 && y >= 8 ? 0x00FF00u : 0u) << x << "," << y;
}

TEST_F(ShapeMeshRender, AnAlphaMaterialAtHalfVisibilityBlendsHalfWay) {
    KShapeMesh* mesh = LoadMaterials();
    g_ShapeDrawParams.world = Translation(-1, -1, 0);
    g_ShapeDrawParams.visibility = 0.5f;
    mesh->primitives[0].material = 2;  // glass
    mesh->primitives.count = 1;
    mesh->Render(0, 0, shape.materials, device);
    const D3DCOLOR pixel = Pixel(2, 12);
    EXPECT_NEAR(int(pixel >> 8 & 0xFF), 127, 1);
    EXPECT_EQ(pixel & 0xFF00FFu, 0u);
}

// A primitive without a material draws untextured under the shape's stage
// (SELECTARG1 texture): the stage passes its incoming colour, the lit one
// when lighting is on, the default white of a vertex without colour when
// it is off.
TEST_F(ShapeMeshRender, APrimitiveWithoutAMaterialShowsItsIncomingColour) {
    const struct {
        BOOL lighting;
        D3DCOLOR expected;
    } cases[] = {{FALSE, 0xFFFFFFu}, {TRUE, 0x406080u}};
    KShapeMesh* mesh = LoadMaterials();
    g_ShapeDrawParams.world = Translation(-1, -1, 0);
    mesh->primitives[0].material = kPrimitiveNoMaterial;
    mesh->primitives.count = 1;
    D3DMATERIAL9 material{};
    material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Diffuse.a = 1.0f;
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF406080u);
    for (const auto& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->SetRenderState(D3DRS_LIGHTING, c.lighting);
        lumiva::d3d9::ClearRecording();
        mesh->Render(0, 0, shape.materials, device);
        const auto draws = Draws();
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].state->textures[0], nullptr);
        EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLORARG1), uint32_t(D3DTA_TEXTURE));
        EXPECT_EQ(Pixel(2, 12), c.expected) << "lighting " << c.lighting;
    }
}

TEST_F(ShapeMeshRender, ASkinnedMeshDrawsItsPosedVertices) {
    ASSERT_TRUE(Read(dts::SampleShape(24), shape)) << RefusalLine();
    auto* skin = static_cast<KShapeSkinMesh*>(shape.ObjectMesh(2));
    std::vector<float> nodes = shapetest::IdentityNodeMatrices(6);
    nodes[2 * 16 + 3] = 10;
    g_ShapeDrawParams.nodeMatrices = nodes.data();
    g_ShapeDrawParams.nodeCount = 6;
    skin->Render(0, 0, shape.materials, device);
    ASSERT_NE(skin->VertexBuffer(), nullptr);
    void* locked = nullptr;
    ASSERT_EQ(skin->VertexBuffer()->Lock(0, 0, &locked, D3DLOCK_READONLY), D3D_OK);
    float x0;
    std::memcpy(&x0, locked, 4);
    skin->VertexBuffer()->Unlock();
    EXPECT_EQ(x0, 10.0f);
    // Each draw makes the buffers again from the new pose.
    skin->Render(0, 0, shape.materials, device);
    EXPECT_EQ(lumiva::d3d9::RecordedCallsNamed("CreateVertexBuffer").size(), 2u);
}

TEST_F(ShapeMeshRender, AnObjectDrawsWithItsNodeMatrixTransposedAndItsVisibility) {
    ASSERT_TRUE(Read(dts::SampleShape(24), shape)) << RefusalLine();
    std::vector<float> nodes = shapetest::IdentityNodeMatrices(6);
    nodes[1 * 16 + 3] = 4;  // node 1 moves x by 4 (node form: element 3)
    g_ShapeDrawParams.nodeMatrices = nodes.data();
    g_ShapeDrawParams.nodeCount = 6;
    DrawShapeObject(shape, 0, 0, 0, 0, 0.01f, shape.materials, device);
    EXPECT_TRUE(Draws().empty());
    DrawShapeObject(shape, 0, 2, 0, 0, 1.0f, shape.materials, device);  // no third level
    EXPECT_TRUE(Draws().empty());
    DrawShapeObject(shape, 0, 0, 0, 0, 0.75f, shape.materials, device);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(shape.ObjectMesh(0)->currentMatrix[12], 4.0f);
    EXPECT_EQ(g_ShapeDrawParams.visibility, 0.75f);
    const D3DMATRIX& world = Draws()[0].state->worldMatrices[0];
    EXPECT_EQ(world._41, 4.0f);
    EXPECT_EQ(world._33, -1.0f);  // the z mirror
}

TEST_F(ShapeMeshRender, ReadingAgainReleasesTheOldMeshesBuffers) {
    const UINT before = lumiva::d3d9::LiveResourceCount();
    KShapeMesh* mesh = LoadMaterials();
    mesh->Render(0, 0, shape.materials, device);
    // The device lets go of what the draw left bound.
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    device->SetTexture(0, nullptr);
    EXPECT_GT(lumiva::d3d9::LiveResourceCount(), before + 4 + 1 + 5);  // textures, vertex and index buffers
    dts::Shape bad = MaterialsShape();
    bad.overrides.badGuard = 2;
    EXPECT_FALSE(Read(bad, shape));
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), before);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

}  // namespace
