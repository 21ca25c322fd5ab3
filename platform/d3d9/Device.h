// The software IDirect3DDevice9. Its operations are spread over files by
// concern: Device.cpp (lifetime, children, swap chain, small queries),
// DeviceStates.cpp, DeviceResources.cpp, DeviceTargets.cpp (render targets,
// clears and copies), DeviceDraw.cpp, DevicePresent.cpp (present, reset,
// cooperative level, gamma).
#pragma once

#include <cstring>
#include <memory>
#include <set>

#include "d3d9/ComObject.h"
#include "d3d9/DrawPipeline.h"
#include "d3d9/State.h"

namespace lumiva::d3d9 {

class Direct3D;
class Surface;

class Device final : public IDirect3DDevice9, public ObjectBase {
public:
    // Validated parameters; see Direct3D::CreateDevice.
    Device(Direct3D* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
           const D3DPRESENT_PARAMETERS& parameters, const D3DCAPS9& caps);
    ~Device() override;

    // Fills in the defaults the platform derives (window size, desktop
    // format, one back buffer) and refuses what it cannot honour.
    static HRESULT CompleteParameters(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                      D3DPRESENT_PARAMETERS* parameters);

    // --- IUnknown ---
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseObject(); }

    // --- IDirect3DDevice9 ---
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE EvictManagedResources() override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** d3d) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT xHotSpot, UINT yHotSpot, IDirect3DSurface9* bitmap) override;
    void STDMETHODCALLTYPE SetCursorPosition(int x, int y, DWORD flags) override;
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) override;
    HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters,
                                                        IDirect3DSwapChain9** swapChain) override;
    HRESULT STDMETHODCALLTYPE GetSwapChain(UINT swapChain, IDirect3DSwapChain9** result) override;
    UINT STDMETHODCALLTYPE GetNumberOfSwapChains() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                                      const RGNDATA* dirtyRegion) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** result) override;
    HRESULT STDMETHODCALLTYPE GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) override;
    HRESULT STDMETHODCALLTYPE SetDialogBoxMode(BOOL enable) override;
    void STDMETHODCALLTYPE SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) override;
    void STDMETHODCALLTYPE GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                                  D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                                  HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                                D3DPOOL pool, IDirect3DCubeTexture9** texture,
                                                HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL lockable,
                                                 IDirect3DSurface9** surface, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                        D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                                        BOOL discard, IDirect3DSurface9** surface,
                                                        HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect,
                                            IDirect3DSurface9* destination, const POINT* destPoint) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture9* source,
                                            IDirect3DBaseTexture9* destination) override;
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                                  IDirect3DSurface9* destination) override;
    HRESULT STDMETHODCALLTYPE GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destination) override;
    HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                                          IDirect3DSurface9* destination, const RECT* destRect,
                                          D3DTEXTUREFILTERTYPE filter) override;
    HRESULT STDMETHODCALLTYPE ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override;
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                          IDirect3DSurface9** surface, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9* renderTarget) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD index, IDirect3DSurface9** renderTarget) override;
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* material) override;
    HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT9* light) override;
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) override;
    HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD index, const float* plane) override;
    HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD index, float* plane) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** stateBlock) override;
    HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
    HRESULT STDMETHODCALLTYPE EndStateBlock(IDirect3DStateBlock9** stateBlock) override;
    HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS9* clipStatus) override;
    HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS9* clipStatus) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* numPasses) override;
    HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT paletteNumber, const PALETTEENTRY* entries) override;
    HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT paletteNumber, PALETTEENTRY* entries) override;
    HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT paletteNumber) override;
    HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* paletteNumber) override;
    HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT* rect) override;
    HRESULT STDMETHODCALLTYPE GetScissorRect(RECT* rect) override;
    HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(BOOL software) override;
    BOOL STDMETHODCALLTYPE GetSoftwareVertexProcessing() override;
    HRESULT STDMETHODCALLTYPE SetNPatchMode(float segments) override;
    float STDMETHODCALLTYPE GetNPatchMode() override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                                   UINT numVertices, UINT startIndex,
                                                   UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                                              UINT vertexStride) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                                     UINT primitiveCount, const void* indexData,
                                                     D3DFORMAT indexFormat, const void* vertexData,
                                                     UINT vertexStride) override;
    HRESULT STDMETHODCALLTYPE ProcessVertices(UINT srcStartIndex, UINT destIndex, UINT vertexCount,
                                              IDirect3DVertexBuffer9* destBuffer,
                                              IDirect3DVertexDeclaration9* declaration, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                      IDirect3DVertexDeclaration9** declaration) override;
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD* fvf) override;
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9** shader) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT start, const float* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT start, float* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantI(UINT start, const int* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantI(UINT start, int* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantB(UINT start, BOOL* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                              UINT stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                              UINT* stride) override;
    HRESULT STDMETHODCALLTYPE SetStreamSourceFreq(UINT stream, UINT setting) override;
    HRESULT STDMETHODCALLTYPE GetStreamSourceFreq(UINT stream, UINT* setting) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** indices) override;
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9** shader) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT start, const float* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT start, float* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT start, const int* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantI(UINT start, int* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantB(UINT start, BOOL* data, UINT count) override;
    HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT handle, const float* numSegs, const D3DRECTPATCH_INFO* info) override;
    HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT handle, const float* numSegs, const D3DTRIPATCH_INFO* info) override;
    HRESULT STDMETHODCALLTYPE DeletePatch(UINT handle) override;
    HRESULT STDMETHODCALLTYPE CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query) override;

    // --- For the device's children and the registry ---
    void AttachChild(ObjectBase* child, D3DPOOL pool, bool countsForReset);
    void DetachChild(ObjectBase* child, D3DPOOL pool, bool countsForReset);
    void SetCooperativeLevelForTests(HRESULT level) { cooperativeLevel_ = level; }
    const DeviceState& State() const { return state_; }
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return parameters_; }
    UINT Adapter() const { return adapter_; }
    UINT LiveDefaultPoolResources() const { return liveDefaultPoolResources_; }
    // Moves with every change a draw compiles from; see RasterizeDraw.
    uint64_t StateGeneration() const { return stateGeneration_; }
    // Writes the pixels of the draws kept for the frame's strips: before
    // anything reads or changes a target, a texture or their memory.
    void FlushDraws();
    // The same when a kept draw reads or writes `memory` (a surface's bytes).
    void FlushDrawsUsing(const void* memory);

protected:
    void OnFinalRelease() override;
    const char* InterfaceName() const override { return "IDirect3DDevice9"; }
    void Retire() override;

private:
    HRESULT CreateSwapChainSurfaces();
    void ReleaseSwapChainSurfaces();
    void ReleaseBindings();
    void ApplyDefaultState();
    void SetFullViewport(const Surface* target);
    DWORD DefaultZEnable() const;
    bool IsLost() const { return cooperativeLevel_ != D3D_OK; }
    void StateChanged() { ++stateGeneration_; }
    // Stores `value` in `slot`; a different value moves the state generation.
    template <class T>
    void Change(T& slot, const T& value) {
        if (std::memcmp(&slot, &value, sizeof(T)) == 0) return;
        slot = value;
        StateChanged();
    }

    // Binds `object` into `slot`, holding a reference on it as the platform
    // does. Streams and indices are the draw's own: bindings a draw compiles
    // from go through BindState.
    template <class T>
    void Bind(T*& slot, T* object) {
        if (object) object->AddRef();
        if (slot) slot->Release();
        slot = object;
    }
    template <class T>
    void BindState(T*& slot, T* object) {
        if (slot != object) StateChanged();
        Bind(slot, object);
    }
    // Hands a bound object out with a reference the caller now owns.
    template <class T>
    static void HandOut(T** out, T* bound) {
        *out = bound;
        if (bound) bound->AddRef();
    }

    // Draw plumbing (DeviceDraw.cpp).
    HRESULT CheckDrawable(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT* vertexCount) const;
    HRESULT ResolveVertexStreams(DrawCall& call, uint64_t vertexEnd) const;
    void SubmitDraw(const char* name, std::initializer_list<uint64_t> args, const DrawCall& call);
    bool DeclarationReadsStreamZeroOnly() const;
    HRESULT CheckVertexProcessing(DrawCall& call, uint64_t firstVertex, uint64_t vertexCount) const;
    bool SoftwareBuffers(const DrawCall& call) const;
    HRESULT SubmitUserMemoryDraw(const char* name, std::initializer_list<uint64_t> args, DrawCall& call,
                                 const StreamData& vertices, uint64_t firstVertex, uint64_t vertexCount);

    // Present plumbing (DevicePresent.cpp).
    HWND PresentWindow(HWND overrideWindow) const;

    Direct3D* d3d_;
    UINT adapter_;
    D3DDEVTYPE type_;
    HWND focusWindow_;
    DWORD behaviorFlags_;
    D3DPRESENT_PARAMETERS parameters_;
    D3DCAPS9 caps_;

    DeviceState state_;
    uint64_t stateGeneration_ = 1;
    std::unique_ptr<raster::DeviceDrawCache> drawCache_;
    Surface* backBuffer_ = nullptr;
    Surface* autoDepthStencil_ = nullptr;
    HRESULT cooperativeLevel_ = D3D_OK;
    bool inScene_ = false;
    BOOL dialogBoxMode_ = FALSE;
    D3DGAMMARAMP gammaRamp_{};
    UINT currentPalette_ = 0xFFFF;
    D3DCLIPSTATUS9 clipStatus_{};

    std::set<ObjectBase*> children_;
    UINT liveDefaultPoolResources_ = 0;
    bool finalReleaseDone_ = false;
    bool retired_ = false;
};

Device* AsDevice(IDirect3DDevice9* device);

}  // namespace lumiva::d3d9
