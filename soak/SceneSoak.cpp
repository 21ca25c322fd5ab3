#include "soak/SceneSoak.h"

#include <windows.h>
#include <d3d9.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>

#include "d3d9/Control.h"
#include "effects/K3DEffectInstance.h"
#include "effects/KLightningSet.h"
#include "effects/KParticleSystem.h"
#include "host/ClientScene.h"
#include "host/ClientScreen.h"
#include "host/SceneSampleData.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/IScenePlace.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "win32/Control.h"

namespace {

namespace d3d = lumiva::d3d9;

constexpr int kWidth = 800, kHeight = 600;
constexpr uint64_t kFrameMs = 16;
// The scene reloads more than the 2D screen after a reset.
constexpr int kSceneRecoveryFrames = 6;
constexpr const char* kLightningSet = "\\effect\\soakset.ini";

// The scene, its extras and the shell, made in order; any step may meet an
// out-of-memory creation, and Release gives back whatever was made.
class SceneRun {
public:
    explicit SceneRun(const std::string& data) : m_data(data) {}
    ~SceneRun() { Release(); }
    SceneRun(const SceneRun&) = delete;
    SceneRun& operator=(const SceneRun&) = delete;

    // False when the shell cannot be created; the scene itself may be half
    // there (a failed load leaves what it made, given back by Release).
    bool Load() {
        m_shell = CreateLumivaShell4();
        if (m_shell && !m_shell->Create(kWidth, kHeight, 0, 0, 0)) {
            m_shell->Release();
            m_shell = nullptr;
        }
        if (!m_shell) return false;
        m_hud = std::make_unique<ClientScreen>(m_shell, kWidth, kHeight);
        m_hud->Load(m_data);
        auto* place = static_cast<IScenePlace*>(CreateScenePlaceC());
        if (!place) return true;
        m_scene = std::make_unique<ClientScene>(m_shell, place, *m_hud);
        // The demo's scene draws only what loaded whole.
        m_sceneLoaded = m_scene->Load();
        m_particles = m_shell->CreateParticleSystem(1);
        m_set = m_shell->CreateLightningSet(kLightningSet);
        m_instance = m_shell->CreateEffectInstance(scene_data::kRingEffect);
        return true;
    }

    void DrawFrame(int frame) {
        lumiva::win32::AdvanceClock(kFrameMs);
        if (m_sceneLoaded) m_scene->DrawFrame(frame, 0);
        m_shell->BeginFrame(0, 0, nullptr);
        if (m_particles) m_particles->Render();
        if (m_instance) m_instance->Render(frame * int(kFrameMs), 1);
        m_shell->EndFrame();
    }

    bool DeviceLost() const { return static_cast<KDrawShell*>(m_shell)->deviceLost != 0; }

    void Release() {
        if (!m_shell) return;
        if (m_instance) m_shell->ReleaseEffectInstance(m_instance);
        if (m_set) m_shell->ReleaseLightningSet(m_set);
        m_shell->ReleaseParticleSystem(&m_particles);
        m_instance = nullptr;
        m_set = nullptr;
        if (m_scene) m_scene->Release();
        m_scene.reset();
        m_sceneLoaded = false;
        m_hud.reset();
        m_shell->Release();
        m_shell = nullptr;
    }

private:
    std::string m_data;
    IKDrawShell* m_shell = nullptr;
    std::unique_ptr<ClientScreen> m_hud;
    std::unique_ptr<ClientScene> m_scene;
    bool m_sceneLoaded = false;
    KParticleSystem* m_particles = nullptr;
    KLightningSet* m_set = nullptr;
    K3DEffectInstance* m_instance = nullptr;
};

// Over a bolt of its own: the scene's bolt is loaded and unloaded by name.
void WriteLightningSet(const std::string& data) {
    std::ifstream bolt(data + "/effect/bolt.ini", std::ios::binary);
    std::ofstream(data + "/effect/soakbolt.ini", std::ios::binary) << bolt.rdbuf();
    std::ofstream(data + "/effect/soakset.ini") << "[LightningSet]\nLightningNum=1\nLightning_0=\\effect\\soakbolt.ini\n";
}

[[gnu::format(printf, 2, 3)]] void Fail(const SceneSoakWorld& world, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    world.fail(text);
}

}  // namespace

void SceneLossCycles(const SceneSoakWorld& world, const std::string& data, int cycles, uint32_t seed) {
    world.start();
    WriteLightningSet(data);
    {
        SceneRun run(data);
        if (!run.Load()) return world.fail("the scene's shell is not created without faults");
        std::mt19937 random(seed);
        int frame = 0;
        for (; frame < 10; ++frame) run.DrawFrame(frame);
        const UINT settled = d3d::LiveResourceCount();
        for (int cycle = 0; cycle < cycles; ++cycle) {
            const int calmFrames = int(random() % 3);
            for (int i = 0; i < calmFrames; ++i) run.DrawFrame(frame++);
            d3d::SetCooperativeLevel(D3DERR_DEVICELOST);
            const int lostFrames = 1 + int(random() % 3);
            for (int i = 0; i < lostFrames; ++i) run.DrawFrame(frame++);
            d3d::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
            const int fault = int(random() % 3);
            if (fault == 1) d3d::FailNextReset();
            if (fault == 2) d3d::FailCreationAt(1 + random() % 12);
            bool back = false;
            for (int i = 0; i < kSceneRecoveryFrames && !back; ++i) {
                run.DrawFrame(frame++);
                back = !run.DeviceLost();
            }
            d3d::FailCreationAt(0, D3DERR_OUTOFVIDEOMEMORY, 0);
            if (!back)
                Fail(world, "scene cycle %d (fault %d): the device is not back after %d frames", cycle, fault,
                     kSceneRecoveryFrames);
            if (cycle % 10 == 9) {
                // A few frames more and everything made lazily is back too.
                for (int i = 0; i < 3; ++i) run.DrawFrame(frame++);
                const UINT live = d3d::LiveResourceCount();
                if (live > settled + 8)
                    Fail(world, "scene cycle %d: %u live resources, %u before the losses", cycle, live, settled);
            }
        }
    }
    world.expectNothingLeft("scene loss cycles", cycles);
}

void SceneCreationShortages(const SceneSoakWorld& world, const std::string& data, int stride) {
    world.start();
    WriteLightningSet(data);
    UINT creations = 0;
    {
        SceneRun run(data);
        if (!run.Load()) return world.fail("the scene's shell is not created without faults");
        for (int frame = 0; frame < 3; ++frame) run.DrawFrame(frame);
        creations = d3d::ResourceCreationCount();
    }
    world.expectNothingLeft("scene without faults", 0);
    int runs = 0;
    for (UINT n = 1; n <= creations + 2; n += UINT(stride > 0 ? stride : 1), ++runs) {
        world.start();
        d3d::FailCreationAt(n);
        {
            SceneRun run(data);
            if (run.Load())
                for (int frame = 0; frame < 3; ++frame) run.DrawFrame(frame);
        }
        world.expectNothingLeft("scene creation", int(n));
    }
    std::printf("lumiva-soak: %d of the scene's %u creations failed in turn\n", runs, creations);
}
