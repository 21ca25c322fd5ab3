// Riding on a dummy of another model's mesh. A binding passes down to the
// plain children and up to the parent, so a linked group rides together;
// each model records its binding before it asks its parent, which stops
// the walk coming back.
#include <cstdio>
#include <cstring>

#include "scene/KMesh.h"
#include "scene/KModel.h"

namespace {

bool SameText(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }


}  // namespace

// Longer names are cut to the buffer: they used to run past it.
void KModel::CopyDummyName(char** buffer, const char* name) {
    if (!*buffer) *buffer = new char[kDummyNameSize]();
    std::snprintf(*buffer, kDummyNameSize, "%s", name);
}

void KModel::ClearBinding() {
    boundNode = nullptr;
    bound = 0;
    delete[] dummyName;
    delete[] secondDummyName;
    dummyName = nullptr;
    secondDummyName = nullptr;
}

bool KModel::BindTo(IK3DSceneNode* node, const char* dummy, const char* secondDummy) {
    if (node == this) return true;
    if ((bound && node == boundNode && SameText(dummyName, dummy)) || SameText(dummyName, dummy)) return true;
    for (K3DSceneNode* child : PlainChildren()) child->BindTo(node, dummy, secondDummy);
    if (!node) return false;
    boundNode = node;
    CopyDummyName(&dummyName, dummy ? dummy : "");
    if (secondDummy) CopyDummyName(&secondDummyName, secondDummy);
    bound = 1;
    if (K3DSceneNode* parent = Parent()) parent->BindTo(node, dummy, secondDummy);
    return true;
}

bool KModel::Unbind(IK3DSceneNode* node) {
    if (!bound || node != boundNode) return true;
    for (K3DSceneNode* child : PlainChildren()) child->Unbind(node);
    ClearBinding();
    if (K3DSceneNode* parent = Parent()) parent->Unbind(node);
    return true;
}

bool KModel::UnbindAll() {
    if (!bound) return true;
    for (K3DSceneNode* child : PlainChildren())
        if (auto* model = dynamic_cast<KModel*>(child)) model->UnbindAll();
    ClearBinding();
    if (auto* parent = dynamic_cast<KModel*>(Parent())) return parent->UnbindAll();
    return true;
}

int KModel::FindBone(const char* name) const {
    if (!mesh || !name || !*name) return -1;
    auto it = mesh->dummyMap.find(name);
    return it == mesh->dummyMap.end() ? -1 : it->second;
}
