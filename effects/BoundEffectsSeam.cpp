#include "effects/BoundEffectsSeam.h"

#include "effects/KBindEffectSet.h"

namespace bound_effects {

KBindEffectSet* Make(int dummyCount, IDirect3DDevice9* device, KModel* model) {
    auto* set = new KBindEffectSet(dummyCount);
    if (FAILED(set->Init(device, model))) {
        delete set;
        return nullptr;
    }
    return set;
}

void Destroy(KBindEffectSet* set) { delete set; }

int Load(KBindEffectSet* set, const char* path) { return set->LoadBindEffects(path); }

int Count(const KBindEffectSet* set) { return set->GetEffectCount(); }

HRESULT Add(KBindEffectSet* set, const char* file, const char* socket, int mode, float scale, float angle) {
    return set->AddEffect(file, socket, mode, scale, angle);
}

void Remove(KBindEffectSet* set, const char* socket) { set->RemoveEffect(socket); }

void RemoveAll(KBindEffectSet* set) { set->RemoveAllEffects(); }

void SetNextSocket(KBindEffectSet* set, const char* socket, const char* nextSocket, int mode) {
    set->SetNextSocket(socket, nextSocket, mode);
}

void DrawAll(KBindEffectSet* set) { set->UpdateAll(); }

bool UsesBladeLight(const KBindEffectSet* set) { return set->useBladeLight != 0; }

}  // namespace bound_effects
