#include "place/SceneObjectTree.h"

void KSceneObjectTree::WalkItems(void* context, ItemCallback callback) const {
    if (!callback) return;
    auto visit = [context, callback](KScenePoint* item) { callback(context, item); };
    scene_tree_walk::Walk<true>(Top(), visit, visit);
}
