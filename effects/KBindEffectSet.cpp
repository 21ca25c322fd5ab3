#include "effects/KBindEffectSet.h"

#include <cstring>

#include "shell/D3DDevice.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

KBindEffectSet::KBindEffectSet(int dummyCount) {
    if (dummyCount > 0) effects.reserve(size_t(dummyCount));
}

KBindEffectSet::~KBindEffectSet() { Clear(); }

HRESULT KBindEffectSet::Init(IDirect3DDevice9* newDevice, KModel* model) {
    if (!newDevice) return E_FAIL;
    device = newDevice;
    owner = model;
    if (!g_D3DDevice.device && ShellServices()) ShellServices()->AttachDevice(newDevice);
    return 0;
}

HRESULT KBindEffectSet::AddEffect(const char* file, const char* socket, int mode, float scale, float angle) {
    if (!file || !socket || std::strlen(socket) >= kBindSocketNameSize || std::strlen(file) >= kBindPathSize)
        return E_FAIL;
    const int index = FindEffect(socket);
    KBindEffect* effect = index >= 0 ? effects[size_t(index)] : new KBindEffect;
    // An effect whose file gives no node stays and draws nothing.
    effect->Load(file);
    effect->SetDevice(device);
    effect->SetSocket(owner, socket);
    effect->SetBindMode(mode);
    effect->SetScale(scale);
    effect->SetAngle(angle);
    if (index < 0) {
        effects.push_back(effect);
        ++effectCount;
    }
    return 0;
}

HRESULT KBindEffectSet::RemoveEffect(const char* socket) {
    const int index = FindEffect(socket);
    if (index < 0) return E_FAIL;
    delete effects[size_t(index)];
    effects.erase(effects.begin() + index);
    --effectCount;
    return 0;
}

void KBindEffectSet::RemoveAllEffects() {
    for (KBindEffect* effect : effects) delete effect;
    effects.clear();
    effectCount = 0;
}

HRESULT KBindEffectSet::SetNextSocket(const char* socket, const char* nextSocket, int mode) {
    const int index = FindEffect(socket);
    if (index < 0) return E_FAIL;
    effects[size_t(index)]->SetBindMode(mode);
    effects[size_t(index)]->SetNextSocket(nextSocket);
    return 0;
}

HRESULT KBindEffectSet::UpdateAll() {
    for (KBindEffect* effect : effects) effect->UpdateTimed();
    return 0;
}

int KBindEffectSet::FindEffect(const char* socket) const {
    if (!socket) return -1;
    for (size_t i = 0; i < effects.size(); ++i) {
        const char* name = effects[i]->GetSocketName();
        if (name && std::strcmp(name, socket) == 0) return int(i);
    }
    return -1;
}

KBindEffect* KBindEffectSet::GetEffect(int index) const {
    return index >= 0 && size_t(index) < effects.size() ? effects[size_t(index)] : nullptr;
}

void KBindEffectSet::Clear() {
    RemoveAllEffects();
    effects.shrink_to_fit();
}
