// Fixture of the effect node and effect instance tests: a created shell on
// the software device with the manual clock, a fixed camera (identity view,
// an orthographic 64 x 64-unit projection), the model handle double, the
// bind rotation, the live-node counter and the model blend flag reset, and
// helpers that write effect files, make nodes and instances through the
// shell's slots and read what a draw recorded.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <string>
#include <vector>

#include "d3d9/Control.h"
#include "effects/EffectFileFixture.h"
#include "effects/K3DEffectInstance.h"
#include "effects/K3DEffectNode.h"

namespace effect_node_test {

using effect_file_test::FakeModels;
using lumiva::d3d9::RecordedCall;

// The model handles of FakeModels, and every drawing call made on them,
// noted as "Name args".
class DrawnModels final : public element_model::IElementModelDouble {
public:
    KModelProxy* Create() override { return files.Create(); }
    void Release(KModelProxy* model) override { files.Release(model); }
    HRESULT SetMesh(KModelProxy* model, const char* name) override { return files.SetMesh(model, name); }
    HRESULT InitMesh(KModelProxy* model, const char* name) override { return files.InitMesh(model, name); }
    HRESULT SetMaterial(KModelProxy* model, const char* name) override { return files.SetMaterial(model, name); }
    HRESULT InitMaterial(KModelProxy* model, const char* name) override { return files.InitMaterial(model, name); }
    void PlayAnimation(KModelProxy* model, const char* name, DWORD unused, int mode) override {
        files.PlayAnimation(model, name, unused, mode);
    }
    bool GetBounds(KModelProxy* model, D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) override {
        return files.GetBounds(model, minimum, maximum);
    }
    void SetScale(KModelProxy* model, float x, float y, float z) override;
    void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration) override;
    void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest) override;
    void SetModelMatrix(KModelProxy* model, const D3DXMATRIX& world) override;
    void GetPosition(KModelProxy* model, float* x, float* y, float* z) override;
    void SetAnimationMode(KModelProxy* model, int mode) override;
    void SetPaused(KModelProxy* model, BYTE paused) override;
    float GetAnimationLength(KModelProxy* model) override;
    void SetAnimationPosition(KModelProxy* model, float fraction) override;
    void SetColor(KModelProxy* model, DWORD argb) override;
    void SetAlpha(KModelProxy* model, float alpha) override;
    void SetGlobalFlag(KModelProxy* model, int value) override;
    void UpdateSceneNode(KModelProxy* model, BYTE computeTransform) override;

    FakeModels files;
    std::vector<std::string> calls;
    D3DXMATRIX matrix{};            // the last SetModelMatrix
    D3DXVECTOR3 position{0, 0, 0};  // what GetPosition answers
    float animationLength = 0.0f;
    float animationPosition = -1.0f;  // the last SetAnimationPosition
    float alpha = -1.0f;              // the last SetAlpha
};

class EffectNodeTest : public effect_file_test::EffectFileTest {
protected:
    static constexpr UINT kTargetSize = 64;

    void SetUp() override;
    void TearDown() override;

    // Writes the effect under the data root as fx/<name> and makes a node
    // on it through the shell (fx\<name>).
    K3DEffectNode* MakeNode(const a3e::File& file, const std::string& name = "a.a3e");
    K3DEffectInstance* MakeInstance(const a3e::File& file, const std::string& name = "a.a3e");
    void Release(K3DEffectNode* node) { m_shell->ReleaseEffectNode(node); }
    void Release(K3DEffectInstance* instance) { m_shell->ReleaseEffectInstance(instance); }

    // The camera position and view origin the shell hands effect nodes.
    void SetEye(const D3DXVECTOR3& eye, const D3DXVECTOR3& origin = {0, 0, 0});

    // Clears the recording and starts it.
    static void Record();
    static std::vector<RecordedCall> Draws() { return lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP"); }
    // Values of one kind of state set while recording, in order, e.g.
    // Sets("SetSamplerState", D3DSAMP_ADDRESSU).
    static std::vector<DWORD> Sets(const std::string& call, DWORD state);
    static D3DXMATRIX WorldAt(const RecordedCall& draw) { return draw.state->worldMatrices[0]; }

    // Draws into a fresh 64 x 64 target cleared to black (no depth
    // buffer) and returns its pixels.
    template <class Draw>
    lumiva::d3d9::Image DrawOnTarget(Draw&& draw);

    DrawnModels models;
};

// One element of the type and size with the given tracks, in a set of the
// duration.
a3e::File OneElement(uint8_t type, float d1, float d2, const a3e::Tracks& tracks = {}, int32_t duration = 1000);

// Every entry finite.
bool IsFinite(const D3DXMATRIX& m);
// Entries within `tolerance`.
::testing::AssertionResult MatricesNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual,
                                        float tolerance = 1e-4f);

template <class Draw>
lumiva::d3d9::Image EffectNodeTest::DrawOnTarget(Draw&& draw) {
    IDirect3DDevice9* device = Device();
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* depth = nullptr;
    if (FAILED(device->CreateRenderTarget(kTargetSize, kTargetSize, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                          &target, nullptr)))
        return {};
    device->GetRenderTarget(0, &back);
    device->GetDepthStencilSurface(&depth);
    device->SetRenderTarget(0, target);
    device->SetDepthStencilSurface(nullptr);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    draw();
    lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(target);
    device->SetRenderTarget(0, back);
    device->SetDepthStencilSurface(depth);
    if (depth) depth->Release();
    back->Release();
    target->Release();
    return image;
}

}  // namespace effect_node_test
