// The 3D model as the host and the scene place hold it. The shell's
// CreateModel makes one and ReleaseModel gives it back; the handle owns one
// model from the model manager and forwards to it, adding a reference count,
// a colour and colour offset applied every frame, the last trail file name
// and a ground shadow of its own. The 73 operations keep their fixed slot
// order. A handle without a model (cleared, or half made) answers every
// operation with its empty value.
//
//   ModelProxy.cpp            life, reference count, colour, loading
//   ModelProxyOperations.cpp  the forwarding operations
//   ModelProxyExtras.cpp      trails, attachments by name and the shadow
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "scene/LiveHandles.h"

class KModel;
class KShadowQuad;
class IK3DSceneNode;

constexpr size_t kTrailFileNameSize = 80;
constexpr const char* kHandleShadowTexture = "\\Portrait\\common\\Shadow.png";

class KModelProxy final {
public:
    KModelProxy() = default;
    // Runs Clear.
    ~KModelProxy();
    KModelProxy(const KModelProxy&) = delete;
    KModelProxy& operator=(const KModelProxy&) = delete;

    // --- The operations in slot order ---
    virtual BYTE GetShapeState();
    virtual void ClearShapeState();
    virtual void SetShapeTimeDivisor(int32_t divisor);
    virtual void SetShapeParams(int32_t quadSwitch, int32_t width, int32_t height, int32_t centreX, int32_t centreY);
    virtual KModel* GetModel();
    virtual void SetColor(DWORD argb);
    virtual DWORD GetColor();
    virtual bool AttachChild(KModelProxy* other, const char* bone, const char* secondBone);
    virtual bool AttachTo(KModelProxy* other, const char* bone);
    virtual bool BindTo(KModelProxy* other, const char* bone, const char* secondBone);
    virtual bool Unbind(KModelProxy* other);
    virtual bool UnbindAll();
    // The world position of the last update.
    virtual void GetBindValues(float* x, float* y, float* z);
    // Another handle: unlinks the two; null: unlinks this model from all.
    virtual bool Detach(KModelProxy* other);
    virtual float GetAnimationProgress(const char* trackName);
    // 16 without a model.
    virtual BYTE GetAnimationFlag();
    virtual void SetAnimationFlag(BYTE flag);
    virtual bool HasMesh();
    virtual DWORD GetTrackCount();
    virtual HRESULT SetMaterial(const char* name);
    virtual HRESULT InitMaterial(const char* argument);
    // E_FAIL for a null or empty name.
    virtual HRESULT SetMesh(const char* name);
    virtual HRESULT InitMesh(const char* argument);
    virtual void SetPaused(BYTE pause);
    // Keeps the name pointer: the caller's text must outlive the play.
    virtual HRESULT PlayAnimation(const char* name, DWORD unused, int mode);
    // Gives the model back to the manager; frees the trail name and shadow.
    virtual void Clear();
    virtual void SetAlpha(float alpha);
    virtual void SetDepthWrite();
    virtual void UpdateBindEffects();
    // The module-wide additive blend flag.
    virtual void SetGlobalFlag(DWORD value);
    virtual void SetAnimationPosition(float fraction);
    // The model turns to (b, c, a + pi).
    virtual void SetHeading(float a, float b, float c, DWORD duration, BYTE shortest);
    virtual void SetPosition(float x, float y, float z, DWORD duration);
    virtual void SetScale(float x, float y, float z);
    virtual void SetScaleFactor(float factor);
    virtual void SetAnimationSpeed(float speed);
    virtual float GetAnimationLength();
    virtual void Reserved(DWORD a, DWORD b, DWORD c);
    // The model's shadow flag, stored and applied every frame.
    virtual void SetMeshFlag(BYTE flag);
    virtual void SetMeshParams(float centreX, float centreZ, float halfWidth, float halfDepth, BYTE quadAlpha);
    virtual void SetShadowTextureName(const char* name);
    virtual void SetColorOffset(int offset);
    virtual int GetColorOffset();
    virtual void SetMaterialTexture(const char* name, int value);
    virtual bool IsTrailLoaded();
    // Null before the first LoadTrail.
    virtual const char* GetTrailFileName();
    virtual bool LoadTrail(const char* file);
    virtual void StartTrail();
    virtual void StopTrail(BYTE clear);
    virtual bool LoadEffectList(const char* file, int index);
    virtual bool RemoveBindEffect(const char* socket);
    virtual void RemoveAllBindEffects();
    virtual bool AddBindEffect(const char* file, const char* socket, int mode, float scale, float angle);
    virtual bool SetBindEffectSocket(const char* socket, const char* nextSocket, int mode);
    // The mesh's box; nothing written without a mesh.
    virtual void GetBounds(float* minX, float* minY, float* minZ, float* maxX, float* maxY, float* maxZ);
    virtual void SetAnimationMode(int mode);
    virtual void SetMaterialValue(DWORD value);
    virtual void SetCoolTrail(int on);
    virtual void SetBindFlag(int on);
    virtual void SetEnabled(int on);
    virtual bool IsEnabled();
    virtual bool UpdateTree(DWORD argument);
    virtual void GetPosition(float* x, float* y, float* z, int flag);
    virtual void SetMotionMode(BYTE straight, const BYTE* arcParams);
    // A ".dts" name attaches a model, another an effect node.
    virtual bool AttachByName(const char* name);
    virtual void SetEffectDirection(float x, float y, float z);
    virtual void SetEffectScale(float x, float y, float z);
    virtual IK3DSceneNode* GetSceneNode();
    virtual void SetShapeFlag(int32_t value);
    virtual int32_t GetShapeFlag();
    // The new count.
    virtual LONG AddRef();
    // The shell's ReleaseModel: true when the handle was deleted.
    virtual bool Release();
    // The handle's own ground shadow under the model, alpha as a byte.
    virtual void DrawShadow(float centreX, float centreZ, float halfWidth, float halfDepth, float alpha);

    // --- Not in the table ---
    // Takes an empty model from the manager; false when none comes.
    bool Init();
    // The shadow flag, colour and colour offset onto the model, every frame.
    void ApplyColor();
    // The 16 floats become the model's external world matrix.
    void SetModelMatrix(const float* matrix);
    // ReleaseModel's decrement; the new count.
    LONG DropReference();

    // --- Fields, in order ---
    KModel* model = nullptr;
    const char* lastAnimation = nullptr;
    DWORD colour = 0xFFFFFFFF;
    BYTE shadowFlag = 0;
    volatile LONG referenceCount = 1;
    int32_t colourOffset = 0;
    char* trailFileName = nullptr;  // kTrailFileNameSize, made on the first LoadTrail
    KShadowQuad* shadowQuad = nullptr;

private:
    KLiveMark<KModelProxy> m_live{this};
};
