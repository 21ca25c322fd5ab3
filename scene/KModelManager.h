// The one owner of 3D model resources. It makes the model objects the
// handles hold and shares meshes, material sets and animations between
// models by file name, with explicit reference counts. A resource nobody
// references stays loaded for kModelResourceKeepMs after its last release,
// so a model made again soon finds its files loaded; the per-frame ageing
// pass frees it after that.
//
//   ModelManager.cpp          the object, models, release, freeing
//   ModelManagerLoads.cpp     mesh, material and animation loads by name
//   ModelManagerMaps.h        the record maps and what every map does
//
// Threads: releases may come from any thread (the shell's ReleaseModel
// takes its own lock). Every map has its lock, and a record's count changes
// only under the lock of its map; no code holds two of the three map locks
// at once. A load looks its name up under the lock, reads the file outside
// it and inserts under it again; when two loads of one name meet, the
// record inserted first wins and the other load takes a reference on it.
// Mesh and material loads reach the device and the texture manager, which
// take no lock, so they stay on the host's thread; animation loads and all
// releases may run anywhere.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <functional>

#include "KMutex.h"
#include "scene/ModelManagerMaps.h"

class KModel;
class KMesh;
class KMaterial;
class KAnimation;

constexpr DWORD kModelResourceKeepMs = 30000;

// Guards the mesh and model maps.
extern KMutex g_ModelMapLock;
// Guards the material map.
extern KMutex g_MaterialMapLock;
// Guards the animation map.
extern KMutex g_AnimationMapLock;
// Numbers the model names; changed with interlocked operations.
extern volatile LONG g_EmptyModelCounter;

class KModelManager {
public:
    KModelManager();
    KModelManager(const KModelManager&) = delete;
    KModelManager& operator=(const KModelManager&) = delete;

    // --- Slot order ---
    // 1 without a device; else a new model registered as
    // "EmptyModel##%04d", 0. `out` becomes null when no model is made.
    virtual HRESULT CreateEmptyModel(KModel** out);
    // Gives back the model's mesh, material, animation and own records and
    // deletes its shape instance; the ageing pass deletes the model later.
    // E_FAIL for null or a model without its own record.
    virtual HRESULT ReleaseModel(KModel* model);
    virtual HRESULT Reserved1(DWORD a, DWORD b, DWORD c);
    virtual HRESULT Reserved2(DWORD a, DWORD b);
    // Frees every record of the four maps with its object, referenced or
    // not: only for when the manager goes.
    virtual void ReleaseAll();
    // 1 for null (nothing stored), else 0.
    virtual HRESULT SetDevice(IDirect3DDevice9* newDevice);
    // Frees every record, referenced or not.
    virtual ~KModelManager();

    // --- Loads into a model, by the model's own record ---
    // Names longer than kResNameSize - 1 characters are refused with E_FAIL.
    // A failed load leaves no record and the model keeps what it had; a
    // resource the model held before is given back once the new one stands.
    HRESULT LoadModel(KModelRecord* model, const char* name);
    // E_FAIL without a mesh; else the mesh's BuildMesh.
    HRESULT InitMesh(KModelRecord* model, const char* argument);
    HRESULT LoadMaterial(KModelRecord* model, const char* name);
    // E_FAIL without a mesh or material; else the material's PrepareTextures.
    HRESULT InitMaterial(KModelRecord* model, const char* argument);
    HRESULT LoadAnimation(KModelRecord* model, const char* name);
    // An animation loaded into the map for good (ageing never frees it);
    // one already loaded gets one more reference.
    HRESULT LoadAnimationFile(const char* name);

    // The ageing pass: frees what was released more than
    // kModelResourceKeepMs ago. Once a frame.
    void Update();
    // Frees every unreferenced record now, whatever its age (pinned
    // animations stay).
    void CollectGarbage();

    IDirect3DDevice9* device = nullptr;
    KResMap<KMesh> meshMap{&g_ModelMapLock};
    KResMap<KMaterial> materialMap{&g_MaterialMapLock};
    KResMap<KAnimation> animationMap{&g_AnimationMapLock};
    KResMap<KModel> modelMap{&g_ModelMapLock};

private:
    template <class T>
    HRESULT LoadNamed(KResMap<T>& map, const char* name, bool pinned, KResRecordOf<T>** out);
    template <class T>
    KResRecordOf<T>* LoadNew(KResMap<T>& map, const char* name);
};

extern KModelManager* g_pModelManager;

// Runs between a load's file read and its insert, with the map key; lets
// tests make two loads of one name meet. Null: none.
void SetLoadMeetingHookForTests(std::function<void(const char* name)> hook);
// Frees everything, forgets the device, restarts the name counter.
void ResetModelManagerForTests();
