// A small software device for drawing tests in 3D: made on a machine whose
// capabilities the test adjusts, with the behaviour flags it asks for, a
// D24S8 depth buffer, lighting and culling off, inside a scene. Buffers are
// made and filled in one call; the back buffer reads back as ARGB.
//
// Header only: every folder under tests/ that holds a .cpp becomes a test
// program of its own, so this one holds none.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include <d3d9.h>
#include <d3dx9.h>

#include "d3d9/Control.h"
#include "support/WindowedDevice.h"
#include "win32/Control.h"

class SceneDevice : public ::testing::Test {
protected:
    static constexpr UINT kSize = 32;

    void SetUp() override {
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        window_ = CreateWindowExA(0, "Test", "Test", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }

    void TearDown() override {
        ReleaseDevice();
        EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u) << "a test leaked a resource";
        DestroyWindow(window_);
        lumiva::d3d9::ResetForTests();
        lumiva::win32::ResetForTests();
    }

    // A HAL device on an adapter whose caps `adjust` changes first.
    void MakeDevice(DWORD flags = D3DCREATE_MIXED_VERTEXPROCESSING,
                    const std::function<void(D3DCAPS9&)>& adjust = nullptr) {
        ReleaseDevice();
        lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
        if (adjust) adjust(adapter.halCaps);
        lumiva::d3d9::SetAdapters({adapter});
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS pp = WindowedTestParametersWithDepth(window_, kSize, kSize);
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, flags, &pp, &device_), D3D_OK);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        Clear();
        ASSERT_EQ(device_->BeginScene(), D3D_OK);
    }

    void Clear(D3DCOLOR colour = 0xFF000000) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0), D3D_OK);
    }

    void ReleaseDevice() {
        for (IUnknown* object : owned_) object->Release();
        owned_.clear();
        if (device_) {
            device_->EndScene();
            EXPECT_EQ(device_->Release(), 0u);
            device_ = nullptr;
        }
        if (d3d_) d3d_->Release();
        d3d_ = nullptr;
    }

    // A managed vertex buffer holding `vertices`; released with the device.
    template <class Vertex>
    IDirect3DVertexBuffer9* Vertices(const std::vector<Vertex>& vertices, DWORD usage = 0) {
        IDirect3DVertexBuffer9* buffer = nullptr;
        const UINT bytes = UINT(vertices.size() * sizeof(Vertex));
        EXPECT_EQ(device_->CreateVertexBuffer(bytes, usage, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
        if (!buffer) return nullptr;
        Fill(buffer, vertices.data(), bytes);
        owned_.push_back(buffer);
        return buffer;
    }

    IDirect3DIndexBuffer9* Indices(const std::vector<WORD>& indices, DWORD usage = 0) {
        IDirect3DIndexBuffer9* buffer = nullptr;
        const UINT bytes = UINT(indices.size() * sizeof(WORD));
        EXPECT_EQ(device_->CreateIndexBuffer(bytes, usage, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
        if (!buffer) return nullptr;
        Fill(buffer, indices.data(), bytes);
        owned_.push_back(buffer);
        return buffer;
    }

    // A managed A8R8G8B8 texture, level by level (each level's texels row by row).
    IDirect3DTexture9* Texture(UINT width, UINT height, const std::vector<std::vector<D3DCOLOR>>& levels) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(width, height, UINT(levels.size()), 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                         &texture, nullptr),
                  D3D_OK);
        if (!texture) return nullptr;
        for (UINT level = 0; level < levels.size(); ++level) {
            const UINT w = std::max(1u, width >> level);
            D3DLOCKED_RECT locked{};
            EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            for (size_t i = 0; i < levels[level].size(); ++i)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + (i / w) * size_t(locked.Pitch) + (i % w) * 4,
                            &levels[level][i], 4);
            texture->UnlockRect(level);
        }
        owned_.push_back(texture);
        return texture;
    }

    lumiva::d3d9::Image BackBuffer() {
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
        if (back) back->Release();
        return image;
    }

    // The back buffer's colour at a pixel, alpha forced opaque (X8R8G8B8).
    D3DCOLOR Pixel(UINT x, UINT y) { return BackBuffer().At(x, y) | 0xFF000000u; }

    void SetMatrix(D3DTRANSFORMSTATETYPE which, const D3DXMATRIX& m) {
        ASSERT_EQ(device_->SetTransform(which, &m), D3D_OK);
    }

    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;

private:
    template <class Buffer>
    static void Fill(Buffer* buffer, const void* data, UINT bytes) {
        void* p = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &p, 0), D3D_OK);
        std::memcpy(p, data, bytes);
        buffer->Unlock();
    }

    HWND window_ = nullptr;
    std::vector<IUnknown*> owned_;
};
