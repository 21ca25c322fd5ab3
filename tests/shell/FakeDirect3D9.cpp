#include "FakeDirect3D9.h"

#include <algorithm>
#include <cstring>

namespace shell_test {

D3DDISPLAYMODE Mode(UINT width, UINT height, D3DFORMAT format, UINT refresh) {
    return D3DDISPLAYMODE{width, height, refresh, format};
}

HRESULT FakeDirect3D9::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) {
    const FakeAdapter* a = Find(adapter);
    if (!a || !id) return D3DERR_INVALIDCALL;
    std::memset(id, 0, sizeof(*id));
    std::strncpy(id->Description, a->description.c_str(), sizeof(id->Description) - 1);
    id->DriverVersion.QuadPart = a->driverVersion;
    return D3D_OK;
}

UINT FakeDirect3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    const FakeAdapter* a = Find(adapter);
    if (!a) return 0;
    return static_cast<UINT>(
        std::count_if(a->modes.begin(), a->modes.end(), [&](const D3DDISPLAYMODE& m) { return m.Format == format; }));
}

HRESULT FakeDirect3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* mode) {
    const FakeAdapter* a = Find(adapter);
    if (!a || !mode) return D3DERR_INVALIDCALL;
    for (const D3DDISPLAYMODE& m : a->modes) {
        if (m.Format != format) continue;
        if (index-- == 0) {
            *mode = m;
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT FakeDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    const FakeAdapter* a = Find(adapter);
    if (!a || !mode) return D3DERR_INVALIDCALL;
    *mode = a->desktop;
    return D3D_OK;
}

const FakeDeviceType* FakeDirect3D9::FindType(UINT adapter, D3DDEVTYPE type) const {
    const FakeAdapter* a = Find(adapter);
    if (!a) return nullptr;
    if (type == D3DDEVTYPE_HAL) return &a->hal;
    if (type == D3DDEVTYPE_REF) return &a->ref;
    return nullptr;
}

HRESULT FakeDirect3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT backBuffer, BOOL) {
    const FakeDeviceType* t = FindType(adapter, type);
    if (!t || display != backBuffer) return D3DERR_NOTAVAILABLE;
    const bool accepted =
        std::find(t->displayFormats.begin(), t->displayFormats.end(), display) != t->displayFormats.end();
    return accepted ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                         D3DRESOURCETYPE resourceType, D3DFORMAT format) {
    const FakeFormatCheck check{adapter, type, adapterFormat, usage, resourceType, format};
    formatChecks.push_back(check);
    if (!acceptsFormat) return D3D_OK;
    return acceptsFormat(check) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    const FakeDeviceType* t = FindType(adapter, type);
    if (!t || !t->present || !caps) return D3DERR_INVALIDCALL;
    *caps = t->caps;
    return D3D_OK;
}

HRESULT FakeDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD flags, D3DPRESENT_PARAMETERS* params,
                                    IDirect3DDevice9** device) {
    ++createDeviceCalls;
    createdOnAdapter = adapter;
    createdOnType = type;
    createdWithFlags = flags;
    if (params) createdWith = *params;
    if (device) *device = nullptr;
    return createDeviceResult;
}

std::vector<D3DFORMAT> FakeDirect3D9::ChecksWithUsage(DWORD usage) const {
    std::vector<D3DFORMAT> formats;
    for (const FakeFormatCheck& c : formatChecks)
        if (c.usage == usage) formats.push_back(c.format);
    return formats;
}

}  // namespace shell_test
