// Riding on a dummy of another model's mesh. A binding passes down to the
// plain children and up to the parent, so a linked group rides together;
// each model records its binding before it asks its parent, which stops
// the walk coming back. Every model the walk reaches becomes a rider of the
// node it rides on, which lets them all go when it is given back or
// destroyed: none keeps a pointer to it.
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

void KModel::RideOn(IK3DSceneNode* node) {
    if (node == boundNode) return;
    if (K3DSceneNode* carrier = AsSceneNode(boundNode)) carrier->RemoveRider(this);
    boundNode = node;
    if (K3DSceneNode* carrier = AsSceneNode(node)) carrier->AddRider(this);
}

void K3DSceneNode::UnbindRiders() {
    while (!m_riders.empty()) {
        KModel* rider = *m_riders.begin();
        rider->ClearBinding();
        m_riders.erase(rider);
    }
}

void KModel::ClearBinding() {
    RideOn(nullptr);
    bound = 0;
    delete[] dummyName;
    delete[] secondDummyName;
    dummyName = nullptr;
    secondDummyName = nullptr;
}

// The walk stops at a model that already holds the name, so the name is
// compared as it is stored (cut to its buffer); a null name, which no
// stored name equals, would never stop it.
bool KModel::BindTo(IK3DSceneNode* node, const char* dummy, const char* secondDummy) {
    if (node == this) return true;
    if (!dummy) return false;
    char cut[kDummyNameSize];
    std::snprintf(cut, sizeof cut, "%s", dummy);
    if (SameText(dummyName, cut)) return true;
    if (node && !AsSceneNode(node)) return false;
    for (K3DSceneNode* child : PlainChildren()) child->BindTo(node, dummy, secondDummy);
    if (!node) return false;
    RideOn(node);
    CopyDummyName(&dummyName, cut);
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
