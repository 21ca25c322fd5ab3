// A scripted IDirect3D9 for the holder's catalogue and the device wrapper's
// probes: adapters with their modes and per-device-type answers, every
// format check recorded with its adapter and device type.
#pragma once

#include <d3d9.h>

#include <functional>
#include <string>
#include <vector>

namespace shell_test {

struct FakeDeviceType {
    bool present = true;  // GetDeviceCaps fails for an absent type
    D3DCAPS9 caps{};
    // Formats CheckDeviceType accepts (display and back buffer the same).
    std::vector<D3DFORMAT> displayFormats;
};

struct FakeAdapter {
    std::string description = "Test Adapter";
    LONGLONG driverVersion = 0;
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes;  // listed under their own format
    FakeDeviceType hal;
    FakeDeviceType ref;
};

struct FakeFormatCheck {
    UINT adapter;
    D3DDEVTYPE deviceType;
    D3DFORMAT adapterFormat;
    DWORD usage;
    D3DRESOURCETYPE resourceType;
    D3DFORMAT format;
};

class FakeDirect3D9 : public IDirect3D9 {
public:
    std::vector<FakeAdapter> adapters;
    // Answers CheckDeviceFormat; all accepted when empty.
    std::function<bool(const FakeFormatCheck&)> acceptsFormat;
    std::vector<FakeFormatCheck> formatChecks;
    HRESULT createDeviceResult = D3DERR_NOTAVAILABLE;
    int createDeviceCalls = 0;
    UINT createdOnAdapter = 0xFFFFFFFF;
    D3DDEVTYPE createdOnType = D3DDEVTYPE(0);
    DWORD createdWithFlags = 0;
    D3DPRESENT_PARAMETERS createdWith{};
    ULONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override { return D3DERR_INVALIDCALL; }
    UINT STDMETHODCALLTYPE GetAdapterCount() override { return static_cast<UINT>(adapters.size()); }
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* id) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index,
                                               D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT backBuffer,
                                              BOOL windowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resourceType, D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE,
                                                         DWORD*) override {
        return D3DERR_NOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override {
        return D3DERR_NOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT) override { return nullptr; }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                                           D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override;

    // Formats asked about with the given usage, in order.
    std::vector<D3DFORMAT> ChecksWithUsage(DWORD usage) const;

private:
    const FakeAdapter* Find(UINT adapter) const { return adapter < adapters.size() ? &adapters[adapter] : nullptr; }
    const FakeDeviceType* FindType(UINT adapter, D3DDEVTYPE type) const;
};

D3DDISPLAYMODE Mode(UINT width, UINT height, D3DFORMAT format, UINT refresh = 60);

}  // namespace shell_test
