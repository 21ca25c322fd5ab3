// The model handle as this host holds it. The module hands out handles from
// the shell's CreateModel (slot 67) and takes them back through ReleaseModel
// (slot 77); the host only calls their 73 operations by slot, so it keeps
// its own view of the table, in the module's order, and never sees the
// handle's fields. The module's handle is a final class: calls through its
// own header would bind to its symbols, which a host that opens the module
// at run time cannot reach.
#pragma once

#include <windows.h>

#include <cstdint>

class KModel;
class IK3DSceneNode;

class IModelHandle {
public:
    virtual BYTE GetShapeState() = 0;
    virtual void ClearShapeState() = 0;
    virtual void SetShapeTimeDivisor(int32_t divisor) = 0;
    virtual void SetShapeParams(int32_t quadSwitch, int32_t width, int32_t height, int32_t centreX, int32_t centreY) = 0;
    virtual KModel* GetModel() = 0;
    virtual void SetColor(DWORD argb) = 0;
    virtual DWORD GetColor() = 0;
    virtual bool AttachChild(KModelProxy* other, const char* bone, const char* secondBone) = 0;
    virtual bool AttachTo(KModelProxy* other, const char* bone) = 0;
    virtual bool BindTo(KModelProxy* other, const char* bone, const char* secondBone) = 0;
    virtual bool Unbind(KModelProxy* other) = 0;
    virtual bool UnbindAll() = 0;
    // The world position of the last update.
    virtual void GetBindValues(float* x, float* y, float* z) = 0;
    // Another handle: unlinks the two; null: unlinks this model from all.
    virtual bool Detach(KModelProxy* other) = 0;
    virtual float GetAnimationProgress(const char* trackName) = 0;
    // 16 without a model.
    virtual BYTE GetAnimationFlag() = 0;
    virtual void SetAnimationFlag(BYTE flag) = 0;
    virtual bool HasMesh() = 0;
    virtual DWORD GetTrackCount() = 0;
    virtual HRESULT SetMaterial(const char* name) = 0;
    virtual HRESULT InitMaterial(const char* argument) = 0;
    // E_FAIL for a null or empty name.
    virtual HRESULT SetMesh(const char* name) = 0;
    virtual HRESULT InitMesh(const char* argument) = 0;
    virtual void SetPaused(BYTE pause) = 0;
    // Keeps the name pointer: the caller's text must outlive the play.
    virtual HRESULT PlayAnimation(const char* name, DWORD unused, int mode) = 0;
    // Gives the model back to the manager; frees the trail name and shadow.
    virtual void Clear() = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual void SetDepthWrite() = 0;
    virtual void UpdateBindEffects() = 0;
    // The module-wide additive blend flag.
    virtual void SetGlobalFlag(DWORD value) = 0;
    virtual void SetAnimationPosition(float fraction) = 0;
    // The model turns to (b, c, a + pi).
    virtual void SetHeading(float a, float b, float c, DWORD duration, BYTE shortest) = 0;
    virtual void SetPosition(float x, float y, float z, DWORD duration) = 0;
    virtual void SetScale(float x, float y, float z) = 0;
    virtual void SetScaleFactor(float factor) = 0;
    virtual void SetAnimationSpeed(float speed) = 0;
    virtual float GetAnimationLength() = 0;
    virtual void Reserved(DWORD a, DWORD b, DWORD c) = 0;
    // The model's shadow flag, stored and applied every frame.
    virtual void SetMeshFlag(BYTE flag) = 0;
    virtual void SetMeshParams(float centreX, float centreZ, float halfWidth, float halfDepth, BYTE quadAlpha) = 0;
    virtual void SetShadowTextureName(const char* name) = 0;
    virtual void SetColorOffset(int offset) = 0;
    virtual int GetColorOffset() = 0;
    virtual void SetMaterialTexture(const char* name, int value) = 0;
    virtual bool IsTrailLoaded() = 0;
    // Null before the first LoadTrail.
    virtual const char* GetTrailFileName() = 0;
    virtual bool LoadTrail(const char* file) = 0;
    virtual void StartTrail() = 0;
    virtual void StopTrail(BYTE clear) = 0;
    virtual bool LoadEffectList(const char* file, int index) = 0;
    virtual bool RemoveBindEffect(const char* socket) = 0;
    virtual void RemoveAllBindEffects() = 0;
    virtual bool AddBindEffect(const char* file, const char* socket, int mode, float scale, float angle) = 0;
    virtual bool SetBindEffectSocket(const char* socket, const char* nextSocket, int mode) = 0;
    // The mesh's box; nothing written without a mesh.
    virtual void GetBounds(float* minX, float* minY, float* minZ, float* maxX, float* maxY, float* maxZ) = 0;
    virtual void SetAnimationMode(int mode) = 0;
    virtual void SetMaterialValue(DWORD value) = 0;
    virtual void SetCoolTrail(int on) = 0;
    virtual void SetBindFlag(int on) = 0;
    virtual void SetEnabled(int on) = 0;
    virtual bool IsEnabled() = 0;
    virtual bool UpdateTree(DWORD argument) = 0;
    virtual void GetPosition(float* x, float* y, float* z, int flag) = 0;
    virtual void SetMotionMode(BYTE straight, const BYTE* arcParams) = 0;
    // A ".dts" name attaches a model, another an effect node.
    virtual bool AttachByName(const char* name) = 0;
    virtual void SetEffectDirection(float x, float y, float z) = 0;
    virtual void SetEffectScale(float x, float y, float z) = 0;
    virtual IK3DSceneNode* GetSceneNode() = 0;
    virtual void SetShapeFlag(int32_t value) = 0;
    virtual int32_t GetShapeFlag() = 0;
    // The new count.
    virtual LONG AddRef() = 0;
    // The shell's ReleaseModel: true when the handle was deleted.
    virtual bool Release() = 0;
    // The handle's own ground shadow under the model, alpha as a byte.
    virtual void DrawShadow(float centreX, float centreZ, float halfWidth, float halfDepth, float alpha) = 0;

protected:
    ~IModelHandle() = default;
};

class KModelProxy;
// The module's handle seen through the host's view of its table.
inline IModelHandle* Handle(KModelProxy* model) { return reinterpret_cast<IModelHandle*>(model); }
inline KModelProxy* Proxy(IModelHandle* handle) { return reinterpret_cast<KModelProxy*>(handle); }
