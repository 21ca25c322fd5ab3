// Scene quads (the two-point quad and the quad table) and the static mesh:
// vertex order and coordinates, refused indices and frames, a table quad
// showing its frame, capacities, triangle counts, sizes and failures.
#include <gtest/gtest.h>

#include "JpegWriter.h"
#include "draw2d/render/VertexBuilders.h"
#include "effects/KStaticMesh.h"
#include "effects/SceneEffectsFixture.h"
#include "shell/D3DDevice.h"

namespace scene_effects_test {
namespace {

class SceneQuadTest : public SceneEffectsTest {
protected:
    // One unit a pixel across the 800 x 600 screen.
    void PixelCamera() { OrthoCamera(800.0f, 600.0f); }
};

TEST_F(SceneQuadTest, TheTwoPointQuadTakesItsCornersInStripOrder) {
    const float a[3] = {1, 2, 3}, b[3] = {4, 5, 6};
    Record();
    m_shell->DrawQuad3D(a, b, 0x11223344);
    const auto draws = Calls("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[0], uint64_t{D3DPT_TRIANGLESTRIP});
    EXPECT_EQ(draws[0].args[2], 2u);
    EXPECT_EQ(draws[0].state->fvf, 0x142u);
    const auto v = Read<KSceneVertex>(m_shell->dynamicVertexBuffer, 4, size_t(draws[0].args[1]));
    const float expected[4][5] = {{1, 2, 3, 0, 0}, {1, 5, 6, 0, 1}, {4, 2, 3, 1, 0}, {4, 5, 6, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, expected[i][0]);
        EXPECT_EQ(v[i].y, expected[i][1]);
        EXPECT_EQ(v[i].z, expected[i][2]);
        EXPECT_EQ(v[i].u, expected[i][3]);
        EXPECT_EQ(v[i].v, expected[i][4]);
        EXPECT_EQ(v[i].colour, 0x11223344u);
    }
}

TEST_F(SceneQuadTest, TableEntriesHoldTheirCornersAndOutOfRangeIndicesDoNothing) {
    for (int index : {-1, 343}) m_shell->CreateTableQuad(index, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0);
    for (IDirect3DVertexBuffer9* entry : m_shell->quadTable) EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(m_shell->IsQuadTableReady(), 0);

    for (BYTE red : {BYTE{1}, BYTE{0}}) {
        m_shell->CreateTableQuad(342, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, red);
        const auto v = Read<KSceneVertex>(m_shell->quadTable[342], 4);
        const float uv[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(v[i].x, float(3 * i));
            EXPECT_EQ(v[i].z, float(3 * i + 2));
            EXPECT_EQ(v[i].u, uv[i][0]);
            EXPECT_EQ(v[i].v, uv[i][1]);
            EXPECT_EQ(v[i].colour, red ? 0xFFFF0000u : 0xFFFFFFFFu);
        }
    }
    EXPECT_EQ(m_shell->IsQuadTableReady(), 1);
    D3DVERTEXBUFFER_DESC desc{};
    m_shell->quadTable[342]->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 96u);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);

    lumiva::d3d9::FailCreationAt(1);
    m_shell->CreateTableQuad(7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(m_shell->quadTable[7], nullptr);
}

TEST_F(SceneQuadTest, ATableQuadShowsItsFrameAndRefusesOthers) {
    const SprPixels red{4, 4, 0, 0, std::vector<uint32_t>(16, 0xFFFF0000)};
    const SprPixels green{4, 4, 0, 0, std::vector<uint32_t>(16, 0xFF00FF00)};
    WriteDataFile("pic/q.spr", WriteSpr(SprSpriteInfo{4, 4}, {red, green}));
    PixelCamera();
    m_shell->CreateTableQuad(3, -50, -50, 10, -50, 50, 10, 50, 50, 10, 50, -50, 10, 0);
    ClearScreen(0xFF000000);
    Record();
    m_shell->DrawTableQuad("pic\\q.spr", 2, 3);    // frame = count
    m_shell->DrawTableQuad("pic\\q.spr", -1, 3);   // negative frame
    m_shell->DrawTableQuad("pic\\q.spr", 1, 4);    // empty entry
    m_shell->DrawTableQuad("pic\\q.spr", 1, 343);
    m_shell->DrawTableQuad("pic\\none.spr", 0, 3);
    EXPECT_TRUE(Calls("DrawPrimitive").empty());
    m_shell->DrawTableQuad("pic\\q.spr", 1, 3);
    const auto draws = Calls("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args, (std::vector<uint64_t>{D3DPT_TRIANGLEFAN, 0, 2}));
    const auto image = BackBuffer();
    EXPECT_EQ(image.At(400, 300), 0xFF00FF00u);
    EXPECT_EQ(image.At(400 + 40, 300 - 40), 0xFF00FF00u);
    EXPECT_EQ(image.At(400 + 60, 300) & 0xFFFFFF, 0u);
}

using StaticMeshTest = SceneQuadTest;

std::vector<KMeshVertex> MeshVertices(int n) {
    std::vector<KMeshVertex> v(size_t(n), KMeshVertex{0, 0, 0, 0, 0});
    return v;
}

TEST_F(StaticMeshTest, CountsMustStayBelowTheCapacities) {
    KStaticMesh mesh;
    ASSERT_EQ(mesh.Create(Device(), 4, 11), 0);
    const auto four = MeshVertices(4);
    EXPECT_FALSE(mesh.SetVertices(four.data(), 80));
    EXPECT_EQ(mesh.vertexCount, 0u);
    EXPECT_TRUE(mesh.SetVertices(four.data(), 60 + 19));  // a part-vertex is ignored
    EXPECT_EQ(mesh.vertexCount, 3u);
    EXPECT_FALSE(mesh.SetVertices(nullptr, 20));
    EXPECT_EQ(mesh.vertexCount, 0u);

    const WORD indices[10] = {0, 1, 2, 0, 2, 1, 1, 2, 0, 2};
    struct Case {
        uint32_t bytes;
        bool accepted;
        uint32_t triangles;
    };
    for (const Case c : {Case{18, true, 3}, Case{20, true, 3}, Case{4, true, 0}, Case{22, false, 0}}) {
        EXPECT_EQ(mesh.SetIndices(indices, c.bytes), c.accepted) << c.bytes;
        EXPECT_EQ(mesh.triangleCount, c.triangles) << c.bytes;
    }
    EXPECT_EQ(mesh.SetIndices(indices, 20), true);
    EXPECT_EQ(Read<WORD>(mesh.indexBuffer, 10)[9], 2);  // the tenth is copied
    D3DINDEXBUFFER_DESC desc{};
    mesh.indexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 44u);  // room for twice the capacity

    lumiva::d3d9::FailBufferLockAt(1);
    EXPECT_FALSE(mesh.SetVertices(four.data(), 60));
    EXPECT_EQ(mesh.vertexCount, 0u);  // a failed lock leaves nothing to draw
    Record();
    mesh.Render();
    EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());
}

TEST_F(StaticMeshTest, SizesAreWholeBoxExtents) {
    KStaticMesh mesh;
    ASSERT_EQ(mesh.Create(Device(), 8, 8), 0);
    const KMeshVertex v[3] = {{-0.5f, 0, 10, 0, 0}, {2.9f, 0.9f, 3, 0, 0}, {1, 0.5f, -12.5f, 0, 0}};
    ASSERT_TRUE(mesh.SetVertices(v, sizeof v));
    EXPECT_EQ(mesh.GetSizeX(), 3.0f);
    EXPECT_EQ(mesh.GetSizeY(), 0.0f);
    EXPECT_EQ(mesh.GetSizeZ(), 22.0f);
}

TEST_F(StaticMeshTest, CreationRefusesBadSizesAndKeepsEmptyMeshesWithoutADevice) {
    KStaticMesh mesh;
    EXPECT_EQ(mesh.Create(nullptr, 4, 4), 1);
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    for (auto [vertices, indices] : {std::pair{-1, 4}, std::pair{4, -1}, std::pair{0x0CCCCCCD, 4},
                                     std::pair{4, 0x40000000}}) {
        EXPECT_EQ(mesh.Create(Device(), vertices, indices), E_FAIL) << vertices << " " << indices;
        EXPECT_EQ(m_shell->CreateStaticMesh(vertices, indices), nullptr);
    }
    lumiva::d3d9::FailCreationAt(2);
    EXPECT_EQ(mesh.Create(Device(), 4, 4), E_FAIL);
    mesh.Release();

    IDirect3DDevice9* device = g_D3DDevice.device;
    g_D3DDevice.device = nullptr;
    KStaticMesh* empty = m_shell->CreateStaticMesh(4, 4);
    g_D3DDevice.device = device;
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->vertexCapacity, 0u);
    delete empty;
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

TEST_F(StaticMeshTest, ATexturedMeshDrawsItsTriangles) {
    KStaticMesh* mesh = m_shell->CreateStaticMesh(8, 8);
    ASSERT_NE(mesh, nullptr);
    const std::vector<uint8_t> grey(16 * 16 * 3, 0x80);
    const std::vector<uint8_t> jpeg = EncodeJpeg(grey, 16, 16);
    EXPECT_TRUE(mesh->SetTexture(jpeg.data(), int32_t(jpeg.size())));
    EXPECT_NE(mesh->texture, nullptr);
    EXPECT_FALSE(mesh->SetTexture(jpeg.data(), 0));
    EXPECT_EQ(mesh->texture, nullptr);
    EXPECT_FALSE(mesh->SetTexture(jpeg.data(), 10));  // not an image
    EXPECT_TRUE(mesh->SetTexture(jpeg.data(), int32_t(jpeg.size())));

    const KMeshVertex v[4] = {{-50, -50, 10, 0, 1}, {-50, 50, 10, 0, 0}, {50, 50, 10, 1, 0}, {50, -50, 10, 1, 1}};
    const WORD indices[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_TRUE(mesh->SetVertices(v, sizeof v));
    ASSERT_TRUE(mesh->SetIndices(indices, sizeof indices));
    PixelCamera();
    Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    ClearScreen(0xFF000000);
    Record();
    mesh->Render();
    const auto draws = Calls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2}));
    EXPECT_EQ(draws[0].state->fvf, 0x102u);
    const auto image = BackBuffer();
    EXPECT_NEAR(Channel(image.At(400, 300), 16), 0x80, 2);
    EXPECT_EQ(image.At(400 + 60, 300) & 0xFFFFFF, 0u);
    Device()->SetTexture(0, nullptr);
    delete mesh;
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

}  // namespace
}  // namespace scene_effects_test
