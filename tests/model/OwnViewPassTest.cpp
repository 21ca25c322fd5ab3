// The shell's own-view pass: one model of a list drawn under a camera and
// projection of the pass's own, every listed mesh in its off-screen state
// meanwhile, and the device given back as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "MeshFileWriter.h"
#include "ModelManagerFixture.h"
#include "scene/KModelProxy.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"

namespace model_test {
namespace {

bool Same(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class OwnViewPassTest : public WithCallLog<ModelManagerTest> {
protected:
    void SetUp() override {
        WithCallLog::SetUp();
        shell = MakeShell(false);
        ASSERT_NE(shell, nullptr);
        meshfile::File mesh;
        mesh.blocks.push_back(meshfile::GridBlock(2, 1));
        WriteModuleFile("\\model\\box.mesh", meshfile::Write(mesh));
        WriteModuleFile("\\model\\bare.mesh", meshfile::Write(mesh));
        WriteMaterial("\\model\\box.mtl");
        WriteMaterial("\\model\\bare.mtl");
        // Two handles share the box's mesh; one is empty, one slot null.
        handles = {shell->CreateModel("\\model\\box.mesh"), shell->CreateModel("\\model\\box.mesh"), nullptr,
                   shell->CreateModel(""), shell->CreateModel("\\model\\bare.mesh")};
        ASSERT_EQ(handles[0]->model->mesh, handles[1]->model->mesh);
        neighbours::CallLog().clear();
        device->BeginScene();
    }
    void TearDown() override {
        device->EndScene();
        lumiva::d3d9::EnableRecording(false);
        for (KModelProxy* handle : handles)
            if (handle) shell->ReleaseModel(handle);
        ModelManagerTest::TearDown();
    }
    static size_t Logged(const char* call) {
        const auto& log = neighbours::CallLog();
        return size_t(std::count(log.begin(), log.end(), std::string(call)));
    }
    static void Record() {
        lumiva::d3d9::ClearRecording();
        lumiva::d3d9::EnableRecording(true);
    }
    D3DMATRIX Transform(D3DTRANSFORMSTATETYPE type) {
        D3DMATRIX m{};
        device->GetTransform(type, &m);
        return m;
    }

    KDrawShell* shell = nullptr;
    std::vector<KModelProxy*> handles;
};

TEST_F(OwnViewPassTest, DrawsTheChosenModelUnderItsOwnCameraAndGivesAllBack) {
    D3DXMATRIX view, world, projection;
    D3DXMatrixTranslation(&view, 1, 2, 3);
    D3DXMatrixTranslation(&world, 4, 5, 6);
    D3DXMatrixTranslation(&projection, 7, 8, 9);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    const std::pair<D3DRENDERSTATETYPE, DWORD> states[4] = {
        {D3DRS_ZENABLE, FALSE}, {D3DRS_ZFUNC, D3DCMP_ALWAYS}, {D3DRS_ZWRITEENABLE, FALSE}, {D3DRS_AMBIENT, 0x123}};
    for (auto [state, value] : states) device->SetRenderState(state, value);

    Record();
    shell->RenderOwnViewPass(handles.data(), int(handles.size()), 4, 100, 50, 400, 0);
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawIndexedPrimitive");
    ASSERT_FALSE(draws.empty());
    const auto& at = *draws[0].state;
    // Seen from cameraDistance above, 50 units along z.
    D3DXMATRIX expectedView, expected, scaling, translation;
    const D3DXVECTOR3 eye(0, shell->cameraDistance, 50), target(0, 0, 50), up(0, 0, 1);
    D3DXMatrixLookAtLH(&expectedView, &eye, &target, &up);
    EXPECT_TRUE(Same(at.view, expectedView));
    // Half the screen (400 of 800): the point 30% across the full screen
    // comes to (100, 50).
    D3DXMatrixOrthoLH(&expected, 125.0f, 93.75f, 200.0f, 20000.0f);
    expected *= *D3DXMatrixScaling(&scaling, 0.5f, 0.5f, 0.5f);
    expected *= *D3DXMatrixTranslation(&translation, (100.0f - 280.0f) / 400.0f, (150.0f - 50.0f) / 300.0f, 0.0f);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(at.projection.m[r][c], expected.m[r][c], 1e-6f) << r << c;
    EXPECT_EQ(at.renderStates[D3DRS_ZFUNC], DWORD(D3DCMP_LESS));
    EXPECT_EQ(at.renderStates[D3DRS_ZWRITEENABLE], 1u);
    EXPECT_EQ(at.renderStates[D3DRS_AMBIENT], 0u);

    // Each mesh in its off-screen state once, however many handles hold it.
    EXPECT_EQ(Logged("KMesh::EnterOffscreen"), 2u);
    EXPECT_EQ(Logged("KMesh::LeaveOffscreen"), 2u);
    for (auto [state, value] : states) EXPECT_EQ(RenderState(state), value) << state;
    EXPECT_TRUE(Same(Transform(D3DTS_VIEW), view));
    EXPECT_TRUE(Same(Transform(D3DTS_WORLD), world));
    EXPECT_TRUE(Same(Transform(D3DTS_PROJECTION), projection));
}

TEST_F(OwnViewPassTest, BadListsDrawNothing) {
    struct Case {
        const char* name;
        bool list;
        int count, index;
    };
    const Case cases[] = {
        {"no list", false, 5, 0},     {"no handles", true, 0, 0},   {"negative count", true, -1, 0},
        {"index below", true, 5, -1}, {"index past", true, 5, 5},   {"index past count", true, 2, 4},
        {"null handle", true, 5, 2},
    };
    for (const Case& c : cases) {
        Record();
        neighbours::CallLog().clear();
        shell->RenderOwnViewPass(c.list ? handles.data() : nullptr, c.count, c.index, 0, 0, 400, 0);
        EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty()) << c.name;
        EXPECT_EQ(Logged("KMesh::EnterOffscreen"), 0u) << c.name;
    }
    // An empty handle draws nothing but the pass still runs round it.
    Record();
    shell->RenderOwnViewPass(handles.data(), 5, 3, 0, 0, 400, 0);
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("DrawIndexedPrimitive").empty());
    EXPECT_EQ(Logged("KMesh::LeaveOffscreen"), 2u);
}

}  // namespace
}  // namespace model_test
