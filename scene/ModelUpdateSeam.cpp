// STAND-IN, see ModelUpdateSeam.h.
#include "scene/ModelUpdateSeam.h"

#include "scene/KModel.h"

namespace model_extras {

// No set can exist yet: nothing makes one.
void DeleteBindEffectSet(KBindEffectSet*) {}

}  // namespace model_extras

bool KModel::Update() { return true; }
void KModel::UpdateBindEffects() {}
int KModel::LoadBindEffectFile(const char*) { return 0; }
int KModel::LoadEffectList(const char*, int) { return 0; }
HRESULT KModel::RemoveBindEffect(const char*) { return 0; }
HRESULT KModel::AddBindEffect(const char*, const char*, int, float, float) { return E_FAIL; }
HRESULT KModel::SetBindEffectSocket(const char*, const char*, int) { return E_FAIL; }
