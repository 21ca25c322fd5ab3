#include "ClientScene.h"

#include <mmsystem.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "ClientScreen.h"
#include "EffectHandles.h"
#include "ModelHandle.h"
#include "SceneSampleData.h"
#include "lumiva/IK3DEffectNode.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/IScenePlace.h"
#include "lumiva/PrimitiveRecords.h"

namespace {

constexpr float kPi = 3.14159265f;

// The loop: a rectangle around the corner of regions (13, 13), (14, 13),
// (13, 14) and (14, 14); the screen shows about 800 units across and 1200
// down, so the figures in the middle stay in view.
constexpr int32_t kLoopHalfWidth = 280;
constexpr int32_t kLoopHalfHeight = 300;
constexpr int32_t kStep = 36;  // world units a frame

// Animation names are kept by the handle: they live as long as the program.
constexpr int kLoopedPlay = 1;

// Set 1 of the walker's effect list.
constexpr int kWalkingEffects = 1;
constexpr int kSparksPreset = 0;
constexpr int kMotesPreset = 1;
// Untextured particles are plain quads: small ones read as sparks.
constexpr float kParticleSize[2] = {5.0f, 5.0f};

constexpr float kShapeScale = 40.0f;

constexpr uint32_t kRibbonSegments = 24;
constexpr uint32_t kRibbonShiftMs = 8;
// The mini-map's square on the 2D screen (see ClientScreen::DrawPanels).
constexpr int kMiniMapSize = 120;
// The weather id that asks the current weather to stop.
constexpr int32_t kStopWeather = 255;

// The place keeps 7 x 7 regions around the region it last asked for, and
// the focus is never more than a region away from that one.
constexpr int kPoolReach = 3;
constexpr int kHeldReach = 2;
// Real time a frame waits for the loader before it goes on without it.
constexpr auto kRegionWait = std::chrono::seconds(60);

}  // namespace

WalkPoint LoopCentre() {
    return {(scene_data::kRegionLeft + 4) * scene_data::kRegionWidth,
            (scene_data::kRegionTop + 4) * scene_data::kRegionHeight};
}

WalkPoint GuardSpot() { return {LoopCentre().x - 100, LoopCentre().y + 40}; }
WalkPoint ShapeSpot() { return {LoopCentre().x + 110, LoopCentre().y - 20}; }

WalkPoint FocusAt(int frame) {
    const WalkPoint c = LoopCentre();
    const int32_t w = 2 * kLoopHalfWidth, h = 2 * kLoopHalfHeight;
    const int64_t perimeter = 2 * (int64_t{w} + h);
    int64_t along = int64_t{frame} * kStep % perimeter;
    const int32_t left = c.x - kLoopHalfWidth, top = c.y - kLoopHalfHeight;
    if (along < w) return {left + int32_t(along), top};  // right along the top
    along -= w;
    if (along < h) return {left + w, top + int32_t(along)};  // down the right side
    along -= h;
    if (along < w) return {left + w - int32_t(along), top + h};  // back along the bottom
    along -= w;
    return {left, top + h - int32_t(along)};  // up the left side
}

ClientScene::ClientScene(IKDrawShell* shell, IScenePlace* place, ClientScreen& hud)
    : m_shell(shell), m_place(place), m_hud(hud), m_host(shell) {}

ClientScene::~ClientScene() { Release(); }

bool ClientScene::Load() {
    m_place->SetHost(&m_host);
    if (!m_place->Init(nullptr)) {
        std::fprintf(stderr, "lumiva-demo: the scene place does not start\n");
        return false;
    }
    m_placeStarted = true;
    if (!m_place->LoadMap(scene_data::kMapId, 0, 0)) {
        std::fprintf(stderr, "lumiva-demo: the scene place cannot load map %d (%s)\n", scene_data::kMapId,
                     scene_data::kMapFolder);
        return false;
    }
    // The part of the world the place paints around the focus.
    D3DVIEWPORT9 view{};
    if (IDirect3DDevice9* device = m_shell->GetDevice(); device && SUCCEEDED(device->GetViewport(&view)))
        m_place->SetViewSize(int32_t(view.Width), int32_t(view.Height));
    m_place->ShowMiniMap(1, uint32_t(kMiniMapSize) | uint32_t(kMiniMapSize) << 16);
    m_focus = FocusAt(0);
    m_place->SetFocus(m_focus.x, m_focus.y, 0);
    return LoadModels() && LoadEffects();
}

bool ClientScene::LoadModels() {
    m_modelsReleased = false;
    m_walker = m_shell->CreateModel(scene_data::kWalker);
    m_guard = m_shell->CreateModel(scene_data::kGuard);
    m_shape = m_shell->CreateModel(scene_data::kShape);
    if (!m_walker || !m_guard || !m_shape) {
        std::fprintf(stderr, "lumiva-demo: the shell's CreateModel gave no model for %s\n",
                     !m_walker ? scene_data::kWalker : !m_guard ? scene_data::kGuard : scene_data::kShape);
        return false;
    }
    IModelHandle* walker = Handle(m_walker);
    walker->PlayAnimation(scene_data::kWalkerWalk, 0, kLoopedPlay);
    // The blade leaves a trail and the hand glows as it walks (where the
    // module draws trails and bound effects; the module logs why not).
    if (walker->LoadTrail(scene_data::kWeaponTrail)) walker->StartTrail();
    // Set 1 of the list binds the hand glow and lets the blade trail draw.
    // A type-12 record updates the model with the argument of its last walk
    // of the tree, so one walk with argument 1 picks the set for every
    // frame (it draws once into the back buffer the first frame clears).
    if (walker->LoadEffectList(scene_data::kWalkerEffects, kWalkingEffects)) walker->UpdateTree(kWalkingEffects);
    Handle(m_guard)->PlayAnimation(scene_data::kGuardIdle, 0, kLoopedPlay);
    const WalkPoint guard = GuardSpot(), shape = ShapeSpot();
    Handle(m_guard)->SetPosition(float(guard.x), float(guard.y), 0.0f, 0);
    Handle(m_shape)->SetPosition(float(shape.x), float(shape.y), 0.0f, 0);
    // The shape's parts are a unit across.
    Handle(m_shape)->SetScale(kShapeScale, kShapeScale, kShapeScale);
    // No depth quad behind the shape: nothing is to hide behind it.
    Handle(m_shape)->SetShapeParams(0, 0, 0, 0, 0);
    m_host.SetPlayer(m_walker);
    m_playerObject = m_place->AddObject(DemoPlaceHost::kPlayerKind, DemoPlaceHost::kPlayerId, m_focus.x, m_focus.y,
                                        0, DemoPlaceHost::kPlayerFlags);
    return true;
}

bool ClientScene::LoadEffects() {
    for (const char* name : {scene_data::kBurstEffect, scene_data::kRingEffect, scene_data::kDomeEffect}) {
        IK3DEffectNode* node = m_shell->CreateEffectNode(name, 0);
        if (!node) {
            std::fprintf(stderr, "lumiva-demo: the shell's CreateEffectNode gave nothing for %s\n", name);
            return false;
        }
        node->SetDirection(0.0f, 0.0f, 1.0f);
        m_effects.push_back(node);
    }
    const WalkPoint guard = GuardSpot(), shape = ShapeSpot();
    m_effects[0]->SetPosition(float(guard.x), float(guard.y), 60.0f, 0);
    m_effects[1]->SetPosition(float(shape.x), float(shape.y), 2.0f, 0);
    m_effects[2]->SetPosition(float(guard.x), float(guard.y), 0.0f, 0);

    m_lightning = m_shell->LoadLightning(scene_data::kLightning);
    m_beam = m_shell->CreateChannelMagic();
    if (!m_lightning || !m_beam) {
        std::fprintf(stderr, "lumiva-demo: no %s\n", !m_lightning ? "lightning definition" : "channel beam");
        return false;
    }
    Ends(m_lightning)->SetStart(float(shape.x), float(shape.y), 150.0f);
    Ends(m_lightning)->SetEnd(float(guard.x), float(guard.y), 90.0f);
    Beam(m_beam)->Load(scene_data::kBeam);
    m_ribbon = m_shell->CreateRibbon(kRibbonSegments, kRibbonShiftMs, 16.0f, 20.0f, scene_data::kRibbonTexture, 0,
                                     0xFF60C0FFu, 0);
    if (m_ribbon == 0 || m_ribbon == 0xFFFFFFFFu) {
        std::fprintf(stderr, "lumiva-demo: the shell's CreateRibbon made no ribbon\n");
        m_ribbon = 0;
        return false;
    }
    m_shell->UpdateRibbon(m_ribbon, 1);
    // Particles where the shell has its presets.
    m_sparks = m_shell->CreateParticleSystem(kSparksPreset);
    m_motes = m_shell->CreateParticleSystem(kMotesPreset);
    // Particle systems draw through a camera of their own, looking at its
    // origin from 2500 units away (about 330 units across the screen's
    // height), not through the scene's: places there are places on screen.
    // The view follows the walker, so sparks rise beside it and motes drift
    // up on its other side, clear of the figure itself.
    for (KParticleSystem* particles : {m_sparks, m_motes})
        if (particles) Particles(particles)->SetParticleSize(kParticleSize);
    if (m_sparks) Particles(m_sparks)->SetPosition(60.0f, 20.0f, 0.0f);
    if (m_motes) Particles(m_motes)->SetPosition(-60.0f, -30.0f, 0.0f);
    return true;
}

void ClientScene::MoveActors(int frame) {
    const WalkPoint next = FocusAt(frame);
    const float dx = float(next.x - m_focus.x), dy = float(next.y - m_focus.y);
    m_focus = next;
    m_place->SetFocus(m_focus.x, m_focus.y, 0);
    m_playerObject = m_place->UpdateObject(DemoPlaceHost::kPlayerKind, DemoPlaceHost::kPlayerId, m_focus.x,
                                           m_focus.y, 0, &m_playerObject, DemoPlaceHost::kPlayerFlags, 0);
    IModelHandle* walker = Handle(m_walker);
    walker->SetPosition(float(m_focus.x), float(m_focus.y), 0.0f, 0);
    // The figure faces where it goes; SetHeading turns it to (b, c, a + pi).
    if (dx != 0.0f || dy != 0.0f) walker->SetHeading(std::atan2(dy, dx) - kPi / 2, 0.0f, 0.0f, 0, 1);
    m_walkerX = float(m_focus.x), m_walkerY = float(m_focus.y);
    // The guard turns slowly on the spot.
    Handle(m_guard)->SetHeading(float(frame % 120) * 2.0f * kPi / 120.0f, 0.0f, 0.0f, 0, 1);
}

void ClientScene::DrawModels() {
    // The place paints the player in its own passes once it paints objects;
    // otherwise the host draws it with the others.
    const bool playerPainted = m_host.PlayerPaints() > 0;
    std::vector<KPrimModel> records;
    for (KModelProxy* model : {m_walker, m_guard, m_shape}) {
        if (model == m_walker && playerPainted) continue;
        KPrimModel record{};
        record.model = model;
        record.computeTransform = 1;
        records.push_back(record);
    }
    m_shell->DrawPrimitives(int(records.size()), records.data(), PRIM_MODELS, 0, 0, -1, -1.0f);
}

void ClientScene::DrawEffects() {
    // Each effect starts again once it has played, on the module's clock.
    const uint32_t now = timeGetTime();
    std::vector<KPrimNode> nodes;
    for (IK3DEffectNode* node : m_effects) {
        DWORD duration = 0;
        node->GetDuration(&duration);
        if (duration > 0) node->SetStartOffset(int(now % duration));
        KPrimNode record{};
        record.node = node;
        nodes.push_back(record);
    }
    m_shell->DrawPrimitives(int(nodes.size()), nodes.data(), PRIM_EFFECT_NODES, 0, 0, -1, -1.0f);

    KPrimEffect bolt{};
    bolt.effect = m_lightning;
    m_shell->DrawPrimitives(1, &bolt, PRIM_LIGHTNING, 0, 0, -1, -1.0f);

    const WalkPoint guard = GuardSpot();
    Beam(m_beam)->SetEndPoints(m_walkerX, m_walkerY, 60.0f, float(guard.x), float(guard.y), 70.0f);
    Beam(m_beam)->Render();
    m_shell->DrawRibbons(m_ribbon, int(m_walkerX), int(m_walkerY), 30);
    for (KParticleSystem* particles : {m_sparks, m_motes})
        if (particles) Particles(particles)->Render();
}

void ClientScene::DrawMiniMap() {
    D3DVIEWPORT9 view{};
    int width = 800;
    if (IDirect3DDevice9* device = m_shell->GetDevice(); device && SUCCEEDED(device->GetViewport(&view)))
        width = int(view.Width);
    m_place->PaintMiniMap(width - 136, 180, 0, 0);
}

RainSchedule RainFor(int frameCount) {
    if (frameCount <= 0) return {0, -1};
    return {frameCount / 4, frameCount / 2};
}

// The place's weather is asked to stop with id 255, as a client does when
// the weather changes: it brightens back and then finishes by itself.
void ClientScene::StepRain(int frame, int frameCount) {
    const RainSchedule rain = RainFor(frameCount);
    if (m_rainStartedAt < 0 && frame >= rain.start) {
        m_place->SetWeather(scene_data::kWeatherId);
        m_rainStartedAt = frame;
    }
    if (m_rainStartedAt >= 0 && m_rainStopAskedAt < 0 && rain.stop >= 0 && frame >= rain.stop) {
        m_place->SetWeather(kStopWeather);
        m_rainStopAskedAt = frame;
    }
}

std::set<int32_t> ClientScene::MapRegionsAround(WalkPoint focus, int reach) {
    const int cx = focus.x / scene_data::kRegionWidth, cy = focus.y / scene_data::kRegionHeight;
    std::set<int32_t> ids;
    for (int ry = cy - reach; ry <= cy + reach; ++ry)
        for (int rx = cx - reach; rx <= cx + reach; ++rx) {
            if (rx < 0 || ry < 0) continue;
            const int32_t id = m_host.FindRegionId(0, uint32_t(rx) | uint32_t(ry) << 16);
            if (id >= 0) ids.insert(id);
        }
    return ids;
}

// The loader works on its own thread; the host only looks at what it has
// attached, a millisecond of real time apart.
void ClientScene::WaitForRegions(int frame) {
    const std::set<int32_t> wanted = MapRegionsAround(m_focus, frame == 0 ? kPoolReach : kHeldReach);
    const auto deadline = std::chrono::steady_clock::now() + kRegionWait;
    while (!m_host.HoldsRegions(wanted)) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "lumiva-demo: frame %d: the place's regions did not arrive\n", frame);
            m_regionsMissed = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void ClientScene::DrawFrame(int frame, int frameCount) {
    MoveActors(frame);
    if (m_waitForRegions && !m_regionsMissed) WaitForRegions(frame);
    StepRain(frame, frameCount);
    m_place->UpdateFrame();
    m_shell->BeginFrame(0, 0xFF000000u, m_walker);
    IDirect3DDevice9* device = m_shell->GetDevice();
    // The place's pictures stand in world units: the models and effects of
    // the frame before left their own world transform on the device.
    if (device) {
        D3DMATRIX identity{};
        identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
        device->SetTransform(D3DTS_WORLD, &identity);
    }
    // The ground is lit by the light grid its objects' pass builds, so the
    // first frame's ground would find none yet: that frame paints twice,
    // the first time only for the grid.
    if (frame == 0 && device) {
        m_place->Paint();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    }
    m_place->Paint();
    DrawModels();
    DrawEffects();
    // The 2D screen lies over the whole scene: it starts from the shell's
    // own states and an empty depth buffer, whatever the scene left.
    m_shell->SetDefaultRenderStates();
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawMiniMap();
    m_hud.DrawHud(frame);
    m_shell->EndFrame();
}

void ClientScene::Release() {
    if (m_ribbon) {
        m_shell->UpdateRibbon(m_ribbon, 0);
        m_ribbon = 0;
    }
    m_shell->ReleaseParticleSystem(&m_sparks);
    m_shell->ReleaseParticleSystem(&m_motes);
    if (m_beam) m_shell->ReleaseChannelMagic(m_beam);
    m_beam = nullptr;
    if (m_lightning) m_shell->UnloadLightning(scene_data::kLightning);
    m_lightning = nullptr;
    for (IK3DEffectNode* node : m_effects) m_shell->ReleaseEffectNode(node);
    m_effects.clear();
    if (m_placeStarted) {
        m_place->RemoveObject(DemoPlaceHost::kPlayerKind, DemoPlaceHost::kPlayerId,
                              &m_playerObject);
        m_place->UnloadMap();
        m_place->Release();
        m_place->SetHost(nullptr);
        m_placeStarted = false;
    }
    m_host.SetPlayer(nullptr);
    bool released = true;
    for (KModelProxy** model : {&m_walker, &m_guard, &m_shape}) {
        if (*model) released = m_shell->ReleaseModel(*model) && released;
        *model = nullptr;
    }
    if (!m_modelsReleased) m_modelsReleased = released;
}
