// The built mesh and its plain draw: the 44-byte vertices, the calls made
// for each subset, the pixels of two subsets with two materials, and
// vertex tracks written into the vertex buffer.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cstring>

#include "AnimationFileWriter.h"
#include "MeshFileWriter.h"
#include "ModelFixture.h"
#include "scene/KAnimation.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"

namespace model_test::mesh_render_test {
namespace {

constexpr const char* kMeshPath = "\\model\\two.mesh";
constexpr const char* kMaterialPath = "\\model\\two.mtl";

struct Vertex {
    float x, y, z, nx, ny, nz;
    DWORD diffuse;
    float u0, v0, u1, v1;
};
static_assert(sizeof(Vertex) == 44);

// Two unit squares side by side in the plane z = 0.5, x from 0 to 2:
// the left one subset 0, the right one subset 1.
meshfile::Block TwoSquares() {
    meshfile::Block block;
    block.subsetCount = 2;
    for (int y = 0; y <= 1; ++y) {
        for (int x = 0; x <= 2; ++x) {
            block.positions.insert(block.positions.end(), {float(x), float(y), 0.5f});
            block.normals.insert(block.normals.end(), {0, 0, -1});
            block.colours.push_back(0xFF102030);
            block.textures[0].insert(block.textures[0].end(), {float(x) / 2, 1.0f - float(y), 0.75f});
            block.textures[1].insert(block.textures[1].end(), {9, 9, 9});
            block.textures[2].insert(block.textures[2].end(), {8, 8, 8});
        }
    }
    block.faces = {0, 3, 1, 1, 3, 4, 1, 4, 2, 2, 4, 5};
    block.attributes = {0, 0, 1, 1};
    return block;
}

class MeshRenderTest : public ModelTest {
protected:
    void LoadMesh(meshfile::Block block) {
        meshfile::File file;
        file.blocks = {std::move(block)};
        WriteModuleFile(kMeshPath, meshfile::Write(file));
        mesh.SetDevice(device);
        ASSERT_EQ(mesh.Load(kMeshPath), 0);
    }
    // Record i draws stage 0 with texture colour i.
    void LoadMaterial(std::vector<D3DCOLOR> colours, std::vector<DWORD> flags = {}) {
        std::vector<std::vector<uint8_t>> textures;
        for (D3DCOLOR colour : colours) textures.push_back(FlatDds(colour));
        LoadTexturedMaterial(material, kMaterialPath, "colour", textures, flags);
    }
    std::vector<Vertex> Vertices() {
        void* bytes = nullptr;
        EXPECT_EQ(mesh.sourceMesh->LockVertexBuffer(D3DLOCK_READONLY, &bytes), D3D_OK);
        std::vector<Vertex> out(mesh.sourceMesh->GetNumVertices());
        std::memcpy(out.data(), bytes, out.size() * sizeof(Vertex));
        mesh.sourceMesh->UnlockVertexBuffer();
        return out;
    }

    KMesh mesh;
    KMaterial material;
};

TEST_F(MeshRenderTest, PlainBuildMakesWhiteVerticesWithTheFirstTextureSetTwice) {
    const meshfile::Block block = TwoSquares();
    ASSERT_NO_FATAL_FAILURE(LoadMesh(block));
    ASSERT_NE(mesh.sourceMesh, nullptr);
    EXPECT_EQ(mesh.sourceMesh->GetFVF(), 0x252u);
    EXPECT_EQ(mesh.sourceMesh->GetNumBytesPerVertex(), 44u);
    EXPECT_EQ(mesh.sourceMesh->GetNumFaces(), 4u);
    EXPECT_EQ(mesh.sourceMesh->GetOptions() & D3DXMESH_MANAGED, DWORD(D3DXMESH_MANAGED));
    const std::vector<Vertex> vertices = Vertices();
    ASSERT_EQ(vertices.size(), 6u);
    for (size_t v = 0; v < 6; ++v) {
        EXPECT_EQ(vertices[v].x, block.positions[v * 3]);
        EXPECT_EQ(vertices[v].y, block.positions[v * 3 + 1]);
        EXPECT_EQ(vertices[v].nz, -1.0f);
        EXPECT_EQ(vertices[v].diffuse, 0xFFFFFFFFu);
        EXPECT_EQ(vertices[v].u0, block.textures[0][v * 3]);
        EXPECT_EQ(vertices[v].v0, block.textures[0][v * 3 + 1]);
        EXPECT_EQ(vertices[v].u1, vertices[v].u0);
        EXPECT_EQ(vertices[v].v1, vertices[v].v0);
    }
    void* indexBytes = nullptr;
    ASSERT_EQ(mesh.sourceMesh->LockIndexBuffer(D3DLOCK_READONLY, &indexBytes), D3D_OK);
    const auto* indices = static_cast<const WORD*>(indexBytes);
    EXPECT_EQ(std::vector<WORD>(indices, indices + 12), std::vector<WORD>(block.faces.begin(), block.faces.end()));
    mesh.sourceMesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    ASSERT_EQ(mesh.sourceMesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
    EXPECT_EQ(std::vector<DWORD>(attributes, attributes + 4), block.attributes);
    mesh.sourceMesh->UnlockAttributeBuffer();
}

// Indices reach the mesh as 16 bits; the device's 16-bit meshes stop one
// short of 65,536 vertices, so a file of 65,536 reads but does not build.
TEST_F(MeshRenderTest, LargestMeshIndexesItsLastVertex) {
    meshfile::Block block = meshfile::GridBlock(254, 256);  // 65,535 vertices
    block.faces = {0, 65534, 1};
    block.attributes = {0};
    ASSERT_NO_FATAL_FAILURE(LoadMesh(block));
    void* indexBytes = nullptr;
    ASSERT_EQ(mesh.sourceMesh->LockIndexBuffer(D3DLOCK_READONLY, &indexBytes), D3D_OK);
    EXPECT_EQ(static_cast<const WORD*>(indexBytes)[1], 65534);
    mesh.sourceMesh->UnlockIndexBuffer();

    meshfile::File file;
    file.blocks = {meshfile::GridBlock(255, 255)};
    WriteModuleFile(kMeshPath, meshfile::Write(file));
    EXPECT_EQ(mesh.Load(kMeshPath), D3DERR_INVALIDCALL);
    EXPECT_TRUE(mesh.loaded);
    EXPECT_FALSE(mesh.built);
    EXPECT_TRUE(LogLinesNaming(kMeshPath).empty());
}

TEST_F(MeshRenderTest, FailedBufferLockFailsTheBuild) {
    meshfile::File file;
    file.blocks = {TwoSquares()};
    WriteModuleFile(kMeshPath, meshfile::Write(file));
    mesh.SetDevice(device);
    for (UINT lock : {1u, 2u}) {
        lumiva::d3d9::FailBufferLockAt(lock);
        EXPECT_TRUE(FAILED(mesh.Load(kMeshPath))) << lock;
        EXPECT_FALSE(mesh.built);
        EXPECT_TRUE(mesh.positions.empty() && mesh.faces.empty() && mesh.faceAttributes.empty());
        EXPECT_EQ(mesh.Render(nullptr, 1.0f, nullptr, 0), E_FAIL);
    }
    EXPECT_EQ(mesh.Load(kMeshPath), 0);
}

// Per subset: the material applied, culling off, the subset drawn, the
// material restored; a record not to be drawn skips its subset.
TEST_F(MeshRenderTest, PlainPathRecordedPerSubset) {
    meshfile::Block block = TwoSquares();
    block.subsetCount = 3;
    ASSERT_NO_FATAL_FAILURE(LoadMesh(block));
    ASSERT_NO_FATAL_FAILURE(LoadMaterial({0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, {0, kMaterialNotDrawn, 0}));
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 5, 6, 7);
    device->SetTransform(D3DTS_WORLD, &world);
    BeginDraw();
    lumiva::d3d9::EnableRecording(true);
    ASSERT_EQ(mesh.Render(&material, 1.0f, nullptr, 0), 0);
    EndDraw();

    std::vector<std::string> steps;
    for (const auto& call : lumiva::d3d9::RecordedCalls()) {
        if (call.name == "SetMaterial") steps.push_back("apply");
        if (call.name == "SetRenderState" && call.args[0] == D3DRS_CULLMODE)
            steps.push_back("cull " + std::to_string(call.args[1]));
        if (call.name == "Mesh::DrawSubset") steps.push_back("draw " + std::to_string(call.args[1]));
    }
    const std::vector<std::string> expected = {
        "apply", "cull 2", "cull 1", "draw 0", "cull 3",  // CW by the record, NONE to draw, the device's back
        "apply", "cull 2", "cull 1", "draw 2", "cull 3",
    };
    EXPECT_EQ(steps, expected);
    D3DXMATRIX after;
    device->GetTransform(D3DTS_WORLD, &after);
    EXPECT_EQ(after, world);
}

TEST_F(MeshRenderTest, WithoutMaterialNothingIsDrawn) {
    ASSERT_NO_FATAL_FAILURE(LoadMesh(TwoSquares()));
    BeginDraw();
    lumiva::d3d9::EnableRecording(true);
    EXPECT_EQ(mesh.Render(nullptr, 1.0f, nullptr, 0), 0);
    EndDraw();
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("Mesh::DrawSubset").empty());
}

TEST_F(MeshRenderTest, TwoSubsetsDrawWithTheirOwnMaterials) {
    ASSERT_NO_FATAL_FAILURE(LoadMesh(TwoSquares()));
    ASSERT_NO_FATAL_FAILURE(LoadMaterial({0xFFFF0000, 0xFF00FF00}));
    UseFlatCamera(0, 2, 0, 1);
    BeginDraw(0xFF0000FF);
    ASSERT_EQ(mesh.Render(&material, 1.0f, nullptr, 0), 0);
    EndDraw();
    // Doubled against the mid-grey factor: 0xFE.
    for (UINT y : {1u, 8u, 14u}) {
        EXPECT_EQ(Pixel(3, y), 0xFE0000u) << y;
        EXPECT_EQ(Pixel(12, y), 0x00FE00u) << y;
    }
}

class MeshVertexTrackTest : public MeshRenderTest {
protected:
    void LoadTrack(uint32_t type, std::vector<uint32_t> vertices) {
        animfile::Track track;
        track.type = type;
        track.name = "wave";
        track.frameCount = 2;
        track.interval = 100.0f;
        track.vertices = std::move(vertices);
        for (size_t k = 0; k < track.vertices.size(); ++k) {
            track.keys.push_back({0, 0, 0});
            track.keys.push_back({2, 4, 6});
        }
        animfile::File file;
        file.tracks = {track};
        WriteModuleFile("\\model\\wave.ani", animfile::Write(file));
        ASSERT_EQ(animation.Load("\\model\\wave.ani"), 0);
    }

    KAnimation animation;
};

TEST_F(MeshVertexTrackTest, PositionsLandInTheVertexBuffer) {
    ASSERT_NO_FATAL_FAILURE(LoadMesh(TwoSquares()));
    ASSERT_NO_FATAL_FAILURE(LoadTrack(animfile::kVertexPositions, {4, 1, 6}));  // vertex 6 is past the mesh
    const std::vector<Vertex> before = Vertices();
    ASSERT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 50.0f), 0);
    const std::vector<Vertex> after = Vertices();
    for (size_t v : {1u, 4u}) {
        EXPECT_EQ(after[v].x, 1.0f);
        EXPECT_EQ(after[v].y, 2.0f);
        EXPECT_EQ(after[v].z, 3.0f);
        EXPECT_EQ(after[v].u0, before[v].u0);
        EXPECT_EQ(after[v].nz, before[v].nz);
    }
    for (size_t v : {0u, 2u, 3u, 5u}) EXPECT_EQ(std::memcmp(&after[v], &before[v], sizeof(Vertex)), 0) << v;
}

TEST_F(MeshVertexTrackTest, OffsetsAddToTheKeptPositions) {
    const meshfile::Block block = TwoSquares();
    ASSERT_NO_FATAL_FAILURE(LoadMesh(block));
    ASSERT_NO_FATAL_FAILURE(LoadTrack(animfile::kVertexOffsets, {5}));
    ASSERT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 100.0f), 0);
    const Vertex moved = Vertices()[5];
    EXPECT_EQ(moved.x, block.positions[15] + 2);
    EXPECT_EQ(moved.y, block.positions[16] + 4);
    EXPECT_EQ(moved.z, block.positions[17] + 6);
    // Offsets are taken from the file's positions each time, not added up.
    ASSERT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 100.0f), 0);
    EXPECT_EQ(Vertices()[5].x, block.positions[15] + 2);
}

TEST_F(MeshVertexTrackTest, OffsetsLeaveASkinnedMeshAlone) {
    ASSERT_NO_FATAL_FAILURE(LoadMesh(meshfile::SkinnedBlock(TwoSquares(), 2, 0)));
    ASSERT_NO_FATAL_FAILURE(LoadTrack(animfile::kVertexOffsets, {5}));
    const std::vector<Vertex> before = Vertices();
    ASSERT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 100.0f), 0);
    EXPECT_EQ(std::memcmp(Vertices().data(), before.data(), before.size() * sizeof(Vertex)), 0);
}

TEST_F(MeshVertexTrackTest, FailedLockIsReported) {
    ASSERT_NO_FATAL_FAILURE(LoadMesh(TwoSquares()));
    ASSERT_NO_FATAL_FAILURE(LoadTrack(animfile::kVertexPositions, {1}));
    lumiva::d3d9::FailBufferLockAt(1);
    EXPECT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 50.0f), E_FAIL);
    EXPECT_EQ(mesh.ApplyAnimation(&animation, 0, kPlayClamp, 50.0f), 0);
}

}  // namespace
}  // namespace model_test::mesh_render_test
