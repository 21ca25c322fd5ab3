// The 3D scene as a careless or hostile host drives it through the shell's
// factories: model handles, their scene nodes and effect nodes held in a few
// slots, bound, unbound, attached, detached, cleared, released and released
// again, called after their release, fed floats of any value (NaN,
// infinities, extremes) and names with and without a terminator, with frames
// drawn between. The device draws without raster on a small target, so
// clearing and presenting cost little beside the calls.
//
// What the host holds is kept here as it would keep it: a released handle
// stays in its slot, so later calls hand it back to the shell's slots that
// take handles (releases, records, bindings). Calls through a released
// handle's own table are not made: no module can guard them.
#include <windows.h>
#include <d3d9.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "A3eWriter.h"
#include "AnimationFileWriter.h"
#include "MaterialFileWriter.h"
#include "MeshFileWriter.h"
#include "d3d9/Control.h"
#include "lumiva/IK3DEffectNode.h"
#include "lumiva/IK3DSceneNode.h"
#include "lumiva/PrimitiveRecords.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "scene/KModelManager.h"
#include "scene/KModelProxy.h"
#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "support/HostileInput.h"
#include "support/FuzzTarget.h"
#include "win32/Control.h"

using namespace lumiva::fuzz;

namespace {

constexpr const char* kModelNames[] = {"\\model\\man", "\\model\\man.mesh", "\\model\\none", "", nullptr};
constexpr const char* kEffectNames[] = {"\\fx\\glow.a3e", "\\fx\\none.a3e", ""};
constexpr const char* kAnimation = "\\model\\walk.anim";
constexpr size_t kSlots = 4;
constexpr int kTargetWidth = 64, kTargetHeight = 48;

using Input = HostileInput;

// A dummy or bone name: a known one, null, or input bytes with or without a
// terminator in a 48-byte field.
class Name {
public:
    explicit Name(Input& in) {
        const uint8_t kind = in.Byte();
        static const char* const known[] = {"dummy0", "dummy1", "bone0", "hand"};
        if (kind < 128) {
            std::strncpy(m_text.data(), known[kind % 4], m_text.size());
        } else if (kind < 160) {
            m_null = true;
        } else {
            for (size_t i = 0; i < m_text.size(); ++i) m_text[i] = char(in.Byte() | ((kind & 1) ? 0x40 : 0));
            if (kind & 2) m_text.back() = '\0';
        }
        m_text.back() = '\0';  // the field's end: the slots read names as C strings
    }
    const char* Text() const { return m_null ? nullptr : m_text.data(); }

private:
    std::array<char, 48> m_text{};
    bool m_null = false;
};

void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = std::filesystem::path(ScratchRoot()) / name;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

void WriteSampleFiles() {
    meshfile::File mesh;
    mesh.blocks.push_back(meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 3, 2));
    WriteFile("model/man.mesh", meshfile::Write(mesh));
    mtlfile::File material;
    mtlfile::Record record;
    mtlfile::Stage stage;
    stage.textureName = "art\\skin.dds";
    record.stages.push_back(stage);
    material.records.push_back(record);
    WriteFile("model/man.mtl", mtlfile::Write(material));
    animfile::File animation;
    animfile::Track track;
    track.name = "walk";
    track.frameCount = 4;
    track.interval = 100.0f;
    track.boneNames = {"bone0", "bone1"};
    for (int b = 0; b < 2; ++b)
        for (uint32_t f = 0; f < 4; ++f) track.matrices.push_back(animfile::Translation(float(f), 0, 0));
    animation.tracks.push_back(track);
    WriteFile("model/walk.anim", animfile::Write(animation));
    WriteFile("fx/glow.a3e", a3e::WriteA3e(a3e::File{}));
}

struct MadeShell {
    KDrawShell* shell = nullptr;
    IDirect3DDevice9* device = nullptr;
    HWND window = nullptr;
};

MadeShell MakeShell() {
    IDirect3DDevice9* other = g_D3DDevice.device;
    g_D3DDevice.device = nullptr;
    WriteSampleFiles();
    HWND window = CreateWindowExA(0, "LumivaFuzz", "Lumiva scene", WS_POPUP | WS_VISIBLE, 0, 0, kTargetWidth,
                                  kTargetHeight, nullptr, nullptr, nullptr, nullptr);
    g_SetMainHWnd(window);
    auto* shell = static_cast<KDrawShell*>(CreateLumivaShell4());
    if (!shell || !shell->CreateWindowed(kTargetWidth, kTargetHeight, window) || !shell->GetDevice()) __builtin_trap();
    MadeShell made{shell, g_D3DDevice.device, window};
    g_D3DDevice.device = other;
    return made;
}

// The scene's shell, its device and the model manager's device for one
// input; whatever other targets of the process use is put back after.
class SceneScope {
public:
    SceneScope() {
        static const MadeShell made = MakeShell();
        m_shell = made.shell;
        m_window = made.window;
        m_savedDevice = g_D3DDevice.device;
        m_savedShell = g_pDrawShell;
        m_savedManagerDevice = g_pModelManager->device;
        m_savedNoRaster = lumiva::d3d9::NoRaster();
        g_D3DDevice.device = made.device;
        g_pDrawShell = made.shell;
        g_pModelManager->SetDevice(made.device);
        lumiva::d3d9::SetNoRaster(true);
        g_SetRootPath(ScratchRoot().c_str());
    }
    ~SceneScope() {
        lumiva::d3d9::SetCooperativeLevel(D3D_OK);
        lumiva::d3d9::FailNextReset(D3D_OK);
        m_shell->BeginFrame(0, 0xFF000000u, nullptr);
        m_shell->EndFrame();
        ShrinkAfterReset();
        lumiva::d3d9::SetNoRaster(m_savedNoRaster);
        g_pModelManager->device = m_savedManagerDevice;
        g_pDrawShell = m_savedShell;
        g_D3DDevice.device = m_savedDevice;
    }
    SceneScope(const SceneScope&) = delete;
    SceneScope& operator=(const SceneScope&) = delete;
    KDrawShell* Shell() const { return m_shell; }
    // A reset after a loss takes a display mode's size, window and back
    // buffer: both small again once the device is back.
    void ShrinkAfterReset() {
        if (!lostFrames || m_shell->deviceLost) return;
        MoveWindow(m_window, 0, 0, kTargetWidth, kTargetHeight, FALSE);
        m_shell->ResizeBackBuffer(kTargetWidth, kTargetHeight, m_window);
        lostFrames = false;
    }
    bool lostFrames = false;

private:
    KDrawShell* m_shell;
    HWND m_window;
    IDirect3DDevice9* m_savedDevice;
    KDrawShell* m_savedShell;
    IDirect3DDevice9* m_savedManagerDevice;
    bool m_savedNoRaster;
};

// What the host holds: handles, live or already given back.
struct Held {
    std::array<KModelProxy*, kSlots> models{};
    std::array<bool, kSlots> modelLive{};
    std::array<IK3DEffectNode*, kSlots> effects{};
    std::array<bool, kSlots> effectLive{};
};

KModelProxy* LiveModel(Held& held, Input& in) {
    const size_t i = in.Byte() % kSlots;
    return held.modelLive[i] ? held.models[i] : nullptr;
}
// Live, released or null: for the slots that take a handle back.
KModelProxy* AnyModel(Held& held, Input& in) { return held.models[in.Byte() % kSlots]; }
IK3DSceneNode* LiveNode(Held& held, Input& in) {
    const uint8_t pick = in.Byte();
    const size_t i = pick % kSlots;
    if (pick & 0x80) return held.effectLive[i] ? dynamic_cast<IK3DSceneNode*>(held.effects[i]) : nullptr;
    return held.modelLive[i] && held.models[i] ? held.models[i]->GetSceneNode() : nullptr;
}

void ModelSlots(Input& in, KDrawShell* shell, Held& held) {
    const size_t slot = in.Byte() % kSlots;
    KModelProxy* self = held.modelLive[slot] ? held.models[slot] : nullptr;
    const uint8_t op = in.Byte() % 24;
    if (op == 0) {
        if (self) shell->ReleaseModel(self);
        held.models[slot] = shell->CreateModel(kModelNames[in.Byte() % 5]);
        held.modelLive[slot] = held.models[slot] != nullptr;
        return;
    }
    if (op == 1) {  // given back: once while live, again after
        if (held.models[slot]) shell->ReleaseModel(held.models[slot]);
        held.modelLive[slot] = false;
        return;
    }
    if (!self) return;
    switch (op) {
        case 2: { const Name a(in), b(in); self->BindTo(AnyModel(held, in), a.Text(), b.Text()); break; }
        case 3: self->Unbind(AnyModel(held, in)); break;
        case 4: self->UnbindAll(); break;
        case 5: { const Name a(in), b(in); self->AttachChild(AnyModel(held, in), a.Text(), b.Text()); break; }
        case 6: { const Name a(in); self->AttachTo(AnyModel(held, in), a.Text()); break; }
        case 7: self->Detach(in.Byte() & 1 ? AnyModel(held, in) : nullptr); break;
        case 8: self->Clear(); break;
        case 9: {
            const Name a(in), b(in);
            if (IK3DSceneNode* node = self->GetSceneNode()) node->BindTo(LiveNode(held, in), a.Text(), b.Text());
            break;
        }
        case 10:
            if (IK3DSceneNode* node = self->GetSceneNode()) {
                const uint8_t how = in.Byte() % 4;
                IK3DSceneNode* other = LiveNode(held, in);
                const Name a(in);
                if (how == 0) node->AttachChild(other, a.Text(), nullptr);
                if (how == 1) node->AttachTo(other, a.Text());
                if (how == 2) node->DetachChild(other);
                if (how == 3) node->Unbind(other);
            }
            break;
        case 11: self->SetPosition(in.Float(), in.Float(), in.Float(), in.Value<DWORD>() % 2000); break;
        case 12: self->SetHeading(in.Float(), in.Float(), in.Float(), in.Value<DWORD>() % 2000, in.Byte()); break;
        case 13: self->SetScale(in.Float(), in.Float(), in.Float()); break;
        case 14: self->SetScaleFactor(in.Float()); break;
        case 15: self->PlayAnimation(in.Byte() & 1 ? kAnimation : "\\model\\none.anim", 0, int(in.Byte() % 6)); break;
        case 16: self->SetAnimationSpeed(in.Float()); break;
        case 17: self->SetAnimationPosition(in.Float()); break;
        case 18: self->GetAnimationProgress(in.Byte() & 1 ? "walk" : nullptr); break;
        case 19: self->SetColor(in.Value<DWORD>()); self->SetColorOffset(in.Int()); break;
        case 20: self->SetAlpha(in.Float()); break;
        case 21: self->AttachByName(in.Byte() & 1 ? "\\fx\\glow.a3e" : "\\model\\none.dts"); break;
        case 22: self->SetEnabled(in.Byte() & 1); break;
        default: {
            const int ints[4] = {in.Int(), in.Int(), in.Int(), in.Int()};
            shell->BeginFrame(0, 0xFF000000u, nullptr);
            self->DrawShadow(float(ints[0]), float(ints[1]), float(ints[2]), float(ints[3]), in.Float());
            shell->EndFrame();
            break;
        }
    }
}

void EffectSlots(Input& in, KDrawShell* shell, Held& held) {
    const size_t slot = in.Byte() % kSlots;
    IK3DEffectNode* self = held.effectLive[slot] ? held.effects[slot] : nullptr;
    switch (in.Byte() % 8) {
        case 0:
            if (self) shell->ReleaseEffectNode(self);
            held.effects[slot] = shell->CreateEffectNode(kEffectNames[in.Byte() % 3], 0);
            held.effectLive[slot] = held.effects[slot] != nullptr;
            break;
        case 1:
            if (held.effects[slot]) shell->ReleaseEffectNode(held.effects[slot]);
            held.effectLive[slot] = false;
            break;
        case 2:
            if (self) self->SetPosition(in.Float(), in.Float(), in.Float(), in.Value<DWORD>() % 2000);
            break;
        case 3:
            if (self) self->SetScale(in.Float(), in.Float(), in.Float());
            break;
        case 4:
            if (self) self->SetDirection(in.Float(), in.Float(), in.Float());
            break;
        case 5:
            if (self) self->SetSpeed(in.Float());
            break;
        case 6:
            if (self) self->SetStartOffset(in.Int());
            break;
        default:
            // An effect node hung on a model: the model gives it back.
            if (KModelProxy* model = LiveModel(held, in); self && model && model->GetSceneNode()) {
                model->GetSceneNode()->SetEffectNode(self);
                held.effectLive[slot] = false;
                held.effects[slot] = nullptr;
            }
            break;
    }
}

// Records of every model and effect slot, live or given back, and the
// shell's camera with any float.
void Frame(Input& in, SceneScope& scope, Held& held) {
    KDrawShell* shell = scope.Shell();
    lumiva::win32::AdvanceClock(in.Byte() * 16u);
    switch (in.Byte() % 6) {
        case 0:
            lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICELOST);
            scope.lostFrames = true;
            break;
        case 1:
            lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
            scope.lostFrames = true;
            break;
        case 2: lumiva::d3d9::SetCooperativeLevel(D3D_OK); break;
        case 3: shell->SetZoomFactor(in.Float()); break;
        case 4: shell->SetZoom(in.Float()); break;
        default: break;
    }
    shell->BeginFrame(0, 0xFF000000u, AnyModel(held, in));
    std::vector<KPrimModel> models(kSlots);
    std::vector<KPrimNode> nodes(kSlots);
    for (size_t i = 0; i < kSlots; ++i) {
        models[i].model = held.models[i];
        models[i].computeTransform = in.Byte() & 1;
        nodes[i].node = held.effects[i];
    }
    shell->DrawPrimitives(int(kSlots), models.data(), in.Byte() & 1 ? PRIM_MODELS : PRIM_MODELS_NO_DEPTH_WRITE, 0, 0,
                          -1, -1.0f);
    shell->DrawPrimitives(int(kSlots), nodes.data(), PRIM_EFFECT_NODES, 0, 0, -1, -1.0f);
    KModelProxy* handles[kSlots];
    std::copy(held.models.begin(), held.models.end(), handles);
    shell->RenderOwnViewPass(handles, int(kSlots), in.Byte() % kSlots, in.Int(), in.Int(), 1 + in.Byte(), 0);
    shell->EndFrame();
    scope.ShrinkAfterReset();
}

void Finish(KDrawShell* shell, Held& held) {
    for (size_t i = 0; i < kSlots; ++i) {
        if (held.modelLive[i]) shell->ReleaseModel(held.models[i]);
        if (held.effectLive[i]) shell->ReleaseEffectNode(held.effects[i]);
    }
    // The models given back age out of the manager.
    lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1);
    g_pModelManager->Update();
}

}  // namespace

LUMIVA_FUZZ_SEEDS(scene_calls) {
    // Many calls of every kind, so inputs start long enough for sequences.
    Bytes mixed;
    for (uint8_t i = 0; mixed.size() < 400; ++i)
        for (uint8_t b : {uint8_t(i % 4), uint8_t(i % 3), uint8_t(i * 7), uint8_t(i * 13), uint8_t(i ^ 0x5A), uint8_t(1)})
            mixed.push_back(b);
    return {
        {"mixed", mixed},
        // Two models, the second bound to the first's dummy, the first given
        // back twice, then frames.
        {"bind-release", Bytes{0, 0, 0, 0, 0, 1, 0, 0, 2, 1, 10, 1, 0, 0, 1, 0, 1, 2, 0, 2, 1, 2, 3, 4}},
        {"scene-node-bind", Bytes{0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 9, 0, 1, 0, 1, 0, 0, 1, 2, 0, 0, 0, 2}},
        {"effects", Bytes{1, 0, 0, 0, 1, 0, 2, 40, 0, 0, 0, 1, 0, 1, 1, 0, 1, 2, 3, 4, 5, 6}},
        {"floats", Bytes{0, 0, 0, 1, 0, 0, 11, 0, 0x7F, 0xC0, 0, 0, 0, 0, 0x80, 0x7F, 0, 0, 0, 0, 0, 2, 3}},
        {"parent-walk", Bytes{0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 5, 0, 1, 1, 0, 2, 1, 0, 1, 0, 0, 7, 1, 1, 0, 0, 1,
                              2, 0, 1, 2}},
    };
}

LUMIVA_FUZZ_TARGET(scene_calls, data, size) {
    PrepareProcess();
    lumiva::win32::InstallManualClock(100000);
    SceneScope scope;
    KDrawShell* shell = scope.Shell();
    Input in(data, size);
    Held held;
    int frames = 0;
    for (int call = 0; call < 48 && !in.Empty(); ++call) {
        switch (in.Byte() % 4) {
            case 0: ModelSlots(in, shell, held); break;
            case 1: EffectSlots(in, shell, held); break;
            case 2:
                if (++frames <= 6) Frame(in, scope, held);
                break;
            default: ModelSlots(in, shell, held); break;
        }
    }
    Finish(shell, held);
}
