// Every software-device test starts from the defaults with one window on the
// virtual desktop and, when asked, a windowed device on it.
#pragma once

#include <gtest/gtest.h>

#include <d3d9.h>

#include "d3d9/Control.h"
#include "support/WindowedDevice.h"
#include "win32/Control.h"

class D3D9Test : public ::testing::Test {
protected:
    static constexpr int kWindowX = 100;
    static constexpr int kWindowY = 50;
    static constexpr UINT kWidth = 64;
    static constexpr UINT kHeight = 48;

    void SetUp() override {
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        window_ = CreateWindowExA(0, "Test", "Test", WS_POPUP | WS_VISIBLE, kWindowX, kWindowY, kWidth, kHeight,
                                  nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
    }

    void TearDown() override {
        if (device_) {
            EXPECT_EQ(device_->Release(), 0u);
        }
        device_ = nullptr;
        if (d3d_) {
            EXPECT_EQ(d3d_->Release(), 0u);
        }
        EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
        EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u) << "a test leaked a resource";
        EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), 0u);
        DestroyWindow(window_);
        lumiva::d3d9::ResetForTests();
        lumiva::win32::ResetForTests();
    }

    D3DPRESENT_PARAMETERS WindowedParameters(D3DSWAPEFFECT swap = D3DSWAPEFFECT_COPY) const {
        D3DPRESENT_PARAMETERS pp = WindowedTestParametersWithDepth(window_, kWidth, kHeight);
        pp.SwapEffect = swap;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return pp;
    }

    void CreateDevice(D3DPRESENT_PARAMETERS pp, DWORD flags = D3DCREATE_MULTITHREADED |
                                                               D3DCREATE_MIXED_VERTEXPROCESSING) {
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, flags, &pp, &device_), D3D_OK);
        ASSERT_NE(device_, nullptr);
    }
    void CreateDevice() { CreateDevice(WindowedParameters()); }

    // The surface's pixels, decoded to A8R8G8B8.
    static D3DCOLOR PixelOf(IDirect3DSurface9* surface, UINT x, UINT y) {
        return lumiva::d3d9::SurfaceImage(surface).At(x, y);
    }

    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
};
