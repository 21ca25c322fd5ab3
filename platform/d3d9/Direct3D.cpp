#include "d3d9/Direct3D.h"

#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/Registry.h"

namespace lumiva::d3d9 {
namespace {

constexpr DWORD kVertexProcessingFlags =
    D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING;

bool ExactlyOneBit(DWORD bits) { return bits && !(bits & (bits - 1)); }

}  // namespace

HRESULT Direct3D::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(static_cast<IDirect3D9*>(this), riid, object, IID_IDirect3D9);
}

const AdapterConfig* Direct3D::FindAdapter(UINT adapter) {
    const auto& adapters = Registry::Get().adapters;
    return adapter < adapters.size() ? &adapters[adapter] : nullptr;
}

HRESULT Direct3D::CheckDeviceAvailable(UINT adapter, D3DDEVTYPE type) {
    const AdapterConfig* config = FindAdapter(adapter);
    if (!config) return D3DERR_INVALIDCALL;
    if (type == D3DDEVTYPE_HAL) return config->hasHal ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (type == D3DDEVTYPE_REF) return config->hasRef ? D3D_OK : D3DERR_NOTAVAILABLE;
    return D3DERR_INVALIDCALL;
}

HRESULT Direct3D::RegisterSoftwareDevice(void*) { return D3DERR_INVALIDCALL; }

UINT Direct3D::GetAdapterCount() { return static_cast<UINT>(Registry::Get().adapters.size()); }

HRESULT Direct3D::GetAdapterIdentifier(UINT adapter, DWORD /*flags*/, D3DADAPTER_IDENTIFIER9* identifier) {
    const AdapterConfig* config = FindAdapter(adapter);
    if (!config || !identifier) return D3DERR_INVALIDCALL;
    *identifier = config->identifier;
    return D3D_OK;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    const AdapterConfig* config = FindAdapter(adapter);
    if (!config) return 0;
    UINT count = 0;
    for (const D3DDISPLAYMODE& mode : config->modes)
        if (mode.Format == format) ++count;
    return count;
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* displayMode) {
    const AdapterConfig* config = FindAdapter(adapter);
    if (!config || !displayMode) return D3DERR_INVALIDCALL;
    UINT seen = 0;
    for (const D3DDISPLAYMODE& mode : config->modes) {
        if (mode.Format != format) continue;
        if (seen++ == index) {
            *displayMode = mode;
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (!FindAdapter(adapter) || !mode) return D3DERR_INVALIDCALL;
    *mode = Registry::Get().CurrentDisplayMode(adapter);
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                  BOOL windowed) {
    HRESULT result = CheckDeviceAvailable(adapter, type);
    if (SUCCEEDED(result))
        result = Registry::Get().CheckDeviceType(adapter, type, adapterFormat, backBufferFormat, windowed);
    return RecordCall("Direct3D::CheckDeviceType",
                      {adapter, static_cast<uint64_t>(type), static_cast<uint64_t>(adapterFormat),
                       static_cast<uint64_t>(backBufferFormat), static_cast<uint64_t>(windowed)},
                      result);
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    HRESULT result = CheckDeviceAvailable(adapter, type);
    if (SUCCEEDED(result))
        result = Registry::Get().CheckFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
    return RecordCall("Direct3D::CheckDeviceFormat",
                      {adapter, static_cast<uint64_t>(type), static_cast<uint64_t>(adapterFormat), usage,
                       static_cast<uint64_t>(resourceType), static_cast<uint64_t>(checkFormat)},
                      result);
}

HRESULT Direct3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT /*surfaceFormat*/,
                                             BOOL /*windowed*/, D3DMULTISAMPLE_TYPE multiSampleType,
                                             DWORD* qualityLevels) {
    const HRESULT available = CheckDeviceAvailable(adapter, type);
    if (FAILED(available)) return available;
    if (multiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    if (qualityLevels) *qualityLevels = 1;
    return D3D_OK;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT /*adapterFormat*/,
                                         D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) {
    const HRESULT available = CheckDeviceAvailable(adapter, type);
    if (FAILED(available)) return available;
    if (!IsColorFormat(renderTargetFormat) || !IsDepthFormat(depthStencilFormat)) return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type, D3DFORMAT sourceFormat,
                                              D3DFORMAT targetFormat) {
    const HRESULT available = CheckDeviceAvailable(adapter, type);
    if (FAILED(available)) return available;
    if (!IsColorFormat(sourceFormat) || IsBlockFormat(targetFormat) || !IsColorFormat(targetFormat))
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    const HRESULT available = CheckDeviceAvailable(adapter, type);
    if (FAILED(available) || !caps) return FAILED(available) ? available : D3DERR_INVALIDCALL;
    const AdapterConfig* config = FindAdapter(adapter);
    *caps = type == D3DDEVTYPE_HAL ? config->halCaps : config->refCaps;
    caps->DeviceType = type;
    caps->AdapterOrdinal = adapter;
    return D3D_OK;
}

HMONITOR Direct3D::GetAdapterMonitor(UINT adapter) {
    if (!FindAdapter(adapter)) return nullptr;
    return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(0x20000 + adapter));
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
    const HRESULT result = CreateDeviceChecked(adapter, type, focusWindow, behaviorFlags, parameters, device);
    return RecordCall("Direct3D::CreateDevice",
                      {adapter, static_cast<uint64_t>(type), PointerArg(focusWindow), behaviorFlags,
                       PointerArg(device ? *device : nullptr)},
                      result);
}

HRESULT Direct3D::CreateDeviceChecked(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                      D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!parameters) return D3DERR_INVALIDCALL;
    const HRESULT available = CheckDeviceAvailable(adapter, type);
    if (FAILED(available)) return available;
    if (!ExactlyOneBit(behaviorFlags & kVertexProcessingFlags)) return D3DERR_INVALIDCALL;

    D3DCAPS9 caps;
    GetDeviceCaps(adapter, type, &caps);
    const bool hardwareVertices = behaviorFlags & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING);
    if (hardwareVertices && !(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT)) return D3DERR_INVALIDCALL;
    if ((behaviorFlags & D3DCREATE_PUREDEVICE) && !(caps.DevCaps & D3DDEVCAPS_PUREDEVICE)) return D3DERR_INVALIDCALL;

    Registry& registry = Registry::Get();
    if (registry.createDeviceResult != D3D_OK) return registry.createDeviceResult;

    D3DPRESENT_PARAMETERS completed = *parameters;
    const HRESULT valid = Device::CompleteParameters(adapter, type, focusWindow, &completed);
    if (FAILED(valid)) return valid;
    *parameters = completed;

    *device = new Device(this, adapter, type, focusWindow, behaviorFlags, completed, caps);
    return D3D_OK;
}

}  // namespace lumiva::d3d9

IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
    using lumiva::d3d9::Registry;
    if (sdkVersion != D3D_SDK_VERSION || Registry::Get().direct3DCreateFails) return nullptr;
    return new lumiva::d3d9::Direct3D();
}
