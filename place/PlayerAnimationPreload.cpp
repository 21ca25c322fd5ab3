// The player's action animations go into the model manager's animation
// map for good, so the first use of an action does not wait on its file.
#include "place/PlayerAnimationPreload.h"

#include "scene/KModelManager.h"

void PreloadPlayerAnimation(const char* path) {
    if (g_pModelManager) g_pModelManager->LoadAnimationFile(path);
}
