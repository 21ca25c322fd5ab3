// The particle systems the shell makes for the host, with their two
// presets: sparks spreading upward (0) and motes rising from a box (1).
#include <new>

#include "effects/KParticleSystem.h"
#include "lumiva/basrel/DebugLog.h"
#include "shell/KDrawShell.h"

namespace {

constexpr float kParticleSize[2] = {20.0f, 20.0f};

void UseSpreadPreset(KParticleSystem& system) {
    system.SetEmitter(system.CreateSpreadEmitter(0.1f, 0.1f, 0.0f, 80, 100, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                                                 1.0f, 500, 800, 10));
    system.AddAffector(system.CreateColorFader(1.0f, 1.0f, 1.0f, 0.0f, 500));
}

void UseBoxPreset(KParticleSystem& system) {
    system.SetEmitter(system.CreateBoxEmitter(-7.0f, 0.0f, -7.0f, 7.0f, 1.0f, 7.0f, 0.0f, 0.04f, 0.0f, 80, 100, 1.0f,
                                              1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1000, 2000, 0));
    system.AddAffector(system.CreateColorFader(1.0f, 1.0f, 1.0f, 0.0f, 1000));
}

}  // namespace

/* 16 */ KParticleSystem* KDrawShell::CreateParticleSystem(int preset) {
    auto* system = new (std::nothrow) KParticleSystem();
    if (!system) return nullptr;
    system->SetParticleSize(kParticleSize);
    if (preset == 0) UseSpreadPreset(*system);
    if (preset == 1) UseBoxPreset(*system);
    return system;
}

// A second holder of a system released through the first is left alone.
/* 17 */ void KDrawShell::ReleaseParticleSystem(KParticleSystem** holder) {
    if (!holder || !*holder) return;
    if (!LiveObjects<KParticleSystem>().Holds(*holder)) {
        g_DebugLog("[Scene]ReleaseParticleSystem: not a particle system of this module");
        return;
    }
    (*holder)->ReleaseResources();
    delete *holder;
    *holder = nullptr;
}
