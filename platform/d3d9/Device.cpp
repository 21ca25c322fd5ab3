// Device lifetime, its children, the swap chain's surfaces and the small
// queries and operations the stand-in does not support.
#include "d3d9/Device.h"

#include <algorithm>

#include "d3d9/Direct3D.h"
#include "d3d9/Recorder.h"
#include "d3d9/Registry.h"
#include "d3d9/Surface.h"
#include "d3d9/raster/DeviceAdapter.h"

namespace lumiva::d3d9 {

Device* AsDevice(IDirect3DDevice9* device) { return static_cast<Device*>(device); }

void AttachChild(Device* device, ObjectBase* child, D3DPOOL pool, bool countsForReset) {
    device->AttachChild(child, pool, countsForReset);
}
void DetachChild(Device* device, ObjectBase* child, D3DPOOL pool, bool countsForReset) {
    device->DetachChild(child, pool, countsForReset);
}
IDirect3DDevice9* DeviceInterface(Device* device) { return device; }
HRESULT HandOutDevice(Device* device, bool childDead, IDirect3DDevice9** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (childDead) return D3DERR_INVALIDCALL;
    *out = device;
    device->AddRef();
    return D3D_OK;
}

Device::Device(Direct3D* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
               const D3DPRESENT_PARAMETERS& parameters, const D3DCAPS9& caps)
    : d3d_(d3d),
      adapter_(adapter),
      type_(type),
      focusWindow_(focusWindow),
      behaviorFlags_(behaviorFlags),
      parameters_(parameters),
      caps_(caps),
      drawCache_(std::make_unique<raster::DeviceDrawCache>()) {
    d3d_->AddRef();
    Registry::Get().AddDevice(this);
    for (UINT i = 0; i < 256; ++i) {
        const WORD level = static_cast<WORD>(i * 257);
        gammaRamp_.red[i] = gammaRamp_.green[i] = gammaRamp_.blue[i] = level;
    }
    if (!parameters_.Windowed) {
        Registry::Get().EnterFullScreen(adapter_, D3DDISPLAYMODE{parameters_.BackBufferWidth, parameters_.BackBufferHeight,
                                                                  parameters_.FullScreen_RefreshRateInHz,
                                                                  parameters_.BackBufferFormat});
    }
    CreateSwapChainSurfaces();
    ApplyDefaultState();
}

Device::~Device() { Registry::Get().RemoveDevice(this); }

void Device::FlushDraws() { d3d9::FlushDraws(*drawCache_); }
void Device::FlushDrawsUsing(const void* memory) { d3d9::FlushDrawsUsing(*drawCache_, memory); }

HRESULT Device::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(static_cast<IDirect3DDevice9*>(this), riid, object, IID_IDirect3DDevice9);
}

void Device::AttachChild(ObjectBase* child, D3DPOOL, bool countsForReset) {
    std::lock_guard guard(Registry::Get().lock);
    children_.insert(child);
    ++Registry::Get().liveResources;
    if (countsForReset) ++liveDefaultPoolResources_;
}

void Device::DetachChild(ObjectBase* child, D3DPOOL, bool countsForReset) {
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    if (!children_.erase(child)) return;
    --registry.liveResources;
    if (countsForReset) --liveDefaultPoolResources_;
    registry.RefundTextureMemory(child->TextureMemoryBytes());
    // The device's own shell goes once its last child is gone.
    if (finalReleaseDone_) Retire();
}

void Device::Retire() {
    if (retired_ || !children_.empty()) return;
    retired_ = true;
    RetireObject(this);
}

void Device::OnFinalRelease() {
    FlushDraws();  // kept draws land before their targets and textures go
    ReleaseBindings();
    ReleaseSwapChainSurfaces();
    if (!parameters_.Windowed) Registry::Get().LeaveFullScreen(adapter_);
    Registry::Get().RemoveDevice(this);
    d3d_->Release();
    finalReleaseDone_ = true;
}

HRESULT Device::CompleteParameters(UINT adapter, D3DDEVTYPE type, HWND focusWindow, D3DPRESENT_PARAMETERS* pp) {
    Registry& registry = Registry::Get();
    const D3DDISPLAYMODE display = registry.CurrentDisplayMode(adapter);
    HWND window = pp->hDeviceWindow ? pp->hDeviceWindow : focusWindow;
    if (!window && !pp->Windowed) return D3DERR_INVALIDCALL;
    if (pp->SwapEffect < D3DSWAPEFFECT_DISCARD || pp->SwapEffect > D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
    if (pp->MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
    if (pp->BackBufferCount == 0) pp->BackBufferCount = 1;
    if (pp->BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return D3DERR_INVALIDCALL;
    if (pp->SwapEffect == D3DSWAPEFFECT_COPY && pp->BackBufferCount != 1) return D3DERR_INVALIDCALL;

    if (pp->Windowed) {
        if (pp->BackBufferWidth == 0 || pp->BackBufferHeight == 0) {
            RECT client{};
            if (!window || !GetClientRect(window, &client)) return D3DERR_INVALIDCALL;
            if (pp->BackBufferWidth == 0) pp->BackBufferWidth = static_cast<UINT>(std::max<LONG>(1, client.right));
            if (pp->BackBufferHeight == 0) pp->BackBufferHeight = static_cast<UINT>(std::max<LONG>(1, client.bottom));
        }
        if (pp->BackBufferFormat == D3DFMT_UNKNOWN) pp->BackBufferFormat = display.Format;
        if (FAILED(registry.CheckDeviceType(adapter, type, display.Format, pp->BackBufferFormat, TRUE)))
            return D3DERR_INVALIDCALL;
    } else {
        const AdapterConfig* config = Direct3D::FindAdapter(adapter);
        bool modeFound = false;
        for (const D3DDISPLAYMODE& mode : config->modes) {
            if (mode.Width == pp->BackBufferWidth && mode.Height == pp->BackBufferHeight &&
                mode.Format == pp->BackBufferFormat)
                modeFound = true;
        }
        if (!modeFound) return D3DERR_INVALIDCALL;
        if (FAILED(registry.CheckDeviceType(adapter, type, pp->BackBufferFormat, pp->BackBufferFormat, FALSE)))
            return D3DERR_INVALIDCALL;
    }
    if (!IsColorFormat(pp->BackBufferFormat) || IsBlockFormat(pp->BackBufferFormat)) return D3DERR_INVALIDCALL;
    if (pp->EnableAutoDepthStencil) {
        const D3DFORMAT adapterFormat = pp->Windowed ? display.Format : pp->BackBufferFormat;
        if (!IsDepthFormat(pp->AutoDepthStencilFormat) ||
            FAILED(registry.CheckFormat(adapter, type, adapterFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                        pp->AutoDepthStencilFormat)))
            return D3DERR_INVALIDCALL;
    }
    if (!pp->hDeviceWindow) pp->hDeviceWindow = focusWindow;
    return D3D_OK;
}

HRESULT Device::CreateSwapChainSurfaces() {
    const bool lockable = parameters_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    backBuffer_ = new Surface(this, SurfaceRole::BackBuffer, parameters_.BackBufferFormat, parameters_.BackBufferWidth,
                              parameters_.BackBufferHeight, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, lockable, true);
    if (parameters_.EnableAutoDepthStencil) {
        const D3DFORMAT format = parameters_.AutoDepthStencilFormat;
        const bool depthLockable = format == D3DFMT_D16_LOCKABLE || format == D3DFMT_D32F_LOCKABLE;
        autoDepthStencil_ = new Surface(this, SurfaceRole::DepthStencil, format, parameters_.BackBufferWidth,
                                        parameters_.BackBufferHeight, D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL,
                                        depthLockable, true);
    }
    return D3D_OK;
}

void Device::ReleaseSwapChainSurfaces() {
    if (backBuffer_) backBuffer_->Release();
    backBuffer_ = nullptr;
    if (autoDepthStencil_) autoDepthStencil_->Release();
    autoDepthStencil_ = nullptr;
}

void Device::ReleaseBindings() {
    StateChanged();
    for (auto& texture : state_.textures) Bind<IDirect3DBaseTexture9>(texture, nullptr);
    for (auto& stream : state_.streams) Bind<IDirect3DVertexBuffer9>(stream.buffer, nullptr);
    Bind<IDirect3DIndexBuffer9>(state_.indices, nullptr);
    Bind<IDirect3DVertexDeclaration9>(state_.declaration, nullptr);
    Bind<IDirect3DVertexShader9>(state_.vertexShader, nullptr);
    Bind<IDirect3DPixelShader9>(state_.pixelShader, nullptr);
    Bind<IDirect3DSurface9>(state_.renderTarget, nullptr);
    Bind<IDirect3DSurface9>(state_.depthStencil, nullptr);
}

DWORD Device::DefaultZEnable() const { return parameters_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE; }

void Device::ApplyDefaultState() {
    ReleaseBindings();
    ResetToDefaults(state_, DefaultZEnable());
    state_.softwareVertexProcessing = (behaviorFlags_ & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE;
    Bind<IDirect3DSurface9>(state_.renderTarget, backBuffer_);
    Bind<IDirect3DSurface9>(state_.depthStencil, autoDepthStencil_);
    SetFullViewport(backBuffer_);
    state_.scissorRect = RECT{0, 0, static_cast<LONG>(backBuffer_->Width()), static_cast<LONG>(backBuffer_->Height())};
}

void Device::SetFullViewport(const Surface* target) {
    StateChanged();
    state_.viewport = D3DVIEWPORT9{0, 0, target->Width(), target->Height(), 0.0f, 1.0f};
}

HRESULT Device::GetDirect3D(IDirect3D9** d3d) {
    if (!d3d) return D3DERR_INVALIDCALL;
    *d3d = d3d_;
    d3d_->AddRef();
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
    if (!caps) return D3DERR_INVALIDCALL;
    *caps = caps_;
    return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    if (!parameters) return D3DERR_INVALIDCALL;
    *parameters = D3DDEVICE_CREATION_PARAMETERS{adapter_, type_, focusWindow_, behaviorFlags_};
    return D3D_OK;
}

HRESULT Device::GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) {
    if (swapChain != 0 || !status) return D3DERR_INVALIDCALL;
    *status = D3DRASTER_STATUS{TRUE, 0};
    return D3D_OK;
}

// --- Not offered by the stand-in: the platform's "not available" answers ---
HRESULT Device::SetCursorProperties(UINT, UINT, IDirect3DSurface9*) { return D3DERR_INVALIDCALL; }
void Device::SetCursorPosition(int, int, DWORD) {}
BOOL Device::ShowCursor(BOOL) { return FALSE; }
HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9** swapChain) {
    if (swapChain) *swapChain = nullptr;
    return D3DERR_NOTAVAILABLE;
}
HRESULT Device::GetSwapChain(UINT, IDirect3DSwapChain9** result) {
    if (result) *result = nullptr;
    return D3DERR_NOTAVAILABLE;
}
HRESULT Device::CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                    IDirect3DVolumeTexture9** texture, HANDLE*) {
    if (texture) *texture = nullptr;
    return D3DERR_NOTAVAILABLE;
}
HRESULT Device::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9** texture, HANDLE*) {
    if (texture) *texture = nullptr;
    return D3DERR_NOTAVAILABLE;
}
HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** stateBlock) {
    if (stateBlock) *stateBlock = nullptr;
    return D3DERR_NOTAVAILABLE;
}
HRESULT Device::BeginStateBlock() { return D3DERR_NOTAVAILABLE; }
HRESULT Device::EndStateBlock(IDirect3DStateBlock9** stateBlock) {
    if (stateBlock) *stateBlock = nullptr;
    return D3DERR_INVALIDCALL;
}
HRESULT Device::SetClipStatus(const D3DCLIPSTATUS9* clipStatus) {
    if (!clipStatus) return D3DERR_INVALIDCALL;
    clipStatus_ = *clipStatus;
    return D3D_OK;
}
HRESULT Device::GetClipStatus(D3DCLIPSTATUS9* clipStatus) {
    if (!clipStatus) return D3DERR_INVALIDCALL;
    *clipStatus = clipStatus_;
    return D3D_OK;
}
HRESULT Device::ValidateDevice(DWORD* numPasses) {
    if (!numPasses) return D3DERR_INVALIDCALL;
    *numPasses = 1;
    return D3D_OK;
}
HRESULT Device::SetPaletteEntries(UINT, const PALETTEENTRY*) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetPaletteEntries(UINT, PALETTEENTRY*) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetCurrentTexturePalette(UINT paletteNumber) {
    currentPalette_ = paletteNumber;
    return D3D_OK;
}
HRESULT Device::GetCurrentTexturePalette(UINT* paletteNumber) {
    if (!paletteNumber) return D3DERR_INVALIDCALL;
    *paletteNumber = currentPalette_;
    return D3D_OK;
}
HRESULT Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) { return D3DERR_INVALIDCALL; }
HRESULT Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) { return D3DERR_INVALIDCALL; }
HRESULT Device::DeletePatch(UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::CreateQuery(D3DQUERYTYPE, IDirect3DQuery9** query) {
    if (query) *query = nullptr;
    return D3DERR_NOTAVAILABLE;
}

}  // namespace lumiva::d3d9
