// A 16 x 16 device with a depth buffer for drawing shape meshes, with the
// call recorder on, and helpers for textures, recorded draws and pixels.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstring>
#include <string>
#include <vector>

#include "ShapeTestSupport.h"
#include "d3d9/Control.h"
#include "support/WindowedDevice.h"
#include "win32/Control.h"

namespace shapetest {

class ShapeRenderTest : public ShapeTest {
protected:
    static constexpr UINT kSize = 16;

    void SetUp() override {
        ShapeTest::SetUp();
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        m_window = CreateWindowExA(0, "ShapeTest", "ShapeTest", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize, nullptr,
                                   nullptr, nullptr, nullptr);
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_d3d, nullptr);
        D3DPRESENT_PARAMETERS pp = WindowedTestParametersWithDepth(m_window, kSize, kSize);
        ASSERT_EQ(m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &pp, &device),
                  D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->BeginScene();
        lumiva::d3d9::EnableRecording(true);
    }

    void TearDown() override {
        lumiva::d3d9::EnableRecording(false);
        shape.Clear();  // buffers go before the device
        if (device) {
            device->EndScene();
            EXPECT_EQ(device->Release(), 0u);
        }
        if (m_d3d) m_d3d->Release();
        DestroyWindow(m_window);
        lumiva::d3d9::ResetForTests();
        lumiva::win32::ResetForTests();
        ShapeTest::TearDown();
    }

    // A 2 x 2 managed texture of one colour, handed to material i.
    void GiveTexture(uint32_t material, D3DCOLOR colour) {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &colour, 4);
        texture->UnlockRect(0);
        shape.materials.SetTexture(material, texture);
    }

    std::vector<lumiva::d3d9::RecordedCall> Draws() const {
        return lumiva::d3d9::RecordedCallsNamed("DrawIndexedPrimitive");
    }

    D3DCOLOR Pixel(UINT x, UINT y) {
        IDirect3DSurface9* back = nullptr;
        device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        const lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
        back->Release();
        return image.At(x, y) & 0x00FFFFFFu;
    }

    IDirect3DDevice9* device = nullptr;
    KShape shape;

private:
    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
};

}  // namespace shapetest
