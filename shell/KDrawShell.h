// The module's one drawing shell. The host holds it as IKDrawShell; the
// subsystems reach it through KShellServices (ShellServices.h), and only
// the shell's own files and the exports see this class. Operations are
// defined in files by area: lifecycle, device objects, display mode,
// projection and options, accessors, client settings, brightness and screen
// target, and the slots that drive models, effects and the place.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "draw2d/text/KFontTable.h"
#include "shell/ClientSettings.h"
#include "lumiva/IKDrawShell.h"
#include "shell/NeighbourServices.h"
#include "shell/ScreenVertex.h"
#include "shell/ShellServices.h"
#include "shell/ShellTextServices.h"

constexpr int kQuadTableSize = 343;
constexpr uint32_t kDynamicVertexBufferSize = 256000;
constexpr float kCameraDistanceMax = 4500.0f;
constexpr float kCameraDistanceMin = 2200.0f;
// Depth range of the shell's camera projections.
constexpr float kNearPlane = 200.0f;
constexpr float kFarPlane = 20000.0f;
// Field of view (pi / 24) and width-over-height factor of the perspective camera.
constexpr float kPerspectiveFovY = 0.1308997f;
constexpr float kAspectFactor = 1.37f;

// A record holding one Direct3D resource that device resets drop.
struct KTargetRecord {
    IDirect3DResource9* resource;
};

struct KPresentExclusion {
    int32_t enabled;
    int32_t rect[4];  // left, top, right, bottom
};

struct KCaptureBuffers {
    std::vector<uint8_t> large = std::vector<uint8_t>(64 * 1024);
    uint32_t largeCount = 0;
    std::vector<uint8_t> small = std::vector<uint8_t>(32 * 1024);
    uint32_t smallCount = 0;
};

// The occlusion probe's two screen points and the back-buffer pixels under
// them when they were sampled.
struct KOcclusionSamples {
    float points[2][3];
    uint32_t samples[2];
    uint8_t sampled;
    uint8_t changed;
};

constexpr int kLightGridColumns = 48;
constexpr int kLightGridRows = 96;
constexpr int kSavedStates2Count = 11;

class KDrawShell final : public IKDrawShell, public KShellServices {
public:
    KDrawShell();
    ~KDrawShell();
    KDrawShell(const KDrawShell&) = delete;
    KDrawShell& operator=(const KDrawShell&) = delete;

    // --- The interface, in slot order ---
    void SetPresentExclusion(BYTE on, int left, int top, int right, int bottom) override;
    void ViewToScreen(int* x, int* y) override;
    void RenderDebugMeshes(WORD id, DWORD a, DWORD b) override;
    void SetFreeCamera(BYTE on) override;
    void MoveFreeCamera(BYTE direction, WORD amount) override;
    void SetFreeCameraTarget(float x, float y, float z) override;
    bool HitTestBox(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3,
                    int screenX, int screenY) override;
    void BeginBillboardState(DWORD ignored) override;
    void EndBillboardState(DWORD ignored) override;
    bool HasDevice() override;
    void ReleaseQuadTable() override;
    BYTE IsQuadTableReady() override;
    void SetZoomFactor(float factor) override;
    void SetFreeCameraZoomLimit(float limit) override;
    void SetReservedValue(DWORD value) override;
    void SaveScreenShotDDS() override;
    KParticleSystem* CreateParticleSystem(int preset) override;
    void ReleaseParticleSystem(KParticleSystem** holder) override;
    void Release() override;
    bool Create(int width, int height, BYTE fullScreen, DWORD ignored1, DWORD ignored2) override;
    bool ChangeDisplayMode(int width, int height, BYTE fullScreen, BYTE keepHidden) override;
    void SetDefaultRenderStates() override;
    bool CreateWindowed(int width, int height, HWND window) override;
    bool ResizeBackBuffer(int width, int height, HWND ignored) override;
    IDirect3DDevice9* GetDevice() override;
    void AttachDevice(IDirect3DDevice9* device) override;
    HRESULT InitDeviceObjects() override;
    HRESULT DeleteDeviceObjects() override;
    HRESULT InvalidateDeviceObjects() override;
    HRESULT RestoreDeviceObjects() override;
    IDirect3DSurface9* SetRenderTargetImage(const char* name, DWORD fileId, int16_t* indexHint, WORD type) override;
    bool CreateFont(const char* descriptor, int unused, int id) override;
    void OutputText(int id, const char* text, int length, int x, int y, DWORD colour, int wrapWidth, int z,
                    DWORD gradient) override;
    void OutputTextEx(int id, const char* text, int length, float x, float y, DWORD colour, int wrapWidth, float z,
                      DWORD gradient) override;
    int GetTextExtent(int id, const char* text, int length, int width) override;
    int OutputTextInRect(int id, KTextRect* rect, const char* text, int length, int width) override;
    int OutputTextInRectEx(int id, KTextRect* rect, const char* text, int length, int width) override;
    int HitTestText(int x, int y, int id, KTextRect* rect, const char* text, int length, int width) override;
    void ReleaseFont(int id) override;
    DWORD CreateImage(const char* name, int width, int height, int type, BYTE withSystemCopy) override;
    bool RemoveImage(const char* name) override;
    void ReleaseAllImages() override;
    void* LockImage(const char* name, int32_t* info) override;
    void UnlockImage(const char* name, DWORD unused) override;
    bool GetImageInfo(const char* name, int16_t* values, int type) override;
    bool GetImageFrameRect(const char* name, int frame, int32_t* offset, int32_t* size, int type) override;
    int GetImageAlphaAt(const char* name, int frame, int x, int y, int type) override;
    void SetImageCacheParam(int a, int b) override;
    bool Reserved48(DWORD a, DWORD b, DWORD c) override;
    void DrawPrimitives(int count, void* records, DWORD type, int screenSpace, BYTE floatCoords, int opacity,
                        float brightness) override;
    void CompositePictureToCapture(void* record) override;
    void DrawImage(int count, void* records, DWORD type, const char* targetName, DWORD targetFileId,
                   int16_t* targetIndexHint, DWORD a, DWORD b) override;
    void ClearImage(const char* name, DWORD fileId, int16_t* indexHint) override;
    int SetViewCenter(int x, int y, int height) override;
    bool CanDraw(const char* name, DWORD a, DWORD b, DWORD c, DWORD d, DWORD e, DWORD f) override;
    void BeginFrame(int clearMode, DWORD clearColour, KModelProxy* focus) override;
    void EndFrame() override;
    void ScreenToMap(int* x, int* y, int height) override;
    void SetLightColorGrid(int originX, int originY, const DWORD* colours) override;
    void SetOption(int option, DWORD value) override;
    int GetZoomPercent(int given, int* out) override;
    int SetTextImageHandler(ITextImageHandler* handler) override;
    int RemoveTextImageHandler(ITextImageHandler* handler) override;
    bool SaveScreenShot(const char* path, int jpeg, int quality) override;
    void ApplyBrightness(int level) override;
    void SetBrightness(int level) override;
    DWORD Reserved66(DWORD a, DWORD b) override;
    KModelProxy* CreateModel(const char* fileName) override;
    IK3DEffectNode* CreateEffectNode(const char* fileName, DWORD unused) override;
    void ReleaseEffectNode(IK3DEffectNode* node) override;
    DWORD ReadEffectHeader(const char* fileName) override;
    KLightning* LoadLightning(const char* fileName) override;
    void UnloadLightning(const char* fileName) override;
    KLightningSet* CreateLightningSet(const char* fileName) override;
    void ReleaseLightningSet(KLightningSet* set) override;
    K3DEffectInstance* CreateEffectInstance(const char* fileName) override;
    void ReleaseEffectInstance(K3DEffectInstance* instance) override;
    bool ReleaseModel(KModelProxy* model) override;
    void ClearWorldOffset(DWORD ignored) override;
    BYTE HasWorldOffset() override;
    void SetClientFlag(BYTE flag) override;
    BYTE GetClientFlag() override;
    DWORD GetAvailableTextureMem() override;
    void SetPresentWindow(DWORD unused1, DWORD unused2, HWND window) override;
    bool ClearScreen() override;
    bool PresentRect(int width, int height) override;
    bool PrepareOffscreenView(void* records, int count, int width, int height) override;
    void RenderOffscreenView(void* records, int count, int x, int y) override;
    void SetTextureRelease(int mode) override;
    int Reserved89() override;
    void Reserved90(DWORD ignored) override;
    bool ToggleWindowMode() override;
    BYTE IsWindowed() override;
    void CommitViewCenter() override;
    void GetVideoPolicy(KVideoPolicy* out) override;
    int GetLastFrameCounter() override;
    void IncrementFrameCounter() override;
    void SetImageLoadThrottle(BYTE on) override;
    BYTE IsImageLoadThrottled() override;
    bool EnableBackRefresh(BYTE on) override;
    BYTE IsBackRefreshEnabled() override;
    DWORD Color565To8888(WORD colour) override;
    D3DFORMAT GetPictureTextureFormat() override;
    void GetSystemInfo(KSystemInfo* out) override;
    DWORD PreloadPictureFrames(const char* fileName) override;
    DWORD GetPictureFrameCost(const char* fileName, int frame) override;
    DWORD MeasureObjectMemory(const char* fileName) override;
    void ProjectPoint(int* x, int* y, int z) override;
    void ProjectPointF(float* x, float* y, float z) override;
    void ProjectPointOffset(int* outX, int* outY, int x, int y, int z) override;
    void ProjectPointOffsetF(float* outX, float* outY, float x, float y, float z) override;
    DWORD CreateRibbon(DWORD segments, DWORD shiftInterval, float width, float heightOffset, const char* texture,
                       DWORD additive, DWORD textureFactor, DWORD reserved) override;
    DWORD UpdateRibbon(DWORD id, DWORD start) override;
    void DrawRibbons(DWORD id, int x, int y, int z) override;
    void ReadCapturedPixels(int x, int y, int width, int height) override;
    void CapturePreview(const char* maskName, int x, int y, int width, int height) override;
    void SetColorBlend() override;
    bool IsInViewRange(float ax, float ay, float az, float bx, float by, float bz, float cx, float cy, float cz,
                       float dx, float dy, float dz, float ex, float ey, float ez) override;
    void SampleOcclusionPixels() override;
    bool TestOcclusionPixels() override;
    void GetCameraPos(float* out) override;
    void GetViewOrigin(float* out) override;
    void SaveRenderStates2() override;
    void RestoreRenderStates2() override;
    void LoadCoolSettings() override;
    KChannelMagic* CreateChannelMagic() override;
    void ReleaseChannelMagic(KChannelMagic* magic) override;
    void SetAlphaMode(DWORD blend, DWORD alphaTest, DWORD reference) override;
    float GetUiScale() override;
    void SetUiScale(float scale) override;
    bool ShrinkPlaceGround() override;
    void SetCallback(KHostCallback callback) override;
    void InvokeCallback() override;
    void SetGlobalAlpha(float alpha) override;
    void DrawQuad3D(const float* a, const float* b, DWORD colour) override;
    void DrawTexturedRect(float x, float y, float width, float height, DWORD topLeft, DWORD topRight, DWORD bottomRight,
                          DWORD bottomLeft) override;
    void AddGlowLight(const D3DLIGHT9* light) override;
    int AddLight(const D3DLIGHT9* light) override;
    void ClearLights() override;
    int GetLightCount() override;
    HRESULT EnableLight(int index, BYTE enable) override;
    void SetSceneBright(float value) override;
    float GetSceneBright() override;
    void CreateTableQuad(int index, float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2,
                         float z2, float x3, float y3, float z3, BYTE red) override;
    void DrawTableQuad(const char* fileName, int16_t frame, int index) override;
    void ScreenToView(int* x, int* y) override;
    DWORD GetFrameTime() override;
    bool GetReservedFlag() override;
    void Reserved148(DWORD a, DWORD b, DWORD c, DWORD d, DWORD e, DWORD f, DWORD g) override;
    void RenderOwnViewPass(KModelProxy** handles, int count, int index, int x, int y, int width,
                           DWORD ignored) override;
    void GetWorldOffset(float* x, float* y, float* z) override;
    float GetFrameTimeSum() override;
    float GetLastFrameInterval() override;
    void SetPreviewObject(KPrimPicture* record) override;
    void SetWindowPresentExclusion(int enable, const int32_t* rect) override;
    void BeginPreviewRender() override;
    void EndPreviewRender() override;
    void SetLargeScreen(int large) override;
    void SetZoom(float value) override;
    KImageCache* GetImageCache() override;
    KStaticMesh* CreateStaticMesh(int vertexCount, int indexCount) override;
    DWORD GetSparkColor(int sparkId) override;
    void ReleaseSparks() override;
    void Reserved163() override;
    void DrawRect(int x, int y, int width, int height, DWORD colour) override;
    void DrawColorRect(KColorRect* rect, const char* fileName, int frame, int type) override;

    // --- Slot 166, reached only through KDrawShell ---
    virtual void RenderTimedPass(KStaticMesh* mesh, int x, int y, int width, int height);

    // --- Operations outside the table ---
    IDirect3DDevice9* GetDeviceInterface() { return GetDevice(); }
    IKDrawShell* Interface() override { return this; }
    bool LightGridEnabled() const override { return lightGridEnabled != 0; }
    const D3DXMATRIX& ViewMatrix() const override { return viewMatrix; }
    const D3DXMATRIX& ProjectionMatrix() const override { return projectionMatrix; }
    const D3DVIEWPORT9& Viewport() const override { return viewport; }
    int32_t ProjectionKind() const override { return projectionKind; }
    float GlobalAlpha() const override { return globalAlpha; }
    const float* ActiveWorldOffset() const override { return worldOffsetSet ? worldOffset : nullptr; }
    bool DeviceLost() const override { return deviceLost != 0; }
    IDirect3DTexture9*& SurfaceTexture() override { return surfaceTexture; }
    IDirect3DTexture9* ComposeTexture(int size) const override {
        return size == 128 ? composeTextureSmall : composeTextureLarge;
    }
    void SetProjection();
    void RestoreGammaAndRelease();
    HRESULT CreateScreenTarget(int width, int height);
    HRESULT ReleaseScreenTarget();
    // The shared dynamic vertex buffer lives in the default pool.
    void ReleaseDynamicVertexBuffer();
    // Room for `count` vertices of `stride` bytes in the shared buffer, or
    // null; the first vertex index and the buffer go to the outputs.
    void* LockDynamicVertices(int count, int stride, int* firstVertex, IDirect3DVertexBuffer9** buffer) override;
    HRESULT UnlockDynamicVertices() override;
    // A scene point on screen through the camera's viewport, projection and
    // view (no world matrix); z is the depth the viewport maps to.
    D3DXVECTOR3 ProjectToScreen(const D3DXVECTOR3& point) const;
    // Ground light colour under a point whose first two fields are floats x, y.
    DWORD GetLightGridColor(const void* point) override;
    // The off-screen view's default-pool texture and kept target.
    void ReleaseOffscreenView();

    // --- Members, in the order the design gives ---
    float uiScale;
    KHostCallback hostCallback;
    std::vector<KTargetRecord> targetRecords;
    IDirect3DResource9* extraResource;
    int32_t largeScreen;
    float zoom;
    D3DGAMMARAMP savedGammaRamp;
    int32_t projectionKind;
    KImageCache imageCache;
    KFontTable fonts;
    uint8_t deviceLost;
    int32_t screenOffset[2];
    IDirect3DTexture9* composeTextureSmall;
    IDirect3DTexture9* composeTextureLarge;
    D3DXMATRIX viewMatrix;
    D3DXMATRIX inverseViewMatrix;
    D3DXMATRIX projectionMatrix;
    float cameraPosition[3];
    float viewOrigin[3];
    uint8_t lightGridEnabled;
    float viewCentre[3];
    float pendingViewCentre[3];
    uint8_t clientFlag;
    int32_t screenTargetEnabled;
    IDirect3DTexture9* screenTarget;
    uint32_t lastFrameInterval;
    std::deque<uint32_t> frameTimes;
    uint32_t frameTimeSum;
    D3DPRESENT_PARAMETERS windowedPresentParams;
    uint8_t worldOffsetSet;
    float worldOffset[3];
    float cameraDistance;
    float cameraDistanceMax;
    float cameraDistanceMin;
    KPresentExclusion presentExclusion;
    KCaptureBuffers captureBuffers;
    D3DDISPLAYMODE adapterMode;
    KOcclusionSamples occlusionSamples;
    IDirect3DSurface9* extraSurface;
    IDirect3DSurface9* backBufferSurface;
    uint8_t backRefresh;
    uint8_t imageLoadThrottle;
    int32_t lastFrameCounter;
    int32_t frameCounter;
    IDirect3DSurface9* offscreenSurface;
    float globalAlpha;
    std::map<uint32_t, KRibbon> ribbonMaps[2];
    KLightGlow lightGlow{clearColour};
    DWORD clearColour;
    // The grey surface of type 17; default pool, made by its first dirty record.
    IDirect3DTexture9* surfaceTexture;
    std::vector<D3DLIGHT9> lights;
    D3DVIEWPORT9 viewport;
    KSparkTable sparks;
    IDirect3DVertexBuffer9* dynamicVertexBuffer;
    uint32_t dynamicVertexBufferSize;
    uint32_t dynamicWritePosition;
    IDirect3DVertexBuffer9* quadTable[kQuadTableSize];
    uint8_t quadTableReady;
    ITextImageHandler* textImageHandler;
    KShellTextServices textServices;
    // The target the screen target stands in for during a frame.
    IDirect3DSurface9* screenTargetSavedTarget = nullptr;
    KScreenVertex screenTargetQuad[4] = {};
    int32_t lightGridOrigin[2] = {};
    DWORD lightGrid[kLightGridRows * kLightGridColumns] = {};
    IDirect3DTexture9* offscreenTexture = nullptr;
    IDirect3DSurface9* offscreenSavedTarget = nullptr;
    int32_t offscreenWidth = 0;
    int32_t offscreenHeight = 0;
    bool offscreenPrepared = false;
    D3DXMATRIX savedView{};
    D3DXMATRIX savedWorld{};
    D3DXMATRIX savedProjection{};
    DWORD savedStates2[kSavedStates2Count] = {};
    // The preview capture's mask: loaded by the first CapturePreview, owned
    // by the named texture pool (the shell holds no reference) until
    // DeleteDeviceObjects empties the pool.
    IDirect3DTexture9* previewMask = nullptr;
    void ReleasePreviewMask();

private:
    void PlaceMainWindow(bool fullScreen, int width, int height, bool showInBothModes);
    bool StartDevice(IDirect3DDevice9* device);
    // Default-pool objects of the shell itself: target records, the extra
    // resource, the quad table, the dynamic vertex buffer, the screen target
    // and the back buffer. Restore brings back what it needs.
    void ReleaseDeviceResources();
    void FinishStartup();
    // Puts back the camera and target an offscreen pass kept.
    void RestoreOffscreenKeptState(IDirect3DDevice9* device);
};
