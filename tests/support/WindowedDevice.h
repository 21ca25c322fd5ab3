// The present parameters every windowed test device starts from: an
// X8R8G8B8 back buffer of the test's size that the test can lock and read
// back. Tests change the fields their case is about.
#pragma once

#include <d3d9.h>

inline D3DPRESENT_PARAMETERS WindowedTestParameters(HWND window, UINT width, UINT height) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    return pp;
}

// The same with a D24S8 depth buffer made with the device.
inline D3DPRESENT_PARAMETERS WindowedTestParametersWithDepth(HWND window, UINT width, UINT height) {
    D3DPRESENT_PARAMETERS pp = WindowedTestParameters(window, width, height);
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    return pp;
}

// A square device with a depth buffer for tests of screen-space draws:
// unlit, not culled, depth test off. Null when it cannot be made.
inline IDirect3DDevice9* CreateScreenTestDevice(IDirect3D9* d3d, HWND window, UINT side) {
    D3DPRESENT_PARAMETERS pp = WindowedTestParametersWithDepth(window, side, side);
    IDirect3DDevice9* device = nullptr;
    if (d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                          &device) != D3D_OK)
        return nullptr;
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    return device;
}
