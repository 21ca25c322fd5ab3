#include "effects/EffectDeviceObjects.h"

#include <algorithm>
#include <vector>

#include "effects/KParticleSystem.h"
#include "effects/KStaticMesh.h"

namespace {

template <class T>
std::vector<T*>& Tracked() {
    static std::vector<T*> objects;
    return objects;
}

template <class T>
void Forget(T* object) {
    auto& objects = Tracked<T>();
    objects.erase(std::remove(objects.begin(), objects.end(), object), objects.end());
}

}  // namespace

void TrackDeviceObjects(KParticleSystem* system) { Tracked<KParticleSystem>().push_back(system); }
void ForgetDeviceObjects(KParticleSystem* system) { Forget(system); }
void TrackDeviceObjects(KStaticMesh* mesh) { Tracked<KStaticMesh>().push_back(mesh); }
void ForgetDeviceObjects(KStaticMesh* mesh) { Forget(mesh); }

void InvalidateEffectDeviceObjects() {
    for (KParticleSystem* system : Tracked<KParticleSystem>()) system->ReleaseBuffers();
    for (KStaticMesh* mesh : Tracked<KStaticMesh>()) mesh->ReleaseBuffers();
}

void RestoreEffectDeviceObjects() {
    for (KStaticMesh* mesh : Tracked<KStaticMesh>()) mesh->RestoreBuffers();
}
