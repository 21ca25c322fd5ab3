// STAND-IN, see ElementModelSeam.h.
#include "effects/ElementModelSeam.h"

#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"

namespace element_model {
namespace {

IElementModelDouble* g_Double = nullptr;
// Stands for g_AdditiveBlend until the model exists.
int g_BlendFlag = 0;

}  // namespace

void SetDoubleForTests(IElementModelDouble* stand) { g_Double = stand; }
void ResetModelBlendFlagForTests() { g_BlendFlag = 0; }

KModelProxy* Create() {
    if (g_Double) return g_Double->Create();
    return g_pDrawShell ? g_pDrawShell->CreateModel("") : nullptr;
}

void Release(KModelProxy* model) {
    if (!model) return;
    if (g_Double) {
        g_Double->Release(model);
        return;
    }
    if (g_pDrawShell) g_pDrawShell->ReleaseModel(model);
}

HRESULT SetMesh(KModelProxy* model, const char* name) { return g_Double ? g_Double->SetMesh(model, name) : E_FAIL; }

HRESULT InitMesh(KModelProxy* model, const char* name) { return g_Double ? g_Double->InitMesh(model, name) : E_FAIL; }

HRESULT SetMaterial(KModelProxy* model, const char* name) {
    return g_Double ? g_Double->SetMaterial(model, name) : E_FAIL;
}

HRESULT InitMaterial(KModelProxy* model, const char* name) {
    return g_Double ? g_Double->InitMaterial(model, name) : E_FAIL;
}

void PlayAnimation(KModelProxy* model, const char* name, DWORD unused, int mode) {
    if (g_Double) g_Double->PlayAnimation(model, name, unused, mode);
}

bool GetBounds(KModelProxy* model, D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) {
    return g_Double && g_Double->GetBounds(model, minimum, maximum);
}

void SetScale(KModelProxy* model, float x, float y, float z) {
    if (g_Double) g_Double->SetScale(model, x, y, z);
}

void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration) {
    if (g_Double) g_Double->SetPosition(model, x, y, z, duration);
}

void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest) {
    if (g_Double) g_Double->SetHeading(model, a, b, c, duration, shortest);
}

void SetModelMatrix(KModelProxy* model, const D3DXMATRIX& world) {
    if (g_Double) g_Double->SetModelMatrix(model, world);
}

void GetPosition(KModelProxy* model, float* x, float* y, float* z) {
    *x = *y = *z = 0.0f;
    if (g_Double) g_Double->GetPosition(model, x, y, z);
}

void SetAnimationMode(KModelProxy* model, int mode) {
    if (g_Double) g_Double->SetAnimationMode(model, mode);
}

void SetPaused(KModelProxy* model, BYTE paused) {
    if (g_Double) g_Double->SetPaused(model, paused);
}

float GetAnimationLength(KModelProxy* model) { return g_Double ? g_Double->GetAnimationLength(model) : 0.0f; }

void SetAnimationPosition(KModelProxy* model, float fraction) {
    if (g_Double) g_Double->SetAnimationPosition(model, fraction);
}

void SetColor(KModelProxy* model, DWORD argb) {
    if (g_Double) g_Double->SetColor(model, argb);
}

void SetAlpha(KModelProxy* model, float alpha) {
    if (g_Double) g_Double->SetAlpha(model, alpha);
}

void SetGlobalFlag(KModelProxy* model, int value) {
    g_BlendFlag = value;
    if (g_Double) g_Double->SetGlobalFlag(model, value);
}

void UpdateSceneNode(KModelProxy* model, BYTE computeTransform) {
    if (g_Double) g_Double->UpdateSceneNode(model, computeTransform);
}

int ModelBlendFlag() { return g_BlendFlag; }
void PutModelBlendFlag(int value) { g_BlendFlag = value; }

}  // namespace element_model
