// The model's bound effects: an effect list of bound-effect sets, one of
// which the update argument selects each frame, or a set of the model's own
// that AddBindEffect and LoadBindEffectFile make outside any list.
#include <cstdio>
#include <cstring>

#include "effects/BindRotation.h"
#include "effects/BoundEffectsSeam.h"
#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KIniFile.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr int kMaxListedSets = 32;

}  // namespace

KBindEffectSet* KModel::NewBindEffectSet() {
    return bound_effects::Make(mesh ? int(mesh->dummyCount) : 0, device, this);
}

void KModel::AdoptOwnBindEffects(KBindEffectSet* set) {
    if (set == ownBindEffects) return;
    if (currentBindEffects == ownBindEffects) currentBindEffects = set;
    bound_effects::Destroy(ownBindEffects);
    ownBindEffects = set;
}

void KModel::DeleteEffectList() {
    for (KBindEffectSet* set : effectList) {
        if (currentBindEffects == set) currentBindEffects = nullptr;
        bound_effects::Destroy(set);
    }
    effectList.clear();
}

void KModel::SelectBindEffects() {
    currentBindEffects = effectList.empty() ? ownBindEffects : nullptr;
    const DWORD argument = UpdateArgument();
    if (argument >= 1 && argument <= effectList.size()) currentBindEffects = effectList[argument - 1];
}

// Only a set made here is deleted when it loads nothing: one that was
// current before belongs to the effect list or to the model.
int KModel::LoadBindEffectsInto(const char* path, KBindEffectSet** made) {
    *made = nullptr;
    if (!path || !mesh) return 0;
    if (!currentBindEffects) {
        currentBindEffects = *made = NewBindEffectSet();
        if (!*made) return 0;
    }
    if (bound_effects::Load(currentBindEffects, path) == 1 || bound_effects::Count(currentBindEffects) > 0) return 1;
    if (*made) {
        bound_effects::Destroy(*made);
        *made = nullptr;
        currentBindEffects = nullptr;
    }
    return 0;
}

int KModel::LoadBindEffectFile(const char* path) {
    KBindEffectSet* made = nullptr;
    const int result = LoadBindEffectsInto(path, &made);
    if (made) AdoptOwnBindEffects(made);
    return result;
}

int KModel::LoadEffectList(const char* file, int index) {
    KIniFile ini;
    if (!file || !ini.Load(file)) return 0;
    int count = -1;
    ini.GetInteger("Effect", "EffectNum", -1, &count);
    if (count < 1 || count > kMaxListedSets) {
        g_DebugLog("[Model]%s refused: EffectNum %d", file, count);
        return 0;
    }
    // The sets of the list replaced go with it.
    DeleteEffectList();
    effectList.assign(size_t(count), nullptr);
    for (int k = 1; k <= count; ++k) {
        char section[32], path[kBindPathSize + 1] = {};
        std::snprintf(section, sizeof section, "Effect%d", k);
        ini.GetString(section, "Path", "", path, int(sizeof path));
        if (!path[0]) continue;
        if (std::strlen(path) >= kBindPathSize) {
            g_DebugLog("[Model]%s: %s skipped (path too long)", file, section);
            continue;
        }
        currentBindEffects = nullptr;
        KBindEffectSet* made = nullptr;
        if (LoadBindEffectsInto(path, &made)) effectList[size_t(k - 1)] = made;
    }
    currentBindEffects = index >= 1 && index <= count ? effectList[size_t(index - 1)] : nullptr;
    return 1;
}

HRESULT KModel::AddBindEffect(const char* file, const char* socket, int mode, float scale, float angle) {
    if (!mesh) return E_FAIL;
    if (!currentBindEffects) {
        KBindEffectSet* set = NewBindEffectSet();
        if (!set) return E_FAIL;
        AdoptOwnBindEffects(set);
        currentBindEffects = set;
    }
    if (FindBone(socket) == -1) return E_FAIL;
    return bound_effects::Add(currentBindEffects, file, socket, mode, scale, angle);
}

HRESULT KModel::RemoveBindEffect(const char* socket) {
    if (currentBindEffects) bound_effects::Remove(currentBindEffects, socket);
    return 0;
}

void KModel::RemoveAllBindEffects() {
    if (currentBindEffects) bound_effects::RemoveAll(currentBindEffects);
}

HRESULT KModel::SetBindEffectSocket(const char* socket, const char* nextSocket, int mode) {
    if (FindBone(socket) == -1 || !currentBindEffects) return E_FAIL;
    bound_effects::SetNextSocket(currentBindEffects, socket, nextSocket, mode);
    return 0;
}

// Bound effects place themselves in world space: the shell's world offset
// is switched off while they draw (and stays off, as the shell clears its
// flag whatever it is given).
void KModel::UpdateBindEffects() {
    const BYTE offset = ShellServices() ? ShellServices()->HasWorldOffset() : 0;
    if (KShellServices* shell = ShellServices()) shell->ClearWorldOffset(1);
    g_UseBindRotation = bindEffectsOn ? 1 : 0;
    if (currentBindEffects && bound_effects::Count(currentBindEffects) > 0 && bindEffectsOn)
        bound_effects::DrawAll(currentBindEffects);
    if (KShellServices* shell = ShellServices()) shell->ClearWorldOffset(offset);
    g_UseBindRotation = 0;
}
