// The drawing shell as the host sees it: 166 operations in a fixed slot
// order, no virtual destructor. The host calls every operation by its slot,
// so nothing may be inserted, removed or reordered here.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

class KParticleSystem;
class KModelProxy;
class IK3DEffectNode;
class KLightning;
class KLightningSet;
class K3DEffectInstance;
class KChannelMagic;
class KStaticMesh;
class KImageCache;
class ITextImageHandler;
struct KVideoPolicy;
struct KSystemInfo;
struct KTextRect;
struct KColorRect;
struct KPrimPicture;

using KHostCallback = void (*)();

class IKDrawShell {
public:
    /*   0 */ virtual void SetPresentExclusion(BYTE on, int left, int top, int right, int bottom) = 0;
    /*   1 */ virtual void ViewToScreen(int* x, int* y) = 0;
    /*   2 */ virtual void RenderDebugMeshes(WORD id, DWORD a, DWORD b) = 0;
    /*   3 */ virtual void SetFreeCamera(BYTE on) = 0;
    /*   4 */ virtual void MoveFreeCamera(BYTE direction, WORD amount) = 0;
    /*   5 */ virtual void SetFreeCameraTarget(float x, float y, float z) = 0;
    /*   6 */ virtual bool HitTestBox(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3,
                                      float z3, int screenX, int screenY) = 0;
    /*   7 */ virtual void BeginBillboardState(DWORD ignored) = 0;
    /*   8 */ virtual void EndBillboardState(DWORD ignored) = 0;
    /*   9 */ virtual bool HasDevice() = 0;
    /*  10 */ virtual void ReleaseQuadTable() = 0;
    /*  11 */ virtual BYTE IsQuadTableReady() = 0;
    /*  12 */ virtual void SetZoomFactor(float factor) = 0;
    /*  13 */ virtual void SetFreeCameraZoomLimit(float limit) = 0;
    /*  14 */ virtual void SetReservedValue(DWORD value) = 0;
    /*  15 */ virtual void SaveScreenShotDDS() = 0;
    /*  16 */ virtual KParticleSystem* CreateParticleSystem(int preset) = 0;
    /*  17 */ virtual void ReleaseParticleSystem(KParticleSystem** holder) = 0;
    /*  18 */ virtual void Release() = 0;
    /*  19 */ virtual bool Create(int width, int height, BYTE fullScreen, DWORD ignored1, DWORD ignored2) = 0;
    /*  20 */ virtual bool ChangeDisplayMode(int width, int height, BYTE fullScreen, BYTE keepHidden) = 0;
    /*  21 */ virtual void SetDefaultRenderStates() = 0;
    /*  22 */ virtual bool CreateWindowed(int width, int height, HWND window) = 0;
    /*  23 */ virtual bool ResizeBackBuffer(int width, int height, HWND ignored) = 0;
    /*  24 */ virtual IDirect3DDevice9* GetDevice() = 0;
    /*  25 */ virtual void AttachDevice(IDirect3DDevice9* device) = 0;
    /*  26 */ virtual HRESULT InitDeviceObjects() = 0;
    /*  27 */ virtual HRESULT DeleteDeviceObjects() = 0;
    /*  28 */ virtual HRESULT InvalidateDeviceObjects() = 0;
    /*  29 */ virtual HRESULT RestoreDeviceObjects() = 0;
    /*  30 */ virtual IDirect3DSurface9* SetRenderTargetImage(const char* name, DWORD fileId, int16_t* indexHint,
                                                              WORD type) = 0;
    /*  31 */ virtual bool CreateFont(const char* descriptor, int unused, int id) = 0;
    /*  32 */ virtual void OutputText(int id, const char* text, int length, int x, int y, DWORD colour, int wrapWidth,
                                      int z, DWORD gradient) = 0;
    /*  33 */ virtual void OutputTextEx(int id, const char* text, int length, float x, float y, DWORD colour,
                                        int wrapWidth, float z, DWORD gradient) = 0;
    /*  34 */ virtual int GetTextExtent(int id, const char* text, int length, int width) = 0;
    /*  35 */ virtual int OutputTextInRect(int id, KTextRect* rect, const char* text, int length, int width) = 0;
    /*  36 */ virtual int OutputTextInRectEx(int id, KTextRect* rect, const char* text, int length, int width) = 0;
    /*  37 */ virtual int HitTestText(int x, int y, int id, KTextRect* rect, const char* text, int length,
                                      int width) = 0;
    /*  38 */ virtual void ReleaseFont(int id) = 0;
    /*  39 */ virtual DWORD CreateImage(const char* name, int width, int height, int type, BYTE withSystemCopy) = 0;
    /*  40 */ virtual bool RemoveImage(const char* name) = 0;
    /*  41 */ virtual void ReleaseAllImages() = 0;
    /*  42 */ virtual void* LockImage(const char* name, int32_t* info) = 0;
    /*  43 */ virtual void UnlockImage(const char* name, DWORD unused) = 0;
    /*  44 */ virtual bool GetImageInfo(const char* name, int16_t* values, int type) = 0;
    /*  45 */ virtual bool GetImageFrameRect(const char* name, int frame, int32_t* offset, int32_t* size, int type) = 0;
    /*  46 */ virtual int GetImageAlphaAt(const char* name, int frame, int x, int y, int type) = 0;
    /*  47 */ virtual void SetImageCacheParam(int a, int b) = 0;
    /*  48 */ virtual bool Reserved48(DWORD a, DWORD b, DWORD c) = 0;
    /*  49 */ virtual void DrawPrimitives(int count, void* records, DWORD type, int screenSpace, BYTE floatCoords,
                                          int opacity, float brightness) = 0;
    /*  50 */ virtual void CompositePictureToCapture(void* record) = 0;
    /*  51 */ virtual void DrawImage(int count, void* records, DWORD type, const char* targetName, DWORD targetFileId,
                                     int16_t* targetIndexHint, DWORD a, DWORD b) = 0;
    /*  52 */ virtual void ClearImage(const char* name, DWORD fileId, int16_t* indexHint) = 0;
    /*  53 */ virtual int SetViewCenter(int x, int y, int height) = 0;
    /*  54 */ virtual bool CanDraw(const char* name, DWORD a, DWORD b, DWORD c, DWORD d, DWORD e, DWORD f) = 0;
    /*  55 */ virtual void BeginFrame(int clearMode, DWORD clearColour, KModelProxy* focus) = 0;
    /*  56 */ virtual void EndFrame() = 0;
    /*  57 */ virtual void ScreenToMap(int* x, int* y, int height) = 0;
    /*  58 */ virtual void SetLightColorGrid(int originX, int originY, const DWORD* colours) = 0;
    /*  59 */ virtual void SetOption(int option, DWORD value) = 0;
    /*  60 */ virtual int GetZoomPercent(int given, int* out) = 0;
    /*  61 */ virtual int SetTextImageHandler(ITextImageHandler* handler) = 0;
    /*  62 */ virtual int RemoveTextImageHandler(ITextImageHandler* handler) = 0;
    /*  63 */ virtual bool SaveScreenShot(const char* path, int jpeg, int quality) = 0;
    /*  64 */ virtual void ApplyBrightness(int level) = 0;
    /*  65 */ virtual void SetBrightness(int level) = 0;
    /*  66 */ virtual DWORD Reserved66(DWORD a, DWORD b) = 0;
    /*  67 */ virtual KModelProxy* CreateModel(const char* fileName) = 0;
    /*  68 */ virtual IK3DEffectNode* CreateEffectNode(const char* fileName, DWORD unused) = 0;
    /*  69 */ virtual void ReleaseEffectNode(IK3DEffectNode* node) = 0;
    /*  70 */ virtual DWORD ReadEffectHeader(const char* fileName) = 0;
    /*  71 */ virtual KLightning* LoadLightning(const char* fileName) = 0;
    /*  72 */ virtual void UnloadLightning(const char* fileName) = 0;
    /*  73 */ virtual KLightningSet* CreateLightningSet(const char* fileName) = 0;
    /*  74 */ virtual void ReleaseLightningSet(KLightningSet* set) = 0;
    /*  75 */ virtual K3DEffectInstance* CreateEffectInstance(const char* fileName) = 0;
    /*  76 */ virtual void ReleaseEffectInstance(K3DEffectInstance* instance) = 0;
    /*  77 */ virtual bool ReleaseModel(KModelProxy* model) = 0;
    /*  78 */ virtual void ClearWorldOffset(DWORD ignored) = 0;
    /*  79 */ virtual BYTE HasWorldOffset() = 0;
    /*  80 */ virtual void SetClientFlag(BYTE flag) = 0;
    /*  81 */ virtual BYTE GetClientFlag() = 0;
    /*  82 */ virtual DWORD GetAvailableTextureMem() = 0;
    /*  83 */ virtual void SetPresentWindow(DWORD unused1, DWORD unused2, HWND window) = 0;
    /*  84 */ virtual bool ClearScreen() = 0;
    /*  85 */ virtual bool PresentRect(int width, int height) = 0;
    /*  86 */ virtual bool PrepareOffscreenView(void* records, int count, int width, int height) = 0;
    /*  87 */ virtual void RenderOffscreenView(void* records, int count, int x, int y) = 0;
    /*  88 */ virtual void SetTextureRelease(int mode) = 0;
    /*  89 */ virtual int Reserved89() = 0;
    /*  90 */ virtual void Reserved90(DWORD ignored) = 0;
    /*  91 */ virtual bool ToggleWindowMode() = 0;
    /*  92 */ virtual BYTE IsWindowed() = 0;
    /*  93 */ virtual void CommitViewCenter() = 0;
    /*  94 */ virtual void GetVideoPolicy(KVideoPolicy* out) = 0;
    /*  95 */ virtual int GetLastFrameCounter() = 0;
    /*  96 */ virtual void IncrementFrameCounter() = 0;
    /*  97 */ virtual void SetImageLoadThrottle(BYTE on) = 0;
    /*  98 */ virtual BYTE IsImageLoadThrottled() = 0;
    /*  99 */ virtual bool EnableBackRefresh(BYTE on) = 0;
    /* 100 */ virtual BYTE IsBackRefreshEnabled() = 0;
    /* 101 */ virtual DWORD Color565To8888(WORD colour) = 0;
    /* 102 */ virtual D3DFORMAT GetPictureTextureFormat() = 0;
    /* 103 */ virtual void GetSystemInfo(KSystemInfo* out) = 0;
    /* 104 */ virtual DWORD PreloadPictureFrames(const char* fileName) = 0;
    /* 105 */ virtual DWORD GetPictureFrameCost(const char* fileName, int frame) = 0;
    /* 106 */ virtual DWORD MeasureObjectMemory(const char* fileName) = 0;
    /* 107 */ virtual void ProjectPoint(int* x, int* y, int z) = 0;
    /* 108 */ virtual void ProjectPointF(float* x, float* y, float z) = 0;
    /* 109 */ virtual void ProjectPointOffset(int* outX, int* outY, int x, int y, int z) = 0;
    /* 110 */ virtual void ProjectPointOffsetF(float* outX, float* outY, float x, float y, float z) = 0;
    /* 111 */ virtual DWORD CreateRibbon(DWORD segments, DWORD shiftInterval, float width, float heightOffset,
                                         const char* texture, DWORD additive, DWORD textureFactor, DWORD reserved) = 0;
    /* 112 */ virtual DWORD UpdateRibbon(DWORD id, DWORD start) = 0;
    /* 113 */ virtual void DrawRibbons(DWORD id, int x, int y, int z) = 0;
    /* 114 */ virtual void ReadCapturedPixels(int x, int y, int width, int height) = 0;
    /* 115 */ virtual void CapturePreview(const char* maskName, int x, int y, int width, int height) = 0;
    /* 116 */ virtual void SetColorBlend() = 0;
    /* 117 */ virtual bool IsInViewRange(float ax, float ay, float az, float bx, float by, float bz, float cx, float cy,
                                         float cz, float dx, float dy, float dz, float ex, float ey, float ez) = 0;
    /* 118 */ virtual void SampleOcclusionPixels() = 0;
    /* 119 */ virtual bool TestOcclusionPixels() = 0;
    /* 120 */ virtual void GetCameraPos(float* out) = 0;
    /* 121 */ virtual void GetViewOrigin(float* out) = 0;
    /* 122 */ virtual void SaveRenderStates2() = 0;
    /* 123 */ virtual void RestoreRenderStates2() = 0;
    /* 124 */ virtual void LoadCoolSettings() = 0;
    /* 125 */ virtual KChannelMagic* CreateChannelMagic() = 0;
    /* 126 */ virtual void ReleaseChannelMagic(KChannelMagic* magic) = 0;
    /* 127 */ virtual void SetAlphaMode(DWORD blend, DWORD alphaTest, DWORD reference) = 0;
    /* 128 */ virtual float GetUiScale() = 0;
    /* 129 */ virtual void SetUiScale(float scale) = 0;
    /* 130 */ virtual bool ShrinkPlaceGround() = 0;
    /* 131 */ virtual void SetCallback(KHostCallback callback) = 0;
    /* 132 */ virtual void InvokeCallback() = 0;
    /* 133 */ virtual void SetGlobalAlpha(float alpha) = 0;
    /* 134 */ virtual void DrawQuad3D(const float* a, const float* b, DWORD colour) = 0;
    /* 135 */ virtual void DrawTexturedRect(float x, float y, float width, float height, DWORD topLeft, DWORD topRight,
                                            DWORD bottomRight, DWORD bottomLeft) = 0;
    /* 136 */ virtual void AddGlowLight(const D3DLIGHT9* light) = 0;
    /* 137 */ virtual int AddLight(const D3DLIGHT9* light) = 0;
    /* 138 */ virtual void ClearLights() = 0;
    /* 139 */ virtual int GetLightCount() = 0;
    /* 140 */ virtual HRESULT EnableLight(int index, BYTE enable) = 0;
    /* 141 */ virtual void SetSceneBright(float value) = 0;
    /* 142 */ virtual float GetSceneBright() = 0;
    /* 143 */ virtual void CreateTableQuad(int index, float x0, float y0, float z0, float x1, float y1, float z1,
                                           float x2, float y2, float z2, float x3, float y3, float z3, BYTE red) = 0;
    /* 144 */ virtual void DrawTableQuad(const char* fileName, int16_t frame, int index) = 0;
    /* 145 */ virtual void ScreenToView(int* x, int* y) = 0;
    /* 146 */ virtual DWORD GetFrameTime() = 0;
    /* 147 */ virtual bool GetReservedFlag() = 0;
    /* 148 */ virtual void Reserved148(DWORD a, DWORD b, DWORD c, DWORD d, DWORD e, DWORD f, DWORD g) = 0;
    /* 149 */ virtual void RenderOwnViewPass(KModelProxy** handles, int count, int index, int x, int y, int width,
                                             DWORD ignored) = 0;
    /* 150 */ virtual void GetWorldOffset(float* x, float* y, float* z) = 0;
    /* 151 */ virtual float GetFrameTimeSum() = 0;
    /* 152 */ virtual float GetLastFrameInterval() = 0;
    /* 153 */ virtual void SetPreviewObject(KPrimPicture* record) = 0;
    /* 154 */ virtual void SetWindowPresentExclusion(int enable, const int32_t* rect) = 0;
    /* 155 */ virtual void BeginPreviewRender() = 0;
    /* 156 */ virtual void EndPreviewRender() = 0;
    /* 157 */ virtual void SetLargeScreen(int large) = 0;
    /* 158 */ virtual void SetZoom(float value) = 0;
    /* 159 */ virtual KImageCache* GetImageCache() = 0;
    /* 160 */ virtual KStaticMesh* CreateStaticMesh(int vertexCount, int indexCount) = 0;
    /* 161 */ virtual DWORD GetSparkColor(int sparkId) = 0;
    /* 162 */ virtual void ReleaseSparks() = 0;
    /* 163 */ virtual void Reserved163() = 0;
    /* 164 */ virtual void DrawRect(int x, int y, int width, int height, DWORD colour) = 0;
    /* 165 */ virtual void DrawColorRect(KColorRect* rect, const char* fileName, int frame, int type) = 0;

protected:
    // The host never deletes the shell; Release does.
    ~IKDrawShell() = default;
};
