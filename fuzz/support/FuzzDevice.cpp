#include "support/FuzzDevice.h"

#include <windows.h>

#include <cstdlib>

namespace lumiva::fuzz {
namespace {

IDirect3DDevice9* MakeDevice() {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (d3d == nullptr) std::abort();
    HWND window = CreateWindowExA(0, "LumivaFuzz", "LumivaFuzz", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr,
                                  nullptr, nullptr, nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 48;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    if (d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device) != D3D_OK)
        std::abort();
    return device;
}

}  // namespace

IDirect3DDevice9* FuzzDevice() {
    static IDirect3DDevice9* device = MakeDevice();
    return device;
}

}  // namespace lumiva::fuzz
