// The effect elements' model calls go to the handle; a test double, when
// set, takes them instead.
#include "effects/ElementModelSeam.h"

#include "scene/KMaterial.h"
#include "scene/KModel.h"
#include "scene/KModelProxy.h"

#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace element_model {
namespace {

IElementModelDouble* g_Double = nullptr;

}  // namespace

void SetDoubleForTests(IElementModelDouble* stand) { g_Double = stand; }
void ResetModelBlendFlagForTests() { g_AdditiveBlend = 0; }

KModelProxy* Create() {
    if (g_Double) return g_Double->Create();
    return ShellServices() ? ShellServices()->CreateModel("") : nullptr;
}

void Release(KModelProxy* model) {
    if (!model) return;
    if (g_Double) {
        g_Double->Release(model);
        return;
    }
    if (KShellServices* shell = ShellServices()) shell->ReleaseModel(model);
}

HRESULT SetMesh(KModelProxy* model, const char* name) {
    if (g_Double) return g_Double->SetMesh(model, name);
    return model ? model->SetMesh(name) : E_FAIL;
}

HRESULT InitMesh(KModelProxy* model, const char* name) {
    if (g_Double) return g_Double->InitMesh(model, name);
    return model ? model->InitMesh(name) : E_FAIL;
}

HRESULT SetMaterial(KModelProxy* model, const char* name) {
    if (g_Double) return g_Double->SetMaterial(model, name);
    return model ? model->SetMaterial(name) : E_FAIL;
}

HRESULT InitMaterial(KModelProxy* model, const char* name) {
    if (g_Double) return g_Double->InitMaterial(model, name);
    return model ? model->InitMaterial(name) : E_FAIL;
}

void PlayAnimation(KModelProxy* model, const char* name, DWORD unused, int mode) {
    if (g_Double) g_Double->PlayAnimation(model, name, unused, mode);
    else if (model) model->PlayAnimation(name, unused, mode);
}

bool GetBounds(KModelProxy* model, D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) {
    if (g_Double) return g_Double->GetBounds(model, minimum, maximum);
    if (!model || !model->HasMesh()) return false;
    model->GetBounds(&minimum->x, &minimum->y, &minimum->z, &maximum->x, &maximum->y, &maximum->z);
    return true;
}

void SetScale(KModelProxy* model, float x, float y, float z) {
    if (g_Double) g_Double->SetScale(model, x, y, z);
    else if (model) model->SetScale(x, y, z);
}

void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration) {
    if (g_Double) g_Double->SetPosition(model, x, y, z, duration);
    else if (model) model->SetPosition(x, y, z, duration);
}

void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest) {
    if (g_Double) g_Double->SetHeading(model, a, b, c, duration, shortest);
    else if (model) model->SetHeading(a, b, c, duration, shortest);
}

void SetModelMatrix(KModelProxy* model, const D3DXMATRIX& world) {
    if (g_Double) g_Double->SetModelMatrix(model, world);
    else if (model) model->SetModelMatrix(&world._11);
}

void GetPosition(KModelProxy* model, float* x, float* y, float* z) {
    *x = *y = *z = 0.0f;
    if (g_Double) g_Double->GetPosition(model, x, y, z);
    else if (model) model->GetPosition(x, y, z, 1);
}

void SetAnimationMode(KModelProxy* model, int mode) {
    if (g_Double) g_Double->SetAnimationMode(model, mode);
    else if (model) model->SetAnimationMode(mode);
}

void SetPaused(KModelProxy* model, BYTE paused) {
    if (g_Double) g_Double->SetPaused(model, paused);
    else if (model) model->SetPaused(paused);
}

float GetAnimationLength(KModelProxy* model) {
    if (g_Double) return g_Double->GetAnimationLength(model);
    return model ? model->GetAnimationLength() : 0.0f;
}

void SetAnimationPosition(KModelProxy* model, float fraction) {
    if (g_Double) g_Double->SetAnimationPosition(model, fraction);
    else if (model) model->SetAnimationPosition(fraction);
}

void SetColor(KModelProxy* model, DWORD argb) {
    if (g_Double) g_Double->SetColor(model, argb);
    else if (model) model->SetColor(argb);
}

void SetAlpha(KModelProxy* model, float alpha) {
    if (g_Double) g_Double->SetAlpha(model, alpha);
    else if (model) model->SetAlpha(alpha);
}

void SetGlobalFlag(KModelProxy* model, int value) {
    g_AdditiveBlend = DWORD(value);
    if (g_Double) g_Double->SetGlobalFlag(model, value);
}

void UpdateSceneNode(KModelProxy* model, BYTE computeTransform) {
    if (g_Double) {
        g_Double->UpdateSceneNode(model, computeTransform);
        return;
    }
    KModel* node = model ? model->GetModel() : nullptr;
    if (!node) return;
    node->SetComputeTransform(computeTransform);
    node->Update();
}

int ModelBlendFlag() { return int(g_AdditiveBlend); }
void PutModelBlendFlag(int value) { g_AdditiveBlend = DWORD(value); }

}  // namespace element_model
