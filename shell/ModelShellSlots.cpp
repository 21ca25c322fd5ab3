// The shell's model factory: a handle over a fresh model, loaded from the
// mesh and material files of one name, and given back under the model lock.
#include <cctype>
#include <cstring>

#include "lumiva/basrel/KMutex.h"
#include "lumiva/basrel/DebugLog.h"
#include "lumiva/IK3DSceneNode.h"
#include "scene/KModelProxy.h"
#include "scene/ModelShellSlots.h"
#include "shell/KDrawShell.h"

volatile LONG g_LiveModels = 0;

namespace {

constexpr size_t kModelNameSize = 300;
constexpr size_t kSlotShapeEndingLength = 4;

struct Ending {
    const char* text;
    size_t length;
};
constexpr Ending kEndings[2] = {{".mesh", 5}, {".mtl", 4}};
constexpr const Ending& kMeshEnding = kEndings[0];
constexpr const Ending& kMaterialEnding = kEndings[1];

bool IsShapeName(const char* name, size_t length) {
    return length > kSlotShapeEndingLength && strcasecmp(name + length - kSlotShapeEndingLength, ".dts") == 0;
}

// The lower-cased name without a ".mesh" or ".mtl" ending; its length.
size_t BaseName(const char* name, size_t length, char* buffer) {
    for (size_t i = 0; i < length; ++i) buffer[i] = char(std::tolower(static_cast<unsigned char>(name[i])));
    buffer[length] = '\0';
    for (const Ending& ending : kEndings) {
        if (length > ending.length && std::strcmp(buffer + length - ending.length, ending.text) == 0) {
            length -= ending.length;
            buffer[length] = '\0';
            break;
        }
    }
    return length;
}

}  // namespace

KMutex& ModelLock() {
    static KMutex lock;
    return lock;
}

/* 67 */ KModelProxy* KDrawShell::CreateModel(const char* fileName) {
    // A name that cannot take the longest ending is refused before anything
    // is made, so the buffer is never overrun.
    const size_t length = fileName ? strnlen(fileName, kModelNameSize) : 0;
    if (length + kMeshEnding.length >= kModelNameSize) {
        g_DebugLog("CreateModel: name too long\n");
        return nullptr;
    }
    auto* handle = new KModelProxy;
    InterlockedIncrement(&g_LiveModels);
    if (!handle->Init()) {
        ReleaseModel(handle);
        return nullptr;
    }
    if (length == 0) return handle;
    if (IsShapeName(fileName, length)) {
        if (FAILED(handle->SetMesh(fileName))) {
            ReleaseModel(handle);
            return nullptr;
        }
        return handle;
    }
    static char name[kModelNameSize];
    const size_t base = BaseName(fileName, length, name);
    std::memcpy(name + base, kMeshEnding.text, kMeshEnding.length + 1);
    if (FAILED(handle->SetMesh(name))) {
        ReleaseModel(handle);
        return nullptr;
    }
    handle->InitMesh(name);
    std::memcpy(name + base, kMaterialEnding.text, kMaterialEnding.length + 1);
    if (FAILED(handle->SetMaterial(name))) {
        ReleaseModel(handle);
        return nullptr;
    }
    handle->InitMaterial(name);
    return handle;
}

// A handle released before, or never made here, is not read.
/* 77 */ bool KDrawShell::ReleaseModel(KModelProxy* model) {
    KAutoMutex hold(ModelLock());
    if (!model) return false;
    if (!LiveObjects<KModelProxy>().Holds(model)) {
        g_DebugLog("[Scene]ReleaseModel: not a model handle of this module");
        return false;
    }
    if (model->DropReference() >= 1) return false;
    model->SetEnabled(0);
    if (IK3DSceneNode* node = model->GetSceneNode()) node->Detach();
    delete model;
    InterlockedDecrement(&g_LiveModels);
    return true;
}
