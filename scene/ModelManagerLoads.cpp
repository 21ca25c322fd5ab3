// Loading meshes, material sets and animations into a model by name: the
// name is looked up in the map, the file read outside any lock when it is
// not there, and the new record inserted; the model gives back what it held
// once the new resource stands.
#include <strings.h>

#include <cctype>
#include <cstring>
#include <string>

#include "scene/KAnimation.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "scene/KModelManager.h"
#include "shape/KShapeInstance.h"
#include "shape/KShapeModel.h"
#include "textures/TextureManager.h"

namespace {

std::function<void(const char*)>& MeetingHook() {
    static std::function<void(const char*)> hook;
    return hook;
}

// Names that do not fit a record's name are refused: cut, they would load
// one file under another file's name.
bool FitsRecord(const char* name) { return name && std::strlen(name) < kResNameSize; }

// The replacement name when the remap table has one. False for a name that
// does not fit a record.
bool PrepareName(const char* name, bool lowerCase, std::string* key) {
    if (!FitsRecord(name)) return false;
    auto it = g_TextureNameRemap.find(name);
    *key = it == g_TextureNameRemap.end() ? std::string(name) : it->second;
    if (key->size() >= kResNameSize) return false;
    if (lowerCase)
        for (char& c : *key) c = char(std::tolower(static_cast<unsigned char>(c)));
    return true;
}

bool IsShapeName(const std::string& name) {
    return name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".dts") == 0;
}

KMesh* LoadMeshObject(const std::string& name, IDirect3DDevice9* device) {
    const bool shape = IsShapeName(name);
    KMesh* mesh = shape ? new KShapeModel : new KMesh;
    mesh->shapeFlag = shape ? 1 : 0;
    mesh->SetDevice(device);
    if (FAILED(mesh->Load(name.c_str()))) {
        delete mesh;
        return nullptr;
    }
    return mesh;
}

KMaterial* LoadMaterialObject(const std::string& name, IDirect3DDevice9* device) {
    auto* material = new KMaterial;
    material->SetDevice(device);
    if (FAILED(material->Load(name.c_str()))) {
        delete material;
        return nullptr;
    }
    return material;
}

KAnimation* LoadAnimationObject(const std::string& name) {
    auto* animation = new KAnimation;
    if (FAILED(animation->Load(name.c_str()))) {
        delete animation;
        return nullptr;
    }
    return animation;
}

// The record of `name` with one more reference for the caller: the map's,
// or a new one made by `load` (null when it cannot be loaded).
template <class T, class Load>
KResRecordOf<T>* FindOrLoad(KResMap<T>& map, bool canFind, const std::string& name, Load load) {
    if (canFind)
        if (KResRecordOf<T>* found = map.Find(name.c_str())) return found;
    T* object = load(name);
    if (!object) return nullptr;
    if (MeetingHook()) MeetingHook()(name.c_str());
    return map.Insert(new KResRecordOf<T>(name.c_str(), object));
}

KModel* ModelOf(KModelRecord* record) { return record ? record->Object() : nullptr; }

}  // namespace

void SetLoadMeetingHookForTests(std::function<void(const char* name)> hook) { MeetingHook() = std::move(hook); }

HRESULT KModelManager::LoadModel(KModelRecord* modelRecord, const char* name) {
    KModel* model = ModelOf(modelRecord);
    std::string key;
    if (!model || !PrepareName(name, false, &key)) return E_FAIL;
    IDirect3DDevice9* meshDevice = device;
    KMeshRecord* record =
        FindOrLoad(meshMap, device != nullptr, key, [&](const std::string& n) { return LoadMeshObject(n, meshDevice); });
    if (!record) return E_FAIL;
    if (auto* shape = dynamic_cast<KShapeModel*>(record->Object())) {
        delete model->shapeInstance;
        model->shapeInstance = shape->CreateInstance();
    }
    KMeshRecord* previous = model->meshRecord;
    model->meshRecord = record;
    model->mesh = record->Object();
    meshMap.Release(previous);
    return 0;
}

HRESULT KModelManager::LoadMaterial(KModelRecord* modelRecord, const char* name) {
    KModel* model = ModelOf(modelRecord);
    if (!model || !FitsRecord(name)) return E_FAIL;
    IDirect3DDevice9* materialDevice = device;
    KMaterialSetRecord* record = FindOrLoad(materialMap, device != nullptr, name, [&](const std::string& n) {
        return LoadMaterialObject(n, materialDevice);
    });
    if (!record) return E_FAIL;
    KMaterialSetRecord* previous = model->materialRecord;
    model->materialRecord = record;
    model->material = record->Object();
    materialMap.Release(previous);
    return 0;
}

HRESULT KModelManager::LoadAnimation(KModelRecord* modelRecord, const char* name) {
    KModel* model = ModelOf(modelRecord);
    std::string key;
    if (!model || !PrepareName(name, true, &key)) return E_FAIL;
    KAnimationRecord* record = FindOrLoad(animationMap, device != nullptr, key, LoadAnimationObject);
    if (!record) return E_FAIL;
    KAnimationRecord* previous = model->animationRecord;
    model->animationRecord = record;
    model->animation = record->Object();
    animationMap.Release(previous);
    return 0;
}

HRESULT KModelManager::LoadAnimationFile(const char* name) {
    std::string key;
    if (!PrepareName(name, true, &key)) return E_FAIL;
    if (device && animationMap.Find(key.c_str())) return 0;
    KAnimationRecord* record = FindOrLoad(animationMap, false, key, LoadAnimationObject);
    if (!record) return E_FAIL;
    animationMap.Pin(record);
    return 0;
}
