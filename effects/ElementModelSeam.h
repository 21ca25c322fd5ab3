// SEAM to the model handle. A type-6 effect element gets its model from the
// shell's CreateModel, loads the model files through the handle's SetMesh,
// InitMesh, SetMaterial, InitMaterial and PlayAnimation, asks GetBounds for
// its outline and gives the handle back through the shell's ReleaseModel.
// Nothing else in effects/ reaches the handle.
//
// Until KModelProxy exists, Create and Release go to the shell (whose
// CreateModel gives null, so elements keep no model) and the handle
// operations to a stand-in double that tests set. The model handle's work
// fills ElementModelSeam.cpp with the handle's own operations and drops the
// double.
#pragma once

#include <windows.h>
#include <d3dx9math.h>

class KModelProxy;

namespace element_model {

// The shell's CreateModel with an empty name; null without a shell.
KModelProxy* Create();
// The shell's ReleaseModel; the handle gives its model back to the manager.
void Release(KModelProxy* model);
// Negative results are failures.
HRESULT SetMesh(KModelProxy* model, const char* meshName);
HRESULT InitMesh(KModelProxy* model, const char* meshName);
HRESULT SetMaterial(KModelProxy* model, const char* materialName);
HRESULT InitMaterial(KModelProxy* model, const char* materialName);
// The handle keeps the name pointer: it must outlive the model.
void PlayAnimation(KModelProxy* model, const char* animationName, DWORD unused, int mode);
// The mesh's box; false (nothing written) when the handle gives none.
bool GetBounds(KModelProxy* model, D3DXVECTOR3* minimum, D3DXVECTOR3* maximum);

// --- Stand-in until the handle exists ---
class IElementModelDouble {
public:
    virtual KModelProxy* Create() = 0;
    virtual void Release(KModelProxy* model) = 0;
    virtual HRESULT SetMesh(KModelProxy* model, const char* name) = 0;
    virtual HRESULT InitMesh(KModelProxy* model, const char* name) = 0;
    virtual HRESULT SetMaterial(KModelProxy* model, const char* name) = 0;
    virtual HRESULT InitMaterial(KModelProxy* model, const char* name) = 0;
    virtual void PlayAnimation(KModelProxy* model, const char* name, DWORD unused, int mode) = 0;
    virtual bool GetBounds(KModelProxy* model, D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) = 0;

protected:
    ~IElementModelDouble() = default;
};

// The double every call reaches, Create and Release included; null for
// none (the shell's slots then, and the handle operations do nothing).
void SetDoubleForTests(IElementModelDouble* stand);

}  // namespace element_model
