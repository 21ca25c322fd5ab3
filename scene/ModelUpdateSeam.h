// SEAM to the model's trails and bound effects. KModel declares the table
// slots and fields of its bound effects (UpdateBindEffects,
// LoadBindEffectFile, LoadEffectList, RemoveBindEffect, AddBindEffect,
// SetBindEffectSocket) and of its trails; until the work that builds the
// trails and the bound-effect sets exists, ModelUpdateSeam.cpp gives them
// STAND-IN bodies that change nothing and answer their failure values, and
// the update and the handle reach the trail operations below. That work
// fills ModelUpdateSeam.cpp with the real operations; nothing else in the
// model reaches them.
#pragma once

class KModel;
class KBindEffectSet;

namespace model_extras {

// Deletes one set of the model's effect list (null: nothing).
void DeleteBindEffectSet(KBindEffectSet* set);
// The set asks for the weapon trail (its use-blade-light value).
bool UsesBladeLight(const KBindEffectSet* set);
// The cool trail's samples sorted and drawn (SortAndDraw).
void DrawCoolTrail(KModel& model);
// The weapon trail sampled and drawn (UpdateTrail).
void UpdateTrail(KModel& model);
// Reads the trail settings of `section` from the ini file; true when read.
bool LoadTrailSettings(KModel& model, const char* file, const char* section);
void ClearTrail(KModel& model);
void SetTrailEnabled(KModel& model, int on);
void RemoveAllBindEffects(KModel& model);

}  // namespace model_extras
