// The game client's scene, drawn frame by frame through the shell's and the
// scene place's slots only: the place with its map around a focus that walks
// a loop across region borders, a walking figure the view follows (with a
// ribbon behind it, a blade trail, a glow bound to its hand and a beam to
// its companion), an idle figure beside an
// animated shape, effects, particles and a lightning bolt between them, rain
// that starts and stops, the mini-map, and the 2D client screen on top.
#pragma once

#include <cstdint>
#include <set>
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

// When the rain starts and when the place is asked to stop it, by frame.
// The stop brightens the light back one step a frame for as many frames as
// the rain darkened it, then the rain is gone: it starts a quarter of the
// way through, is asked to stop half-way and is over by about three
// quarters. With no frame count it starts at once and is never stopped.
struct RainSchedule {
    int start;
    int stop;  // -1: never asked to stop
};
RainSchedule RainFor(int frameCount);

class ClientScene {
public:
    ClientScene(IKDrawShell* shell, IScenePlace* place, ClientScreen& hud);
    ~ClientScene();
    ClientScene(const ClientScene&) = delete;
    ClientScene& operator=(const ClientScene&) = delete;

    // Starts the place, loads the map and makes the models and effects;
    // false (after printing why) when something the scene needs is missing.
    bool Load();
    // `frameCount` sets when the rain starts and stops (RainFor).
    void DrawFrame(int frame, int frameCount);
    // From now on each frame waits, after the focus moves, until the loader
    // has read the regions the place asked for: the first frame the whole
    // window the map load asked for, later ones the 5 x 5 regions around
    // the focus, which the place always holds. Then what a frame shows
    // does not depend on how fast the loader reads.
    void WaitForRegionsEachFrame() { m_waitForRegions = true; }
    // True when a wait ran out of time (the frames then went on).
    bool RegionsMissed() const { return m_regionsMissed; }
    // Gives everything back to the place and the shell; the shell's Release
    // may follow. Runs from the destructor too.
    void Release();

    int RegionsStreamed() const { return m_host.RegionsAttached(); }
    int PlayerPaints() const { return m_host.PlayerPaints(); }
    // Frames the rain started and was asked to stop at; -1 until then.
    int RainStartedAt() const { return m_rainStartedAt; }
    int RainStopAskedAt() const { return m_rainStopAskedAt; }
    // True when every model handle went back (ReleaseModel returned true).
    bool ModelsReleased() const { return m_modelsReleased; }

private:
    bool LoadModels();
    bool LoadEffects();
    void MoveActors(int frame);
    void DrawModels();
    void DrawEffects();
    void DrawMiniMap();
    void StepRain(int frame, int frameCount);
    std::set<int32_t> MapRegionsAround(WalkPoint focus, int reach);
    void WaitForRegions(int frame);

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
    int m_rainStartedAt = -1;
    int m_rainStopAskedAt = -1;
    bool m_modelsReleased = true;
    bool m_waitForRegions = false;
    bool m_regionsMissed = false;
};
