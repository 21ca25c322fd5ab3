// STAND-IN, see ModelUpdateSeam.h.
#include "scene/ModelUpdateSeam.h"

#include "scene/KModel.h"

namespace model_extras {

// No set can exist yet: nothing makes one.
void DeleteBindEffectSet(KBindEffectSet*) {}
bool UsesBladeLight(const KBindEffectSet*) { return false; }
void DrawCoolTrail(KModel&) {}
void UpdateTrail(KModel&) {}
bool LoadTrailSettings(KModel&, const char*, const char*) { return false; }
void ClearTrail(KModel&) {}
void SetTrailEnabled(KModel& model, int on) { model.trailOn = on; }
void RemoveAllBindEffects(KModel&) {}

}  // namespace model_extras

void KModel::UpdateBindEffects() {}
int KModel::LoadBindEffectFile(const char*) { return 0; }
int KModel::LoadEffectList(const char*, int) { return 0; }
HRESULT KModel::RemoveBindEffect(const char*) { return 0; }
HRESULT KModel::AddBindEffect(const char*, const char*, int, float, float) { return E_FAIL; }
HRESULT KModel::SetBindEffectSocket(const char*, const char*, int) { return E_FAIL; }
