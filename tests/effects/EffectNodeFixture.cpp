#include "effects/EffectNodeFixture.h"

#include <cmath>
#include <sstream>

#include "effects/BindRotation.h"
#include "effects/K3DEffectSetCache.h"
#include "shell/KDrawShell.h"
#include "win32/Control.h"

namespace effect_node_test {
namespace {

std::string Numbers(std::initializer_list<double> values) {
    std::ostringstream out;
    for (double v : values) out << ' ' << v;
    return out.str();
}

}  // namespace

void DrawnModels::SetScale(KModelProxy*, float x, float y, float z) {
    calls.push_back("SetScale" + Numbers({x, y, z}));
}
void DrawnModels::SetPosition(KModelProxy*, float x, float y, float z, DWORD duration) {
    calls.push_back("SetPosition" + Numbers({x, y, z, double(duration)}));
}
void DrawnModels::SetHeading(KModelProxy*, float a, float b, float c, DWORD duration, BYTE shortest) {
    calls.push_back("SetHeading" + Numbers({a, b, c, double(duration), double(shortest)}));
}
void DrawnModels::SetModelMatrix(KModelProxy*, const D3DXMATRIX& world) {
    calls.emplace_back("SetModelMatrix");
    matrix = world;
}
void DrawnModels::GetPosition(KModelProxy*, float* x, float* y, float* z) {
    *x = position.x, *y = position.y, *z = position.z;
}
void DrawnModels::SetAnimationMode(KModelProxy*, int mode) { calls.push_back("SetAnimationMode" + Numbers({double(mode)})); }
void DrawnModels::SetPaused(KModelProxy*, BYTE paused) { calls.push_back("SetPaused" + Numbers({double(paused)})); }
float DrawnModels::GetAnimationLength(KModelProxy*) { return animationLength; }
void DrawnModels::SetAnimationPosition(KModelProxy*, float fraction) {
    calls.emplace_back("SetAnimationPosition");
    animationPosition = fraction;
}
void DrawnModels::SetColor(KModelProxy*, DWORD argb) {
    std::ostringstream out;
    out << "SetColor " << std::hex << argb;
    calls.push_back(out.str());
}
void DrawnModels::SetAlpha(KModelProxy*, float value) {
    calls.emplace_back("SetAlpha");
    alpha = value;
}
void DrawnModels::SetGlobalFlag(KModelProxy*, int value) { calls.push_back("SetGlobalFlag" + Numbers({double(value)})); }
void DrawnModels::UpdateSceneNode(KModelProxy*, BYTE computeTransform) {
    calls.push_back("UpdateSceneNode" + Numbers({double(computeTransform)}));
}

void EffectNodeTest::SetUp() {
    EffectFileTest::SetUp();
    lumiva::win32::InstallManualClock(100000);
    ResetBindRotationForTests();
    ResetLiveEffectNodesForTests();
    element_model::ResetModelBlendFlagForTests();
    element_model::SetDoubleForTests(&models);
    MakeCreatedShell();
    IDirect3DDevice9* device = Device();
    D3DXMATRIX view, projection;
    D3DXMatrixIdentity(&view);
    D3DXMatrixOrthoLH(&projection, float(kTargetSize), float(kTargetSize), 0.0f, 100.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_WORLD, &view);
    SetEye({0, 0, 5});
    device->BeginScene();
}

void EffectNodeTest::TearDown() {
    if (m_shell) Device()->EndScene();
    lumiva::d3d9::EnableRecording(false);
    EffectFileTest::TearDown();
    ResetBindRotationForTests();
    ResetLiveEffectNodesForTests();
    element_model::ResetModelBlendFlagForTests();
}

K3DEffectNode* EffectNodeTest::MakeNode(const a3e::File& file, const std::string& name) {
    WriteEffect("fx/" + name, file);
    IK3DEffectNode* node = m_shell->CreateEffectNode(("fx\\" + name).c_str(), 0);
    return dynamic_cast<K3DEffectNode*>(SceneNodeOfEffect(node));
}

K3DEffectInstance* EffectNodeTest::MakeInstance(const a3e::File& file, const std::string& name) {
    WriteEffect("fx/" + name, file);
    return m_shell->CreateEffectInstance(("fx\\" + name).c_str());
}

void EffectNodeTest::SetEye(const D3DXVECTOR3& eye, const D3DXVECTOR3& origin) {
    for (int i = 0; i < 3; ++i) {
        m_shell->cameraPosition[i] = (&eye.x)[i];
        m_shell->viewOrigin[i] = (&origin.x)[i];
    }
}

void EffectNodeTest::Record() {
    lumiva::d3d9::ClearRecording();
    lumiva::d3d9::EnableRecording(true);
}

std::vector<DWORD> EffectNodeTest::Sets(const std::string& call, DWORD state) {
    std::vector<DWORD> values;
    const bool staged = call != "SetRenderState";  // stage or sampler 0 first
    for (const RecordedCall& c : lumiva::d3d9::RecordedCallsNamed(call)) {
        const size_t at = staged ? 1 : 0;
        if (c.args.size() > at + 1 && c.args[at] == state) values.push_back(DWORD(c.args[at + 1]));
    }
    return values;
}

a3e::File OneElement(uint8_t type, float d1, float d2, const a3e::Tracks& tracks, int32_t duration) {
    a3e::File file;
    file.duration = duration;
    file.elements.push_back(effect_file_test::WriterElement(type, "e", d1, d2));
    file.tracks.push_back(tracks);
    return file;
}

bool IsFinite(const D3DXMATRIX& m) {
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite((&m._11)[i])) return false;
    return true;
}

::testing::AssertionResult MatricesNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        const float e = (&expected._11)[i], a = (&actual._11)[i];
        if (!(std::fabs(e - a) <= tolerance))
            return ::testing::AssertionFailure() << "entry " << i / 4 + 1 << i % 4 + 1 << ": expected " << e
                                                 << ", got " << a;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace effect_node_test
