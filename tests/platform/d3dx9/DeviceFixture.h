// A software device and a scratch data root for the D3DX texture and surface
// tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BasrelReset.h"
#include "ScratchFolder.h"
#include "DataRoot.h"
#include "d3d9.h"
#include "d3d9/Control.h"
#include "support/WindowedDevice.h"
#include "d3dx9.h"
#include "d3dx9/ImageTypes.h"
#include "d3dx9/PixelFormat.h"
#include "win32/Control.h"

class D3dxDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        BasrelResetForTests();
    }

    void TearDown() override {
        if (m_device) m_device->Release();
        if (m_d3d) m_d3d->Release();
        m_device = nullptr;
        m_d3d = nullptr;
        lumiva::d3d9::ResetForTests();
        BasrelResetForTests();
        if (!m_scratch.empty()) {
            std::error_code error;
            std::filesystem::remove_all(m_scratch, error);
        }
    }

    // A windowed device whose adapter reports the given texture caps bits
    // (the default adapter's when textureCaps is -1).
    void CreateDevice(long textureCaps = -1, UINT backWidth = 64, UINT backHeight = 48) {
        if (textureCaps >= 0) {
            lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
            adapter.halCaps.TextureCaps = DWORD(textureCaps);
            lumiva::d3d9::SetAdapters({adapter});
        }
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_d3d, nullptr);
        HWND window = CreateWindowExA(0, "D3dxTest", "D3dxTest", WS_OVERLAPPEDWINDOW, 0, 0, int(backWidth),
                                      int(backHeight), nullptr, nullptr, nullptr, nullptr);
        D3DPRESENT_PARAMETERS pp = WindowedTestParameters(window, backWidth, backHeight);
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Flags = 0;
        ASSERT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &m_device),
                  D3D_OK);
    }

    // A scratch folder as the host library's data root.
    // Removed when the test ends.
    std::string UseScratchRoot() {
        m_scratch = MakeScratchFolder("d3dx9");
        EXPECT_FALSE(m_scratch.empty());
        g_SetRootPath(m_scratch.c_str());
        return m_scratch;
    }

    static d3dx::ArgbImage ReadLevel(IDirect3DTexture9* texture, UINT level) {
        D3DSURFACE_DESC desc{};
        EXPECT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        d3dx::SurfaceView view{desc.Format, static_cast<uint8_t*>(locked.pBits), uint64_t(locked.Pitch), desc.Width,
                               desc.Height};
        d3dx::ArgbImage image = d3dx::ReadRect(view, RECT{0, 0, LONG(desc.Width), LONG(desc.Height)});
        texture->UnlockRect(level);
        return image;
    }

    static std::vector<uint8_t> StoredBytes(IDirect3DTexture9* texture, UINT level) {
        D3DSURFACE_DESC desc{};
        EXPECT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        std::vector<uint8_t> bytes;
        uint64_t rowBytes = d3dx::RowBytes(desc.Format, desc.Width);
        for (uint64_t row = 0; row < d3dx::RowCount(desc.Format, desc.Height); ++row) {
            const uint8_t* p = static_cast<const uint8_t*>(locked.pBits) + row * uint64_t(locked.Pitch);
            bytes.insert(bytes.end(), p, p + rowBytes);
        }
        texture->UnlockRect(level);
        return bytes;
    }

    static void WriteLevel(IDirect3DTexture9* texture, UINT level, const d3dx::ArgbImage& image) {
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        d3dx::SurfaceView view{desc.Format, static_cast<uint8_t*>(locked.pBits), uint64_t(locked.Pitch), desc.Width,
                               desc.Height};
        d3dx::WriteRect(view, RECT{0, 0, LONG(desc.Width), LONG(desc.Height)}, image);
        texture->UnlockRect(level);
    }

    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    std::string m_scratch;  // the scratch data root, when a test asked for one
};
