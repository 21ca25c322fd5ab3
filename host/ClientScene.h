// The game client's scene, drawn frame by frame through the shell's and the
// scene place's slots only: the place with its map around a focus that walks
// a loop across region borders, a walking figure the view follows (with a
// ribbon behind it, a blade trail, a glow bound to its hand and a beam to
// its companion), an idle figure beside an
// animated shape, effects, particles and a lightning bolt between them, weather from
// half-way, the mini-map, and the 2D client screen on top.
#pragma once

#include <cstdint>
#include <vector>

#include "DemoPlaceHost.h"

class ClientScreen;
class IK3DEffectNode;
class IKDrawShell;
class IScenePlace;
class KChannelMagic;
class KLightning;
class KModelProxy;
class KParticleSystem;
class KSceneObject;

// A point of the focus's walk, in place world units.
struct WalkPoint {
    int32_t x;
    int32_t y;
};

// The loop the focus walks: around a region corner, so every lap crosses
// four region borders. Frame n is n steps along it.
WalkPoint FocusAt(int frame);
// Where the idle figure and the shape stand, and the loop's middle.
WalkPoint LoopCentre();
WalkPoint GuardSpot();
WalkPoint ShapeSpot();

class ClientScene {
public:
    ClientScene(IKDrawShell* shell, IScenePlace* place, ClientScreen& hud);
    ~ClientScene();
    ClientScene(const ClientScene&) = delete;
    ClientScene& operator=(const ClientScene&) = delete;

    // Starts the place, loads the map and makes the models and effects;
    // false (after printing why) when something the scene needs is missing.
    bool Load();
    // `frameCount` sets when the weather starts: half-way.
    void DrawFrame(int frame, int frameCount);
    // Gives everything back to the place and the shell; the shell's Release
    // may follow. Runs from the destructor too.
    void Release();

    int RegionsStreamed() const { return m_host.RegionsAttached(); }
    int PlayerPaints() const { return m_host.PlayerPaints(); }
    bool WeatherStarted() const { return m_weatherStarted; }
    // True when every model handle went back (ReleaseModel returned true).
    bool ModelsReleased() const { return m_modelsReleased; }

private:
    bool LoadModels();
    bool LoadEffects();
    void MoveActors(int frame);
    void DrawModels();
    void DrawEffects();
    void DrawMiniMap();

    IKDrawShell* m_shell;
    IScenePlace* m_place;
    ClientScreen& m_hud;
    DemoPlaceHost m_host;
    bool m_placeStarted = false;

    KModelProxy* m_walker = nullptr;
    KModelProxy* m_guard = nullptr;
    KModelProxy* m_shape = nullptr;
    std::vector<IK3DEffectNode*> m_effects;  // burst, ring, dome
    KLightning* m_lightning = nullptr;
    KChannelMagic* m_beam = nullptr;
    uint32_t m_ribbon = 0;
    KParticleSystem* m_sparks = nullptr;  // preset 0, right of the walker
    KParticleSystem* m_motes = nullptr;   // preset 1, left of it
    KSceneObject* m_playerObject = nullptr;  // the place's object of the walker

    WalkPoint m_focus{0, 0};
    float m_walkerX = 0, m_walkerY = 0;
    bool m_weatherStarted = false;
    bool m_modelsReleased = true;
};
