// STAND-IN, see ElementModelSeam.h.
#include "effects/ElementModelSeam.h"

#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"

namespace element_model {
namespace {

IElementModelDouble* g_Double = nullptr;

}  // namespace

void SetDoubleForTests(IElementModelDouble* stand) { g_Double = stand; }

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

}  // namespace element_model
