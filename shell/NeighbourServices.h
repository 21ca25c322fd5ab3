// What the shell calls in its neighbours. The texture manager, picture,
// pak-preload, model-manager and effect parts forward to the real objects;
// the model handles and the scene place parts are STAND-INS with the least
// body that works. Each subsystem that lands replaces its part of this file
// (and of NeighbourServices.cpp); the shell reaches them no other way.
//
// While the call log is on, every call is noted in CallLog() so tests can
// check the order in which the shell drives its parts. It is off unless a
// test turns it on: a running client would add entries every frame.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "effects/KLightGlow.h"
#include "effects/KRibbon.h"
#include "lumiva/IScenePlaceHost.h"
#include "textures/ImageCache.h"

class KDrawShell;
class KLightning;
class KLightningSet;
class KImageTexture;
class KModelProxy;

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
// The meshes go with the device; at the shell's end the device is forgotten.
void DebugMeshDeleteDeviceObjects();
void DebugMeshForgetDevice();
// Every lightning definition still alive, at the shell's end.
void DestroyAllLightning();

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
// Calls are noted only between these; ResetForTests turns the log off.
void StartCallLog();
void StopCallLog();
bool CallLogOn();
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
