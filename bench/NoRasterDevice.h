// A 64 x 64 windowed software device with a depth buffer and "no raster",
// inside a scene: what the shape benchmarks draw on, so they measure the
// module's own cost apart from the rasterizer's.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdlib>

#include "d3d9/Control.h"

struct NoRasterDevice {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;

    NoRasterDevice() {
        lumiva::d3d9::SetNoRaster(true);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        HWND window = CreateWindowExA(0, "ShapeBench", "ShapeBench", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                      nullptr, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = pp.BackBufferHeight = 64;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        if (!d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device))
            std::abort();
        device->BeginScene();
    }
    // Resources drawn with must be gone before.
    ~NoRasterDevice() {
        device->EndScene();
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        device->Release();
        d3d->Release();
        lumiva::d3d9::SetNoRaster(false);
    }
    NoRasterDevice(const NoRasterDevice&) = delete;
    NoRasterDevice& operator=(const NoRasterDevice&) = delete;
};
