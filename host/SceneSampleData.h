// The files of the demo's 3D scene, written with the tools/ writers: a
// generated map of 8 x 8 regions with its settings, mini-map picture,
// scroll settings and weather; two skinned figures with materials and a
// walk and an idle animation each; an animated shape; effect files, a
// lightning definition, a channel beam and a ribbon texture.
#pragma once

#include <cstdint>
#include <string>

namespace scene_data {

// The map: id 1 of the map list, regions (10, 10) to (17, 17).
constexpr int kMapId = 1;
constexpr const char* kMapFolder = "\\Maps\\demo";
constexpr int kRegionLeft = 10;
constexpr int kRegionTop = 10;
constexpr int kRegionsAcross = 8;
constexpr int kRegionsDown = 8;
constexpr int kRegionWidth = 512;  // world units
constexpr int kRegionHeight = 1024;
// Section "Weather001" of the weather settings: rain that lasts the whole run.
constexpr int kWeatherId = 1;

// Models by the name the shell's CreateModel takes (".mesh" and ".mtl" are
// added), with their animations.
constexpr const char* kWalker = "\\model\\walker\\walker";
constexpr const char* kGuard = "\\model\\guard\\guard";
constexpr const char* kWalkerWalk = "\\model\\walker\\walk.anim";
constexpr const char* kWalkerIdle = "\\model\\walker\\idle.anim";
constexpr const char* kGuardWalk = "\\model\\guard\\walk.anim";
constexpr const char* kGuardIdle = "\\model\\guard\\idle.anim";
// The figures stand this tall (model units, y up) before scaling.
constexpr float kFigureHeight = 100.0f;
constexpr const char* kShape = "\\model\\tree\\tree.dts";

constexpr const char* kBurstEffect = "\\effect\\burst.a3e";
constexpr const char* kRingEffect = "\\effect\\ring.a3e";
constexpr const char* kDomeEffect = "\\effect\\dome.a3e";
constexpr const char* kLightning = "\\effect\\bolt.ini";
constexpr const char* kBeam = "\\effect\\beam.ini";
constexpr const char* kRibbonTexture = "\\effect\\ribbon.dds";
// The walker's blade trail (section "TEST_TYPE") and the glow bound to its
// hand.
constexpr const char* kWeaponTrail = "\\model\\walker\\blade.ini";
constexpr const char* kHandEffect = "\\effect\\hand.a3e";
constexpr const char* kHandSocket = "hand";
// The walker's effect list: set 1 binds the hand glow and turns the blade
// trail on (a trail draws only with a bound-effect set that asks for it).
constexpr const char* kWalkerEffects = "\\model\\walker\\effects.ini";

// The gap in every region's ground picture (pixels of the 512 x 512
// picture; a pixel covers one world unit across and two down): an ellipse
// through which the background and the drifting clouds under the ground show.
struct GroundGap {
    int centreX, centreY, radiusX, radiusY;
};
constexpr GroundGap kGroundGap = {130, 220, 90, 50};

// The colour of region (rx, ry)'s ground picture away from its seams
// (0xFFRRGGBB, before the place's light tints it): neighbours differ.
uint32_t RegionGroundTint(int rx, int ry);

bool WriteSceneData(const std::string& root);

}  // namespace scene_data
