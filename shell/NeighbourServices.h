// What the shell calls in its neighbours. The texture manager part forwards
// to the real manager; the image cache, the model handles, the effects and
// the scene place are STAND-INS with the least body that works. Each later subsystem replaces its part of this
// file (and of NeighbourServices.cpp); the shell reaches them no other way.
//
// Every call is noted in CallLog() so tests can check the order in which
// the shell drives its parts.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "place/IScenePlaceHost.h"
#include "textures/ImageCache.h"

class KDrawShell;
class KLightning;
class KLightningSet;
class KImageTexture;
class KModelProxy;

// The light glow overlay (effects/): the two flags the shell sets.
class KLightGlow {
public:
    uint8_t glowOn = 0;    // option 8
    uint8_t gridFlag = 0;  // option 0
    DWORD clearColour = 0;

    void Init() { Reset(); }
    void Reset();
    void Render();
    void Draw();
    void InvalidateDeviceObjects();
    void RestoreDeviceObjects();
    HRESULT DeleteDeviceObjects();
    HRESULT LoadSettings();
};

// One ribbon trail record (effects/).
struct KRibbon {
    uint32_t values[10] = {};
};

namespace neighbours {

// --- Texture manager (textures/) ---
bool TextureManagerInit(IDirect3DDevice9* device, bool a, bool b);
bool TextureManagerInvalidateDeviceObjects();
bool TextureManagerRestoreDeviceObjects();
// A record of the manager, or null when the texture cannot be had.
void* TextureManagerLoadTexture(const char* name, const char* folder, BYTE keep, BYTE fullPath, BYTE load);
void TextureManagerReleaseTexture(void* record);
void TextureManagerFreeTextureMemory(int mode);

// --- Pictures (textures/) ---
// Bytes of texture memory a picture's textures take.
uint32_t PictureCost(const KImageTexture* picture);

// --- Model handles (scene/) ---
// KModelProxy::GetPosition with the flag 1.
void ModelGetPosition(KModelProxy* model, float* x, float* y, float* z);
// The handle holds a model (its scene node) with a mesh.
bool ModelHasSceneMesh(KModelProxy* model);
// The off-screen state of the model's mesh; nothing without a mesh.
void ModelMeshEnterOffscreen(KModelProxy* model);
void ModelMeshLeaveOffscreen(KModelProxy* model);

// --- Effects (effects/) ---
void ReleaseRibbons();
void RecreateRibbonBuffers();
void DebugMeshSetDevice(IDirect3DDevice9* device);
void DrawDebugMeshes(WORD id, DWORD a, DWORD b);
// The debug meshes' default-pool textures, around a device reset.
void DebugMeshInvalidateDeviceObjects();
void DebugMeshRestoreDeviceObjects();

// --- Scene place (place/) ---
// Asks a running pak preload thread to stop and waits for it up to
// timeoutMs; false when it did not stop in that time.
bool StopPakPreloadThread(DWORD timeoutMs);
// The host interface the scene place holds, or null.
IScenePlaceHost* ScenePlaceHost();
// The scene place as CreateScenePlaceC hands it out; null until it exists.
void* ScenePlaceInterface();
// --- Drawn by DrawPrimitives (scene/, effects/) ---
// GetSceneNode, SetComputeTransform(flag), ApplyColor and Update.
void ModelDrawWithTransform(KModelProxy* model, bool computeTransform);
// GetSceneNode and Update only.
void ModelUpdate(KModelProxy* model);
void LightningRender(KLightning* lightning);
void LightningSetDraw(KLightningSet* set);

// --- Test control ---
std::vector<std::string>& CallLog();
// Results the stand-ins give, for failure paths.
struct Answers {
    bool textureManagerInit = true;
    bool textureManagerInvalidate = true;
    bool textureManagerRestore = true;
    // Model handles: position and whether a scene node with a mesh exists.
    std::function<void(KModelProxy*, float*, float*, float*)> modelPosition;
    std::function<bool(KModelProxy*)> modelHasMesh;
};
Answers& TestAnswers();
void ResetForTests();

}  // namespace neighbours
