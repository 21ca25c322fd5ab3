// The model manager object: models, releases, and freeing records.
#include "scene/KModelManager.h"

#include <mmsystem.h>

#include <cstdio>

#include "scene/KAnimation.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "shape/KShapeInstance.h"

KMutex g_ModelMapLock;
KMutex g_MaterialMapLock;
KMutex g_AnimationMapLock;
volatile LONG g_EmptyModelCounter = 0;

namespace {

KModelManager g_ModelManager;

}  // namespace

KModelManager* g_pModelManager = &g_ModelManager;

KModelManager::KModelManager() = default;

KModelManager::~KModelManager() { ReleaseAll(); }

HRESULT KModelManager::CreateEmptyModel(KModel** out) {
    if (!out) return E_FAIL;
    *out = nullptr;
    if (!device) return 1;
    auto* model = new KModel;
    model->SetDevice(device);
    char name[kResNameSize];
    std::snprintf(name, sizeof name, "EmptyModel##%04u", unsigned(DWORD(InterlockedIncrement(&g_EmptyModelCounter))));
    auto* record = new KModelRecord(name, model);
    model->ownRecord = record;
    // Names are numbered, so only a counter that went round meets one.
    if (modelMap.Insert(record) != record) return E_FAIL;
    *out = model;
    return 0;
}

HRESULT KModelManager::ReleaseModel(KModel* model) {
    if (!model || !model->ownRecord) return E_FAIL;
    meshMap.Release(model->meshRecord);
    materialMap.Release(model->materialRecord);
    animationMap.Release(model->animationRecord);
    modelMap.Release(model->ownRecord);
    // Forgotten, so a second release cannot give them back again.
    model->meshRecord = nullptr;
    model->materialRecord = nullptr;
    model->animationRecord = nullptr;
    model->mesh = nullptr;
    model->material = nullptr;
    model->animation = nullptr;
    delete model->shapeInstance;
    model->shapeInstance = nullptr;
    return 0;
}

HRESULT KModelManager::Reserved1(DWORD, DWORD, DWORD) { return 0; }
HRESULT KModelManager::Reserved2(DWORD, DWORD) { return 0; }

void KModelManager::ReleaseAll() {
    animationMap.FreeAll();
    materialMap.FreeAll();
    meshMap.FreeAll();
    modelMap.FreeAll();
}

HRESULT KModelManager::SetDevice(IDirect3DDevice9* newDevice) {
    if (!newDevice) return 1;
    device = newDevice;
    return 0;
}

HRESULT KModelManager::InitMesh(KModelRecord* model, const char* argument) {
    KModel* owner = model ? model->Object() : nullptr;
    if (!owner || !owner->mesh) return E_FAIL;
    return owner->mesh->BuildMesh(argument);
}

HRESULT KModelManager::InitMaterial(KModelRecord* model, const char*) {
    KModel* owner = model ? model->Object() : nullptr;
    if (!owner || !owner->mesh || !owner->materialRecord || !owner->material) return E_FAIL;
    return owner->material->PrepareTextures();
}

// One scan a map: each record freed is erased as it is met, which frees what
// restarting the scan after each one would, without going over the map
// again for every record.
void KModelManager::Update() {
    const DWORD now = timeGetTime();
    auto due = [now](const KResRecord& record) { return now - record.releaseTime > kModelResourceKeepMs; };
    auto dueUnpinned = [&](const KResRecord& record) {
        return record.releaseTime != kPinnedReleaseTime && due(record);
    };
    materialMap.FreeUnreferenced(due);
    animationMap.FreeUnreferenced(dueUnpinned);
    meshMap.FreeUnreferenced(due);
    modelMap.FreeUnreferenced(due);
}

void KModelManager::CollectGarbage() {
    auto any = [](const KResRecord&) { return true; };
    auto unpinned = [](const KResRecord& record) { return record.releaseTime != kPinnedReleaseTime; };
    materialMap.FreeUnreferenced(any);
    animationMap.FreeUnreferenced(unpinned);
    meshMap.FreeUnreferenced(any);
    modelMap.FreeUnreferenced(any);
}

void ResetModelManagerForTests() {
    g_pModelManager = &g_ModelManager;
    g_ModelManager.ReleaseAll();
    g_ModelManager.device = nullptr;
    g_EmptyModelCounter = 0;
    SetLoadMeetingHookForTests(nullptr);
}
