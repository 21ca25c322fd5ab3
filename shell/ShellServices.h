// What textures, 2D drawing, models, shapes, effects and the scene place
// use of the drawing shell, and nothing more. The shell implements it; those parts
// include this header, never the shell's class, so a change to a slot they
// do not call recompiles none of them. The device wrapper (D3DDevice.h)
// and the module-wide frame time and screen size (ShellGlobals.h,
// D3DShell.h) sit beside it in the shell's core.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>

class IK3DEffectNode;
class IKDrawShell;
class KImageCache;
class KModelProxy;

class KShellServices {
public:
    // --- The shell as the host holds it ---
    virtual IKDrawShell* Interface() = 0;

    // --- Device ---
    virtual IDirect3DDevice9* GetDevice() = 0;
    // Adopts a device made elsewhere when the shell has none.
    virtual void AttachDevice(IDirect3DDevice9* device) = 0;

    // --- Render states ---
    virtual void SetDefaultRenderStates() = 0;
    // Eleven blend and stage-0 states, kept and put back in pairs.
    virtual void SaveRenderStates2() = 0;
    virtual void RestoreRenderStates2() = 0;
    virtual void SetAlphaMode(DWORD blend, DWORD alphaTest, DWORD reference) = 0;
    virtual void SetGlobalAlpha(float alpha) = 0;
    virtual void SetOption(int option, DWORD value) = 0;

    // --- The shared dynamic vertex buffer ---
    // Room for `count` vertices of `stride` bytes, or null; the first vertex
    // index and the buffer go to the outputs.
    virtual void* LockDynamicVertices(int count, int stride, int* firstVertex, IDirect3DVertexBuffer9** buffer) = 0;
    virtual HRESULT UnlockDynamicVertices() = 0;

    // --- Camera, view centre and world offset ---
    virtual BYTE HasWorldOffset() = 0;
    virtual void GetWorldOffset(float* x, float* y, float* z) = 0;
    virtual void ClearWorldOffset(DWORD ignored) = 0;
    virtual void GetCameraPos(float* out) = 0;
    virtual void GetViewOrigin(float* out) = 0;
    virtual bool IsInViewRange(float ax, float ay, float az, float bx, float by, float bz, float cx, float cy,
                               float cz, float dx, float dy, float dz, float ex, float ey, float ez) = 0;
    virtual void ScreenToMap(int* x, int* y, int height) = 0;
    virtual int SetViewCenter(int x, int y, int height) = 0;
    virtual void CommitViewCenter() = 0;
    virtual void SampleOcclusionPixels() = 0;
    virtual bool TestOcclusionPixels() = 0;
    virtual void SetLightColorGrid(int originX, int originY, const DWORD* colours) = 0;

    // --- Factories ---
    virtual KModelProxy* CreateModel(const char* fileName) = 0;
    virtual bool ReleaseModel(KModelProxy* model) = 0;
    virtual IK3DEffectNode* CreateEffectNode(const char* fileName, DWORD unused) = 0;
    virtual void ReleaseEffectNode(IK3DEffectNode* node) = 0;

    // --- Pictures and primitives ---
    virtual DWORD CreateImage(const char* name, int width, int height, int type, BYTE withSystemCopy) = 0;
    virtual bool RemoveImage(const char* name) = 0;
    virtual void* LockImage(const char* name, int32_t* info) = 0;
    virtual void UnlockImage(const char* name, DWORD unused) = 0;
    virtual void ClearImage(const char* name, DWORD fileId, int16_t* indexHint) = 0;
    virtual bool GetImageInfo(const char* name, int16_t* values, int type) = 0;
    virtual void DrawImage(int count, void* records, DWORD type, const char* targetName, DWORD targetFileId,
                           int16_t* targetIndexHint, DWORD a, DWORD b) = 0;
    virtual void DrawPrimitives(int count, void* records, DWORD type, int screenSpace, BYTE floatCoords,
                                int opacity, float brightness) = 0;
    virtual void CompositePictureToCapture(void* record) = 0;
    virtual void DrawTexturedRect(float x, float y, float width, float height, DWORD topLeft, DWORD topRight,
                                  DWORD bottomRight, DWORD bottomLeft) = 0;
    virtual void DrawQuad3D(const float* a, const float* b, DWORD colour) = 0;
    virtual D3DFORMAT GetPictureTextureFormat() = 0;
    virtual DWORD Color565To8888(WORD colour) = 0;
    virtual void SetTextureRelease(int mode) = 0;
    virtual float GetUiScale() = 0;
    virtual void SetUiScale(float scale) = 0;
    virtual BYTE IsImageLoadThrottled() = 0;
    virtual bool ShrinkPlaceGround() = 0;

    // --- What the primitive drawer reads of the shell's view ---
    virtual KImageCache* GetImageCache() = 0;
    // Scene point to screen point through the camera, in place.
    virtual void ProjectPoint(int* x, int* y, int z) = 0;
    virtual void ProjectPointF(float* x, float* y, float z) = 0;
    // Ground light colour under a point whose first two fields are floats x, y.
    virtual DWORD GetLightGridColor(const void* point) = 0;
    virtual bool LightGridEnabled() const = 0;
    virtual const D3DXMATRIX& ViewMatrix() const = 0;
    virtual const D3DXMATRIX& ProjectionMatrix() const = 0;
    virtual const D3DVIEWPORT9& Viewport() const = 0;
    virtual int32_t ProjectionKind() const = 0;
    // The alpha factor of projected pictures (SetGlobalAlpha).
    virtual float GlobalAlpha() const = 0;
    // The world offset while it is set, else null.
    virtual const float* ActiveWorldOffset() const = 0;
    virtual bool DeviceLost() const = 0;
    // The grey surface of type 17, which its first dirty record makes.
    virtual IDirect3DTexture9*& SurfaceTexture() = 0;
    // The compose texture of a picture group of `size` (128 or larger).
    virtual IDirect3DTexture9* ComposeTexture(int size) const = 0;

protected:
    ~KShellServices() = default;
};

// The one shell's services; null until the shell is created.
KShellServices* ShellServices();
