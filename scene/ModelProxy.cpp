// The handle's life: the model from the manager, the reference count and
// the colour it puts on the model every frame.
#include "scene/KModel.h"
#include "scene/KModelManager.h"
#include "scene/KModelProxy.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

#include <cstring>

#include "scene/KShadowQuad.h"

KModelProxy::~KModelProxy() { Clear(); }

bool KModelProxy::Init() {
    KModel* made = nullptr;
    if (!g_pModelManager) return false;
    g_pModelManager->CreateEmptyModel(&made);
    if (!made) return false;
    model = made;
    model->proxy = this;
    return true;
}

// The model lingers in the manager until it ages out, but nothing rides on
// a model given back.
void KModelProxy::Clear() {
    if (model) {
        model->UnbindRiders();
        model->proxy = nullptr;
        g_pModelManager->ReleaseModel(model);
        model = nullptr;
    }
    delete[] trailFileName;
    trailFileName = nullptr;
    delete shadowQuad;
    shadowQuad = nullptr;
}

void KModelProxy::ApplyColor() {
    if (!model) return;
    model->SetMeshFlag(shadowFlag);
    model->SetMeshColor(colour);
    model->RecolorMaterials(colourOffset);
}

void KModelProxy::SetModelMatrix(const float* matrix) {
    if (model && matrix) std::memcpy(&model->externalWorld, matrix, sizeof(D3DXMATRIX));
}

LONG KModelProxy::AddRef() { return InterlockedIncrement(&referenceCount); }
LONG KModelProxy::DropReference() { return InterlockedDecrement(&referenceCount); }

bool KModelProxy::Release() { return ShellServices() && ShellServices()->ReleaseModel(this); }

void KModelProxy::SetColor(DWORD argb) { colour = argb; }
DWORD KModelProxy::GetColor() { return colour; }
void KModelProxy::SetColorOffset(int offset) { colourOffset = offset; }
int KModelProxy::GetColorOffset() { return colourOffset; }
KModel* KModelProxy::GetModel() { return model; }
IK3DSceneNode* KModelProxy::GetSceneNode() { return model; }
void KModelProxy::Reserved(DWORD, DWORD, DWORD) {}

void KModelProxy::SetMeshFlag(BYTE flag) {
    shadowFlag = flag;
    if (model) model->SetMeshFlag(flag);
}
