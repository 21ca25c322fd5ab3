// The model handle as effect elements use it. A type-6 effect element gets
// its model from the shell's CreateModel, loads the model files through the
// handle's SetMesh, InitMesh, SetMaterial, InitMaterial and PlayAnimation,
// asks GetBounds for its outline and gives the handle back through the
// shell's ReleaseModel. Effect nodes and instances place, animate, tint and
// draw the model through the drawing calls below; ModelBlendFlag and
// PutModelBlendFlag read and write g_AdditiveBlend, which SetGlobalFlag
// sets. Effect tests may set a double that takes every call in place of the
// shell and the handle. Nothing else in effects/ reaches the handle.
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

// --- Drawing: placing, animating and tinting the model ---
void SetScale(KModelProxy* model, float x, float y, float z);
void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration);
// The handle's heading arguments (a, b, c).
void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest);
// The model's world matrix, used in place of its own placement.
void SetModelMatrix(KModelProxy* model, const D3DXMATRIX& world);
// The position with the flag 1; (0, 0, 0) when the handle gives none.
void GetPosition(KModelProxy* model, float* x, float* y, float* z);
void SetAnimationMode(KModelProxy* model, int mode);
void SetPaused(KModelProxy* model, BYTE paused);
// Length of the playing animation; 0 without one.
float GetAnimationLength(KModelProxy* model);
void SetAnimationPosition(KModelProxy* model, float fraction);
void SetColor(KModelProxy* model, DWORD argb);
void SetAlpha(KModelProxy* model, float alpha);
// Sets the module-wide model blend flag to the value.
void SetGlobalFlag(KModelProxy* model, int value);
// The model's scene node: SetComputeTransform(computeTransform), then Update.
void UpdateSceneNode(KModelProxy* model, BYTE computeTransform);
// The module-wide model blend flag that SetGlobalFlag writes.
int ModelBlendFlag();
void PutModelBlendFlag(int value);

// --- Test double ---
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
    // The drawing calls do nothing unless a double overrides them.
    virtual void SetScale(KModelProxy*, float, float, float) {}
    virtual void SetPosition(KModelProxy*, float, float, float, DWORD) {}
    virtual void SetHeading(KModelProxy*, float, float, float, DWORD, BYTE) {}
    virtual void SetModelMatrix(KModelProxy*, const D3DXMATRIX&) {}
    virtual void GetPosition(KModelProxy*, float*, float*, float*) {}
    virtual void SetAnimationMode(KModelProxy*, int) {}
    virtual void SetPaused(KModelProxy*, BYTE) {}
    virtual float GetAnimationLength(KModelProxy*) { return 0.0f; }
    virtual void SetAnimationPosition(KModelProxy*, float) {}
    virtual void SetColor(KModelProxy*, DWORD) {}
    virtual void SetAlpha(KModelProxy*, float) {}
    virtual void SetGlobalFlag(KModelProxy*, int) {}
    virtual void UpdateSceneNode(KModelProxy*, BYTE) {}

protected:
    ~IElementModelDouble() = default;
};

// The double every call reaches, Create and Release included; null for
// none (the shell's slots and the handle's own operations then).
void SetDoubleForTests(IElementModelDouble* stand);
// The stand-in model blend flag back to 0.
void ResetModelBlendFlagForTests();

}  // namespace element_model
