#include <cmath>

#include "XFileWriter.h"
#include "effects/BeamFixture.h"
#include "effects/KDebugMeshSet.h"
#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"

namespace beam_test {
namespace {

// A cube between y = 10 and 20, x and z within 4 of 0. Upright on the
// screen (turned a quarter about x) its y = 10 face looks at the camera:
// its left half textured (material 0), the right half and every other face
// plain green (material 1).
XFileScene Cube() {
    XFileMesh mesh;
    auto quad = [&](std::array<std::array<float, 3>, 4> corners, std::array<float, 3> normal, uint32_t material) {
        const uint32_t base = uint32_t(mesh.positions.size());
        const std::array<float, 2> uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int i = 0; i < 4; ++i) {
            mesh.positions.push_back(corners[i]);
            mesh.normals.push_back(normal);
            mesh.texcoords.push_back(uv[i]);
        }
        for (const std::vector<uint32_t>& face : {std::vector<uint32_t>{base, base + 1, base + 2},
                                                  std::vector<uint32_t>{base, base + 2, base + 3}}) {
            mesh.faces.push_back(face);
            mesh.normalFaces.push_back(face);
            mesh.faceMaterials.push_back(material);
        }
    };
    const float lo = 10, hi = 20, r = 4;
    quad({{{-r, lo, -r}, {0, lo, -r}, {0, lo, r}, {-r, lo, r}}}, {0, -1, 0}, 0);
    quad({{{0, lo, -r}, {r, lo, -r}, {r, lo, r}, {0, lo, r}}}, {0, -1, 0}, 1);
    quad({{{-r, hi, -r}, {-r, hi, r}, {r, hi, r}, {r, hi, -r}}}, {0, 1, 0}, 1);
    quad({{{-r, lo, -r}, {-r, hi, -r}, {r, hi, -r}, {r, lo, -r}}}, {0, 0, -1}, 1);
    quad({{{-r, lo, r}, {r, lo, r}, {r, hi, r}, {-r, hi, r}}}, {0, 0, 1}, 1);
    quad({{{-r, lo, -r}, {-r, lo, r}, {-r, hi, r}, {-r, hi, -r}}}, {-1, 0, 0}, 1);
    quad({{{r, lo, -r}, {r, hi, -r}, {r, hi, r}, {r, lo, r}}}, {1, 0, 0}, 1);
    XFileMaterial textured;
    textured.texture = "red.dds";
    XFileMaterial plain;
    plain.diffuse = {0.0f, 1.0f, 0.0f, 1.0f};
    mesh.materials = {textured, plain};
    XFileScene scene;
    scene.meshes = {mesh};
    return scene;
}

class DebugMesh : public BeamTest {
protected:
    void SetUp() override {
        BeamTest::SetUp();
        g_DebugMeshAngle = 0.0f;
    }
    void WriteCube() {
        WriteModuleFile("\\debugmesh\\Mesh.X", WriteXFileText(Cube()));
        WriteModuleFile("\\debugmesh\\red.dds", FlatDds(0xFFFF0000));
    }
    void UseCamera() {
        D3DXMATRIX identity, projection;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixOrthoLH(&projection, 80.0f, 60.0f, 0.0f, 100.0f);
        Device()->SetTransform(D3DTS_VIEW, &identity);
        Device()->SetTransform(D3DTS_PROJECTION, &projection);
    }
    // The textured half, the plain half and a point beside the cube, drawn
    // at (10, 5).
    std::vector<D3DCOLOR> Samples() {
        return {PixelAt(8, 5) & 0xFFFFFF, PixelAt(12, 5) & 0xFFFFFF, PixelAt(-10, 5) & 0xFFFFFF};
    }
    static D3DXMATRIX ExpectedWorld(float angle, float x, float y) {
        D3DXMATRIX upright, turn, world;
        D3DXMatrixRotationX(&upright, 1.5707964f);
        D3DXMatrixRotationZ(&turn, angle);
        world = upright * turn;
        world._41 = x, world._42 = y, world._43 = 0;
        return world;
    }
};

TEST_F(DebugMesh, DrawSetsItsStatesLightAndMaterialsAndGivesTheWorldBack) {
    WriteCube();
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 1, 2, 3);
    Device()->SetTransform(D3DTS_WORLD, &moved);
    BeginDraw();
    Record();
    m_shell->RenderDebugMeshes(1, 10, DWORD(-5));
    const auto draws = Calls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 2u);  // one per material
    const lumiva::d3d9::DeviceState& state = *draws[0].state;
    EXPECT_EQ(state.RenderState(D3DRS_LIGHTING), DWORD(TRUE));
    EXPECT_EQ(state.RenderState(D3DRS_AMBIENT), 0xFF7F7F7Fu);
    EXPECT_EQ(state.RenderState(D3DRS_ZENABLE), DWORD(TRUE));
    EXPECT_EQ(state.RenderState(D3DRS_ZWRITEENABLE), DWORD(TRUE));
    for (D3DSAMPLERSTATETYPE filter : {D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER, D3DSAMP_MIPFILTER})
        EXPECT_EQ(state.SamplerState(0, filter), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(state.StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(state.StageState(0, D3DTSS_COLORARG1), DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(state.StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(state.vertexShader, nullptr);
    EXPECT_NE(state.declaration, nullptr);
    ASSERT_EQ(state.lights.count(0), 1u);
    const D3DLIGHT9& light = state.lights.at(0).light;
    EXPECT_TRUE(state.lights.at(0).enabled);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Diffuse.r, 1.0f);
    EXPECT_EQ(light.Diffuse.a, 0.0f);
    EXPECT_EQ(light.Direction.y, 1.0f);
    EXPECT_EQ(light.Direction.z, -2.0f);
    EXPECT_EQ(light.Range, 300.0f);
    EXPECT_EQ(light.Specular.r, 0.0f);
    EXPECT_EQ(light.Attenuation0, 0.0f);
    // Each material lit by its own diffuse colour as ambient.
    EXPECT_NE(state.textures[0], nullptr);
    EXPECT_EQ(state.material.Ambient.r, state.material.Diffuse.r);
    EXPECT_EQ(draws[1].state->textures[0], nullptr);
    EXPECT_EQ(draws[1].state->material.Ambient.g, 1.0f);
    EXPECT_EQ(draws[1].state->material.Ambient.r, 0.0f);
    EXPECT_TRUE(MatricesNear(ExpectedWorld(0.005f, 10, -5), WorldAt(draws[0])));
    // After: the world given back, light 0 off, the rest left as set.
    EXPECT_TRUE(MatricesNear(moved, CurrentWorld()));
    BOOL enabled = TRUE;
    Device()->GetLightEnable(0, &enabled);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), DWORD(TRUE));
    EXPECT_EQ(SamplerState(D3DSAMP_MIPFILTER), DWORD(D3DTEXF_LINEAR));
}

TEST_F(DebugMesh, EveryMeshDrawnTurnsTheSharedAngle) {
    WriteCube();
    BeginDraw();
    Record();
    m_shell->RenderDebugMeshes(1, 0, 0);
    m_shell->RenderDebugMeshes(2, 0, 0);
    m_shell->RenderDebugMeshes(1, 0, 0);
    const auto draws = Calls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 6u);
    for (int mesh = 0; mesh < 3; ++mesh)
        EXPECT_TRUE(MatricesNear(ExpectedWorld(0.005f * float(mesh + 1), 0, 0), WorldAt(draws[2 * mesh])));
    EXPECT_FLOAT_EQ(g_DebugMeshAngle, 0.015f);
    g_DebugMeshAngle = 359.999f;
    m_shell->RenderDebugMeshes(1, 0, 0);
    EXPECT_EQ(g_DebugMeshAngle, 0.0f);
}

TEST_F(DebugMesh, AnIdLoadsOnceAndTwoIdsHoldTwoCopies) {
    WriteCube();
    BeginDraw();
    Record();
    m_shell->RenderDebugMeshes(1, 0, 0);
    m_shell->RenderDebugMeshes(1, 0, 0);
    EXPECT_EQ(Calls("CreateVertexDeclaration").size(), 1u);
    m_shell->RenderDebugMeshes(2, 0, 0);
    EXPECT_EQ(Calls("CreateVertexDeclaration").size(), 2u);
    EXPECT_EQ(DebugMeshSet().ListCount(), 2u);
    KDebugMeshList* one = DebugMeshSet().GetOrLoadDebugMeshes(1);
    KDebugMeshList* two = DebugMeshSet().GetOrLoadDebugMeshes(2);
    ASSERT_EQ(one->size(), 1u);
    ASSERT_EQ(two->size(), 1u);
    EXPECT_NE((*one)[0]->mesh, (*two)[0]->mesh);
    EXPECT_EQ((*one)[0]->texturePaths, (std::vector<std::string>{"\\debugmesh\\red.dds", "\\debugmesh\\"}));
    EXPECT_EQ((*one)[0]->materialCount, 2u);
}

TEST_F(DebugMesh, TexturePathsStayWholeForManyMaterialsAndLongNames) {
    // 600 triangles, each with a material of its own naming a long file.
    XFileMesh mesh;
    const std::string longName = std::string(150, 'n') + ".dds";
    for (uint32_t i = 0; i < 600; ++i) {
        const float x = float(i % 30), y = float(i / 30);
        for (const std::array<float, 3>& p : {std::array<float, 3>{x, y, 0}, {x + 1, y, 0}, {x, y + 1, 0}})
            mesh.positions.push_back(p);
        mesh.faces.push_back({3 * i, 3 * i + 1, 3 * i + 2});
        XFileMaterial material;
        material.texture = i == 599 ? longName : "";
        mesh.materials.push_back(material);
        mesh.faceMaterials.push_back(i);
    }
    XFileScene scene;
    scene.meshes = {mesh};
    WriteModuleFile("\\debugmesh\\Mesh.X", WriteXFileText(scene));
    BeginDraw();
    Record();
    m_shell->RenderDebugMeshes(1, 0, 0);
    KDebugMeshList* list = DebugMeshSet().GetOrLoadDebugMeshes(1);
    ASSERT_NE((*list)[0], nullptr);
    const KDebugMesh& record = *(*list)[0];
    EXPECT_EQ(record.materialCount, 600u);
    ASSERT_EQ(record.texturePaths.size(), 600u);
    EXPECT_EQ(record.texturePaths[599], "\\debugmesh\\" + longName);
    EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 600u);
}

TEST_F(DebugMesh, AMissingFileIsTriedOnceAndDrawsNothing) {
    BeginDraw();
    Record();
    m_shell->RenderDebugMeshes(3, 0, 0);
    WriteCube();  // too late for id 3
    m_shell->RenderDebugMeshes(3, 0, 0);
    EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());
    ASSERT_EQ(DebugMeshSet().ListCount(), 1u);
    KDebugMeshList* list = DebugMeshSet().GetOrLoadDebugMeshes(3);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ((*list)[0], nullptr);
    m_shell->RenderDebugMeshes(4, 0, 0);  // a new id finds the file
    EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 2u);
}

TEST_F(DebugMesh, TheTexturedFaceShowsItsTextureLitAtThePoint) {
    WriteCube();
    BeginDraw();
    m_shell->RenderDebugMeshes(1, 10, 5);
    const std::vector<D3DCOLOR> pixels = Samples();
    // Ambient 0x7F of the white material over the red texture; the plain
    // half is its green material's ambient; the light falls on the far side.
    EXPECT_NEAR(int(pixels[0] >> 16 & 0xFF), 0x7F, 1);
    EXPECT_EQ(pixels[0] & 0xFFFF, 0u);
    EXPECT_NEAR(int(pixels[1] >> 8 & 0xFF), 0x7F, 1);
    EXPECT_EQ(pixels[1] & 0xFF00FF, 0u);
    EXPECT_EQ(pixels[2], 0u);
}

TEST_F(DebugMesh, ADeviceResetWithLoadedMeshesSucceedsAndTheyDrawTheSameAgain) {
    WriteCube();
    BeginDraw();
    m_shell->RenderDebugMeshes(1, 10, 5);
    const std::vector<D3DCOLOR> before = Samples();
    Device()->EndScene();
    m_sceneOpen = false;
    ASSERT_EQ(m_shell->InvalidateDeviceObjects(), 0);
    ASSERT_EQ(Device()->Reset(&g_D3DDevice.presentParams), D3D_OK);
    ASSERT_EQ(m_shell->RestoreDeviceObjects(), 0);
    UseCamera();
    g_DebugMeshAngle = 0.0f;
    BeginDraw();
    m_shell->RenderDebugMeshes(1, 10, 5);
    EXPECT_EQ(Samples(), before);
    EXPECT_NE(before[0], 0u);
}

TEST_F(DebugMesh, TheShellsReleaseFreesTheMeshesAndTheNextShellDrawsItsOwn) {
    WriteCube();
    BeginDraw();
    m_shell->RenderDebugMeshes(1, 10, 5);
    const std::vector<D3DCOLOR> first = Samples();
    Device()->EndScene();
    m_sceneOpen = false;
    ASSERT_EQ(DebugMeshSet().ListCount(), 1u);
    ReleaseShell();
    EXPECT_EQ(DebugMeshSet().ListCount(), 0u);
    EXPECT_EQ(DebugMeshSet().Device(), nullptr);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);

    MakeCreatedShell();
    UseCamera();
    g_DebugMeshAngle = 0.0f;
    BeginDraw();
    Record();
    m_shell->RenderDebugMeshes(1, 10, 5);
    for (const RecordedCall& call : lumiva::d3d9::RecordedCalls()) EXPECT_TRUE(SUCCEEDED(call.result)) << call.name;
    EXPECT_EQ(Samples(), first);
}

}  // namespace
}  // namespace beam_test
