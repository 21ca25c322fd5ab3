// The shape model on a created shell: loading a shape and its skins from
// the data root, the hand-over, Render's depth quad, time, world and states,
// and a shape drawn through the mesh's table as a model's update draws it.
#include <cstring>
#include <memory>
#include <string>

#include "DtsWriter.h"
#include "DxtBlocks.h"
#include "SprWriter.h"
#include "shape/KShapeInstance.h"
#include "shape/KShapeModel.h"
#include "shape/ShapeAnimScratch.h"
#include "shape/ShapeDrawParams.h"
#include "shell/ClientSettings.h"
#include "support/ShellFixture.h"
#include "support/VirtualSlot.h"

namespace shape_model_test {
namespace {

using lumiva::d3d9::RecordedCall;

constexpr uint32_t kGreen = 0xFF00FF00u;  // R5G6B5 holds it exactly

// One unit quad at z -0.5 of material 0 on node 0, which sequence 0 (not
// cyclic, two key frames over `seconds`) moves from (-1, -1, 0) to
// (0, -1, 0). Materials: "body", and whatever a test adds.
dts::Shape MovingQuad(float seconds = 1.0f) {
    dts::Shape s;
    s.nodes = {{0, -1}};
    s.defaultRotations = {{}};
    s.defaultTranslations = {{-1, -1, 0}};
    s.objects = {{1, 1, 0, 0}};
    s.subShapes = {{0, 0, 0, 1, 1, 0}};
    s.objectStates = {{1, 0, 0}};
    s.details = {{2, 0, 0, 10, {}}};
    s.names = {"node", "quad", "detail", "move"};
    s.materials = {{"body", 0, 0, -1, -1, 1, 1}};
    dts::Mesh m;
    for (dts::Vec3 p : {dts::Vec3{0, 0, -0.5f}, {1, 0, -0.5f}, {0, 1, -0.5f}, {1, 1, -0.5f}}) {
        m.vertices.push_back(p);
        m.normals.push_back({0, 0, 1});
    }
    m.texCoords = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    m.primitives = {{0, 6, 0}};
    m.indices = {0, 2, 1, 1, 2, 3};
    m.verticesPerFrame = 4;
    s.meshes = {m};
    dts::Sequence q;
    q.name = 3;
    q.keyFrames = 2;
    q.duration = seconds;
    q.translation = dts::Set::Of({0});
    s.sequences = {q};
    s.translations = {{-1, -1, 0}, {0, -1, 0}};
    return s;
}

std::vector<uint8_t> FlatDds(uint32_t argb) {
    const std::vector<uint32_t> pixels(16, argb);
    std::vector<uint8_t> file = MakeDxt5DdsHeader(4, 4);
    const std::vector<uint8_t> blocks = EncodeDxt5(pixels.data(), 4, 4);
    file.insert(file.end(), blocks.begin(), blocks.end());
    return file;
}

D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1;
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

class ShapeModel : public test_support::ShellFixture {
protected:
    ShapeModel() : ShellFixture("shapemodel") {}

    void SetUp() override {
        ShellFixture::SetUp();
        lumiva::win32::InstallManualClock(10000);
        MakeCreatedShell();
        model = std::make_unique<KShapeModel>();
        model->SetDevice(Device());
        Device()->BeginScene();  // models draw within a frame
    }
    void TearDown() override {
        lumiva::d3d9::EnableRecording(false);
        Device()->EndScene();
        delete instance;
        model.reset();
        Device()->SetStreamSource(0, nullptr, 0, 0);
        Device()->SetIndices(nullptr);
        Device()->SetTexture(0, nullptr);
        ResetShapeDrawParams();
        ResetShapeAnimScratch();
        ShellFixture::TearDown();
    }

    // The shape written as "models/hero.dts" with a green "body" skin, loaded.
    void LoadHero(const dts::Shape& description = MovingQuad()) {
        WriteDataFile("models/hero.dts", dts::WriteDts(description));
        WriteDataFile("models/body.dds", FlatDds(kGreen));
        ASSERT_EQ(model->Load("\\models\\hero.dts"), 0);
    }
    // An instance on sequence 0 at 0, handed over with these values.
    void HandOver(DWORD start, int32_t divisor, std::vector<int32_t> params = {0, 64, 128, 0, 0},
                  D3DXVECTOR3 scale = {1, 1, 1}) {
        if (!instance) {
            instance = model->CreateInstance();
            instance->SetSequence(instance->AddThread(), 0, 0.0f);
        }
        model->HandOver(instance, start, divisor, params.data(), scale);
    }
    HRESULT Render() {
        KMesh* mesh = model.get();
        return mesh->Render(nullptr, 1.0f, nullptr, 1);  // slot 1, as a model draws its mesh
    }
    static DWORD Now() { return timeGetTime(); }

    std::unique_ptr<KShapeModel> model;
    KShapeInstance* instance = nullptr;
};

TEST(ShapeModelSlots, RenderAndLoadTakeTheMeshsFirstTwoSlots) {
    using test_support::SlotOf;
    EXPECT_EQ(SlotOf(&KShapeModel::Render), 0);
    EXPECT_EQ(SlotOf(&KShapeModel::Load), 1);
    EXPECT_EQ(SlotOf(&KShapeModel::BuildMesh), 2);
    EXPECT_EQ(SlotOf(&KShapeModel::Stub3), 3);
}

TEST_F(ShapeModel, LoadsNamesWhoseExtensionStartsWithDts) {
    const std::vector<uint8_t> bytes = dts::WriteDts(MovingQuad());
    for (const char* file : {"models/hero.dts", "models/hero.dt", "models/hero", "models/hero.dts2"})
        WriteDataFile(file, bytes);
    WriteDataFile("models/cut.dts", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40));
    WriteDataFile("models/empty.dts", std::vector<uint8_t>{});
    struct Case {
        const char* name;
        HRESULT result;
    };
    const Case cases[] = {
        {"\\models\\HERO.DTS", 0},       {"\\models\\hero.dts2", 0},     {"\\models\\hero.dt", E_FAIL},
        {"\\models\\hero", E_FAIL},      {"\\models\\absent.dts", E_FAIL}, {"\\models\\cut.dts", E_FAIL},
        {"\\models\\empty.dts", E_FAIL}, {nullptr, E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "null");
        KShapeModel fresh;
        fresh.SetDevice(Device());
        EXPECT_EQ(fresh.Load(c.name), c.result);
        EXPECT_EQ(fresh.shape.nodes.count, c.result == 0 ? 1u : 0u);
        EXPECT_EQ(fresh.instance, nullptr);
    }
}

TEST_F(ShapeModel, SkinsComeFromTheShapesFolderAndGoWithTheModel) {
    dts::Shape s = MovingQuad();
    const std::string longName(250, 'n');
    s.materials = {{"body", 0, 0, -1, -1, 1, 1},    {"maps/gone", 0, 1, -1, -1, 1, 1},
                   {"bad", 0, 2, -1, -1, 1, 1},     {"list.ifl", 1u << 27, 3, -1, -1, 1, 1},
                   {longName, 0, 4, -1, -1, 1, 1}};
    WriteDataFile("models/bad.dds", std::vector<uint8_t>{1, 2, 3, 4});
    WriteDataFile("models/" + longName + ".dds", FlatDds(kGreen));
    const UINT before = lumiva::d3d9::LiveResourceCount();
    LoadHero(s);
    const KShapeMaterialList& materials = model->shape.materials;
    ASSERT_EQ(materials.Count(), 5u);
    ASSERT_NE(materials.Texture(0), nullptr);
    D3DSURFACE_DESC desc{};
    materials.Texture(0)->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 4u);
    for (uint32_t i = 1; i < 5; ++i) EXPECT_EQ(materials.Texture(i), nullptr) << i;
    EXPECT_GT(lumiva::d3d9::LiveResourceCount(), before);
    model.reset();
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), before);
}

TEST_F(ShapeModel, CreateInstanceGivesAnInstanceTheModelNeverDeletes) {
    LoadHero();
    KShapeInstance* made = model->CreateInstance();
    EXPECT_EQ(made->GetShape(), &model->shape);
    EXPECT_EQ(made->MaterialList(), &model->shape.materials);
    EXPECT_EQ(made->Device(), Device());
    const int32_t params[kShapeParams] = {0, 64, 128, 0, 0};
    model->HandOver(made, Now(), 1000, params, {1, 1, 1});
    model.reset();  // the instance belongs to its model
    EXPECT_EQ(made->GetThreadCount(), 0u);
    delete made;
}

TEST_F(ShapeModel, WithoutAnInstanceRenderFailsAndDrawsOnlyTheDepthQuad) {
    LoadHero();
    lumiva::d3d9::EnableRecording(true);
    const int32_t params[kShapeParams] = {1, 64, 128, 0, 0};
    model->HandOver(nullptr, Now(), 1000, params, {1, 1, 1});
    EXPECT_EQ(Render(), E_FAIL);
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].result, D3D_OK);
    EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_TRIANGLESTRIP));
    EXPECT_EQ(draws[0].args[2], 2u);
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("DrawIndexedPrimitive").empty());
    // The shell's defaults, not the quad's depth-only blending.
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), DWORD(FALSE));

    // Switched off, or without room in the shared buffer: no quad, the same
    // defaults.
    for (bool noRoom : {false, true}) {
        SCOPED_TRACE(noRoom ? "no room" : "switched off");
        lumiva::d3d9::ClearRecording();
        Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        const int32_t off[kShapeParams] = {noRoom ? 1 : 0, 64, 128, 0, 0};
        if (noRoom) {
            m_shell->ReleaseDynamicVertexBuffer();
            lumiva::d3d9::FailCreationAt(1);
        }
        model->HandOver(nullptr, Now(), 1000, off, {1, 1, 1});
        EXPECT_EQ(Render(), E_FAIL);
        EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").empty());
        EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    }
}

TEST_F(ShapeModel, TheDepthQuadIsClampedAndCentred) {
    LoadHero();
    struct Case {
        int32_t width, height, x, y;
        float left, right, top, bottom;
    };
    const Case cases[] = {
        {64, 128, 0, 0, -32, 32, -64, 64},     {-5, 600, 0, 0, -256, 256, -256, 256},
        {600, -1, 0, 0, -256, 256, -256, 256}, {512, 0, 10, 20, -246, 266, 20, 20},
    };
    lumiva::d3d9::EnableRecording(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        lumiva::d3d9::ClearRecording();
        const int32_t params[kShapeParams] = {1, c.width, c.height, c.x, c.y};
        model->HandOver(nullptr, Now(), 1000, params, {1, 1, 1});
        Render();
        const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
        ASSERT_EQ(draws.size(), 1u);
        ASSERT_EQ(draws[0].result, D3D_OK);
        const auto& state = *draws[0].state;
        EXPECT_EQ(state.fvf, DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE));
        EXPECT_EQ(state.streams[0].stride, 16u);
        // The four vertices as written into the shared buffer.
        void* locked = nullptr;
        ASSERT_EQ(state.streams[0].buffer->Lock(UINT(draws[0].args[1]) * 16, 64, &locked, D3DLOCK_READONLY), D3D_OK);
        struct Vertex {
            float x, y, z;
            DWORD colour;
        } v[4];
        std::memcpy(v, locked, sizeof v);
        state.streams[0].buffer->Unlock();
        const Vertex want[4] = {{c.left, c.top, 0.06f, 0x00FF0000u},
                                {c.right, c.top, 0.06f, 0x0000FF00u},
                                {c.left, c.bottom, 0.06f, 0x000000FFu},
                                {c.right, c.bottom, 0.06f, 0x000000FFu}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(v[i].x, want[i].x) << i;
            EXPECT_EQ(v[i].y, want[i].y) << i;
            EXPECT_EQ(v[i].z, want[i].z) << i;
            EXPECT_EQ(v[i].colour, want[i].colour) << i;
        }
    }
}

TEST_F(ShapeModel, TheDebugSwitchDrawsTheQuadOverEverything) {
    LoadHero();
    lumiva::d3d9::EnableRecording(true);
    const int32_t params[kShapeParams] = {1, 64, 128, 0, 0};
    for (int debug : {0, 1}) {
        SCOPED_TRACE(debug);
        g_ShowDebugInfo = debug;
        lumiva::d3d9::ClearRecording();
        Device()->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        model->HandOver(nullptr, Now(), 1000, params, {1, 1, 1});
        Render();
        const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
        ASSERT_EQ(draws.size(), 1u);
        const auto& state = *draws[0].state;
        EXPECT_EQ(state.RenderState(D3DRS_ZENABLE), 1u);
        EXPECT_EQ(state.RenderState(D3DRS_ZWRITEENABLE), 1u);
        if (debug) {
            EXPECT_EQ(state.RenderState(D3DRS_ZFUNC), DWORD(D3DCMP_ALWAYS));
            EXPECT_EQ(state.RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));  // as the shell left it
        } else {
            EXPECT_EQ(state.RenderState(D3DRS_ZFUNC), DWORD(D3DCMP_LESSEQUAL));
            EXPECT_EQ(state.RenderState(D3DRS_ALPHABLENDENABLE), 1u);
            EXPECT_EQ(state.RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ZERO));
            EXPECT_EQ(state.RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
        }
    }
}

TEST_F(ShapeModel, ThreadsMoveByTheTimeSinceTheStartOverTheDivisor) {
    LoadHero(MovingQuad(10.0f));
    struct Case {
        int32_t divisor;
        DWORD elapsed;
        float position;
    };
    const Case cases[] = {{1000, 2000, 0.2f}, {0, 2000, 0.2f}, {-5, 2000, 0.2f}, {500, 2000, 0.4f}, {1000, 0, 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.divisor);
        delete instance;
        instance = nullptr;
        HandOver(Now() - c.elapsed, c.divisor);
        EXPECT_EQ(Render(), 0);
        EXPECT_NEAR(instance->GetThread(0)->Position(), c.position, 1e-6f);
        EXPECT_EQ(model->instance, nullptr);  // handed over for one draw
    }
    // The clock wraps between start and now.
    delete instance;
    instance = nullptr;
    lumiva::win32::SetClock(500);
    HandOver(0xFFFFFFFFu - 499, 1000);
    Render();
    EXPECT_NEAR(instance->GetThread(0)->Position(), 0.1f, 1e-6f);
}

TEST_F(ShapeModel, TheWorldTransformIsPublishedAndGivenBack) {
    LoadHero();
    const D3DMATRIX world = Translation(3, 4, 5);
    Device()->SetTransform(D3DTS_WORLD, &world);
    HandOver(Now(), 1000, {0, 64, 128, 0, 0}, {2, 3, 4});
    lumiva::d3d9::EnableRecording(true);
    EXPECT_EQ(Render(), 0);
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    // Node (-1, -1, 0), then the model's world, then the z mirror.
    EXPECT_EQ(draws[0].state->worldMatrices[0]._41, 2.0f);
    EXPECT_EQ(draws[0].state->worldMatrices[0]._42, 3.0f);
    EXPECT_EQ(draws[0].state->worldMatrices[0]._43, -5.0f);
    EXPECT_EQ(std::memcmp(&g_ShapeDrawParams.world, &world, sizeof world), 0);
    EXPECT_EQ(g_ShapeDrawParams.scale[1], 3.0f);
    D3DMATRIX after{};
    Device()->GetTransform(D3DTS_WORLD, &after);
    EXPECT_EQ(std::memcmp(&after, &world, sizeof world), 0);
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(FALSE));  // the shell's defaults
}

// Draws the handed-over instance into a 16 x 16 target through the mesh's
// table, as a model's update does each frame, and returns the pixels.
class ShapeModelPixels : public ShapeModel {
protected:
    void SetUp() override {
        ShapeModel::SetUp();
        ASSERT_EQ(Device()->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &m_target,
                                               nullptr),
                  D3D_OK);
        Device()->GetRenderTarget(0, &m_saved);
        Device()->SetRenderTarget(0, m_target);
        D3DMATRIX identity = Translation(0, 0, 0);
        Device()->SetTransform(D3DTS_VIEW, &identity);
        Device()->SetTransform(D3DTS_PROJECTION, &identity);
        Device()->SetTransform(D3DTS_WORLD, &identity);
    }
    void TearDown() override {
        if (m_saved) {
            Device()->SetRenderTarget(0, m_saved);
            m_saved->Release();
        }
        if (m_target) m_target->Release();
        ShapeModel::TearDown();
    }
    lumiva::d3d9::Image DrawFrame(DWORD start) {
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        HandOver(start, 1000);
        EXPECT_EQ(Render(), 0);
        return lumiva::d3d9::SurfaceImage(m_target);
    }

private:
    IDirect3DSurface9* m_target = nullptr;
    IDirect3DSurface9* m_saved = nullptr;
};

TEST_F(ShapeModelPixels, ASkinnedShapeShowsItsNodesPositionAtTwoTimes) {
    LoadHero();
    const DWORD start = Now();
    struct Frame {
        DWORD after;
        UINT left, right;  // covered columns, in the lower half
    };
    for (const Frame& f : {Frame{0, 0, 8}, Frame{500, 4, 12}}) {
        SCOPED_TRACE(f.after);
        lumiva::win32::SetClock(10000 + f.after);
        const lumiva::d3d9::Image image = DrawFrame(start);
        for (UINT y = 0; y < 16; ++y)
            for (UINT x = 0; x < 16; ++x) {
                const bool covered = y >= 8 && x >= f.left && x < f.right;
                EXPECT_EQ(image.At(x, y) & 0xFFFFFFu, covered ? 0x00FF00u : 0u) << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace shape_model_test

namespace shape_model_test {
namespace {

// A folder too long for any skin path keeps every skin null: the skins are
// not looked for at the data root instead.
TEST_F(ShapeModel, AFolderTooLongForSkinsLeavesThemNull) {
    const std::string folder = "models/" + std::string(130, 'a') + "/" + std::string(130, 'b');
    WriteDataFile(folder + "/hero.dts", dts::WriteDts(MovingQuad()));
    WriteDataFile("body.dds", FlatDds(kGreen));
    std::string name = "\\" + folder + "\\hero.dts";
    for (char& c : name)
        if (c == '/') c = '\\';
    ASSERT_EQ(model->Load(name.c_str()), 0);
    ASSERT_EQ(model->shape.materials.Count(), 1u);
    EXPECT_EQ(model->shape.materials.Texture(0), nullptr);
}

}  // namespace
}  // namespace shape_model_test
