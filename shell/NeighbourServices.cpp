// STAND-IN, see NeighbourServices.h.
#include "shell/NeighbourServices.h"

#include <utility>

#include "effects/KDebugMeshSet.h"
#include "effects/KLightning.h"
#include "effects/KLightningCache.h"
#include "effects/KLightningSet.h"
#include "place/PakPreload.h"
#include "place/ScenePlace.h"
#include "place/ScenePlaceHost.h"
#include "scene/KModel.h"
#include "scene/KModelProxy.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"
#include "textures/KImageTexture.h"
#include "textures/TextureManager.h"

namespace neighbours {
namespace {

bool g_callLogOn = false;

// Callers that build their text check CallLogOn() first, so a module with
// the log off makes no strings.
void Note(const char* call) {
    if (g_callLogOn) CallLog().emplace_back(call);
}
void Note(std::string&& call) {
    if (g_callLogOn) CallLog().push_back(std::move(call));
}

}  // namespace

std::vector<std::string>& CallLog() {
    static std::vector<std::string> log;
    return log;
}

void StartCallLog() { g_callLogOn = true; }
void StopCallLog() { g_callLogOn = false; }
bool CallLogOn() { return g_callLogOn; }

Answers& TestAnswers() {
    static Answers answers;
    return answers;
}

void ResetForTests() {
    CallLog().clear();
    StopCallLog();
    TestAnswers() = Answers{};
    ResetPakPreloadForTests();
    SetScenePlaceHost(nullptr);
}

// The texture manager is real: these forward to it, keep the call log the
// shell's tests read, and let a test answer force a failure.
bool TextureManagerInit(IDirect3DDevice9* device, bool useA8R8G8B8, bool mip) {
    Note("TextureManager::Init");
    bool ok = g_pTextureManager->Init(device, BYTE(useA8R8G8B8), BYTE(mip));
    return ok && TestAnswers().textureManagerInit;
}

bool TextureManagerInvalidateDeviceObjects() {
    Note("TextureManager::InvalidateDeviceObjects");
    bool ok = g_pTextureManager->InvalidateDeviceObjects();
    return ok && TestAnswers().textureManagerInvalidate;
}

bool TextureManagerRestoreDeviceObjects() {
    Note("TextureManager::RestoreDeviceObjects");
    bool ok = g_pTextureManager->RestoreDeviceObjects();
    return ok && TestAnswers().textureManagerRestore;
}

void* TextureManagerLoadTexture(const char* name, const char* folder, BYTE keep, BYTE fullPath, BYTE load) {
    Note("TextureManager::LoadTexture");
    return g_pTextureManager->LoadTexture(name, folder, keep, fullPath, load);
}

void TextureManagerReleaseTexture(void* record) {
    if (!record) return;
    Note("TextureManager::ReleaseTexture");
    g_pTextureManager->ReleaseTexture(static_cast<KTextureRecord*>(record));
}

void TextureManagerFreeTextureMemory(int mode) {
    if (CallLogOn()) Note("TextureManager::FreeTextureMemory " + std::to_string(mode));
    g_pTextureManager->FreeTextureMemory(DWORD(mode));
}

uint32_t PictureCost(const KImageTexture* picture) { return picture ? picture->GetCost() : 0; }

// A test answer, when set, stands in for the handle.
void ModelGetPosition(KModelProxy* model, float* x, float* y, float* z) {
    Note("KModelProxy::GetPosition");
    if (TestAnswers().modelPosition) TestAnswers().modelPosition(model, x, y, z);
    else if (LiveObjects<KModelProxy>().Holds(model)) model->GetPosition(x, y, z, 1);
}

bool ModelHasSceneMesh(KModelProxy* model) {
    const auto& hasMesh = TestAnswers().modelHasMesh;
    if (hasMesh) return model && hasMesh(model);
    return LiveObjects<KModelProxy>().Holds(model) && model->GetSceneNode() && model->HasMesh();
}

// The mesh keeps no off-screen state: nothing to switch.
void ModelMeshEnterOffscreen(KModelProxy* model) {
    if (ModelHasSceneMesh(model)) Note("KMesh::EnterOffscreen");
}

void ModelMeshLeaveOffscreen(KModelProxy* model) {
    if (ModelHasSceneMesh(model)) Note("KMesh::LeaveOffscreen");
}

void ReleaseRibbons() {
    Note("ReleaseRibbons");
    if (g_pDrawShell) ::ReleaseRibbons(g_pDrawShell->ribbonMaps);
}
void RecreateRibbonBuffers() {
    Note("RecreateRibbonBuffers");
    if (g_pDrawShell) ::RecreateRibbonBuffers(g_pDrawShell->ribbonMaps);
}
void DebugMeshSetDevice(IDirect3DDevice9* device) {
    Note("KDebugMeshSet::SetDevice");
    DebugMeshSet().SetDevice(device);
}

void DrawDebugMeshes(WORD id, DWORD a, DWORD b) {
    if (CallLogOn())
        Note("KDebugMeshSet::DrawDebugMeshes " + std::to_string(id) + " " + std::to_string(a) + " " +
             std::to_string(b));
    DebugMeshSet().DrawDebugMeshes(id, int(a), int(b));
}

void DebugMeshInvalidateDeviceObjects() { DebugMeshSet().InvalidateDeviceObjects(); }
void DebugMeshRestoreDeviceObjects() { DebugMeshSet().RestoreDeviceObjects(); }
void DebugMeshDeleteDeviceObjects() { DebugMeshSet().DeleteDeviceObjects(); }
void DebugMeshForgetDevice() { DebugMeshSet().SetDevice(nullptr); }
void DestroyAllLightning() { LightningCache().DestroyAllLightning(); }

bool StopPakPreloadThread(DWORD timeoutMs) { return ::StopPakPreloadThread(timeoutMs); }

IScenePlaceHost* ScenePlaceHost() { return ::ScenePlaceHost(); }
void* ScenePlaceInterface() { return static_cast<IScenePlace*>(ScenePlacePointer()); }

// A handle without a model is skipped.
void ModelDrawWithTransform(KModelProxy* model, bool computeTransform) {
    Note(computeTransform ? "KModel::Update transform 1" : "KModel::Update transform 0");
    KModel* node = LiveObjects<KModelProxy>().Holds(model) ? model->GetModel() : nullptr;
    if (!node) return;
    node->SetComputeTransform(computeTransform ? 1 : 0);
    model->ApplyColor();
    node->Update();
}

void ModelUpdate(KModelProxy* model) {
    Note("KModel::Update");
    if (KModel* node = LiveObjects<KModelProxy>().Holds(model) ? model->GetModel() : nullptr) node->Update();
}
void LightningRender(KLightning* lightning) {
    Note("KLightning::Render");
    lightning->Render();
}

void LightningSetDraw(KLightningSet* set) {
    Note("KLightningSet::Draw");
    if (LiveObjects<KLightningSet>().Holds(set)) set->Draw();
}

}  // namespace neighbours
