// SEAM to the model's update, trails and bound effects. KModel declares the
// table slots and fields of its per-frame update (Update), of its bound
// effects (UpdateBindEffects, LoadBindEffectFile, LoadEffectList,
// RemoveBindEffect, AddBindEffect, SetBindEffectSocket) and of its trails;
// until the work that animates and draws a model and the bound-effect sets
// exist, ModelUpdateSeam.cpp gives them STAND-IN bodies: Update does nothing
// and goes on with the walk (true), the others change nothing and answer
// their failure values. That work fills ModelUpdateSeam.cpp with the real
// operations; nothing else in the model reaches them.
#pragma once

class KBindEffectSet;

namespace model_extras {

// Deletes one set of the model's effect list (null: nothing).
void DeleteBindEffectSet(KBindEffectSet* set);

}  // namespace model_extras
