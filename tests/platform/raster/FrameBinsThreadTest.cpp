// A scene's draws are kept in strips of rows and rasterized by the workers
// when something needs their pixels: the frame comes out byte for byte the
// same for any thread count, and every operation that reads or changes what
// the kept draws touch finds their pixels written first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <d3d9.h>
#include <functional>
#include <numeric>
#include <vector>

#include "d3d9/Control.h"
#include "d3d9/Surface.h"
#include "d3d9/raster/RasterWorkers.h"
#include "RasterTestKit.h"
#include "support/WindowedDevice.h"
#include "win32/Control.h"

namespace frame_bins_thread_test {
namespace {

using rastertest::ScreenVtx;
struct SceneVtx {
    float x, y, z;
    D3DCOLOR color;
};
using rastertest::kScreenFvf;
constexpr DWORD kSceneFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr UINT kSize = 96;  // six strips of rows
constexpr D3DCOLOR kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kBlack = 0xFF000000;

class FrameBinsThreadTest : public ::testing::Test {
public:  // the case tables' lambdas draw through the fixture
    void SetUp() override {
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        window_ = CreateWindowExA(0, "Test", "Test", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize, nullptr, nullptr,
                                  nullptr, nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        device_ = CreateScreenTestDevice(d3d_, window_, kSize);
        ASSERT_NE(device_, nullptr);
        lumiva::d3d9::SetRasterThreadCount(4);
        raster::SetThreadedPixelsForTests(0);  // the small frames here reach the workers too
    }

    void TearDown() override {
        if (device_) {
            EXPECT_EQ(device_->Release(), 0u);
        }
        d3d_->Release();
        DestroyWindow(window_);
        raster::SetBandOrderForTests(nullptr);
        raster::SetThreadedPixelsForTests(-1);
        lumiva::d3d9::ResetForTests();
        lumiva::win32::ResetForTests();
    }

    IDirect3DTexture9* MakeTexture(UINT width, UINT height, const std::function<D3DCOLOR(UINT, UINT)>& texel,
                                   D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, pool, &texture, nullptr), D3D_OK);
        Fill(texture, width, height, texel);
        return texture;
    }

    static void Fill(IDirect3DTexture9* texture, UINT width, UINT height,
                     const std::function<D3DCOLOR(UINT, UINT)>& texel) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x) {
                const D3DCOLOR c = texel(x, y);
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * UINT(locked.Pitch) + x * 4, &c, 4);
            }
        texture->UnlockRect(0);
    }

    static std::vector<ScreenVtx> Quad(float x0, float y0, float x1, float y1, D3DCOLOR c) {
        return {{x0, y0, 0.5f, 1, c, 0, 0}, {x1, y0, 0.5f, 1, c, 1, 0}, {x0, y1, 0.5f, 1, c, 0, 1},
                {x1, y1, 0.5f, 1, c, 1, 1}};
    }

    void DrawQuad(float x0, float y0, float x1, float y1, D3DCOLOR c) {
        const std::vector<ScreenVtx> quad = Quad(x0, y0, x1, y1, c);
        device_->SetFVF(kScreenFvf);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(ScreenVtx)), D3D_OK);
    }

    // An untextured quad in the colour given.
    void DrawSolid(float x0, float y0, float x1, float y1, D3DCOLOR c) {
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        DrawQuad(x0, y0, x1, y1, c);
    }

    // The back buffer's bytes as they are in memory now: no lock, so no flush.
    std::vector<BYTE> RawBackBuffer() {
        IDirect3DSurface9* back = nullptr;
        device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        std::vector<BYTE> bytes = lumiva::d3d9::AsSurface(back)->Pixels().bytes;
        back->Release();
        return bytes;
    }
    D3DCOLOR RawPixel(UINT x, UINT y) {
        const std::vector<BYTE> bytes = RawBackBuffer();
        D3DCOLOR c;
        std::memcpy(&c, bytes.data() + (y * kSize + x) * 4, 4);
        return c | 0xFF000000u;
    }

    // The back buffer through a lock.
    std::vector<BYTE> LockedBackBuffer() {
        IDirect3DSurface9* back = nullptr;
        device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        std::vector<BYTE> bytes(kSize * kSize * 4);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT y = 0; y < kSize; ++y)
            std::memcpy(&bytes[y * kSize * 4], static_cast<const BYTE*>(locked.pBits) + y * UINT(locked.Pitch),
                        kSize * 4);
        back->UnlockRect();
        back->Release();
        return bytes;
    }
    D3DCOLOR LockedPixel(UINT x, UINT y) {
        const std::vector<BYTE> bytes = LockedBackBuffer();
        D3DCOLOR c;
        std::memcpy(&c, bytes.data() + (y * kSize + x) * 4, 4);
        return c | 0xFF000000u;
    }

    void Begin() {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device_->BeginScene(), D3D_OK);
    }

    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
};

// --- Same bytes for any thread count ---

using Sequence = std::function<void(FrameBinsThreadTest&)>;

struct SequenceCase {
    const char* name;
    Sequence draw;
};

TEST_F(FrameBinsThreadTest, FramesAreTheSameForAnyThreadCount) {
    const SequenceCase cases[] = {
        {"overlapping blended sprites across strip borders",
         [](FrameBinsThreadTest& t) {
             IDirect3DTexture9* a = t.MakeTexture(8, 8, [](UINT x, UINT y) { return D3DCOLOR((x * 32) << 24 | y * 0x1F0F07); });
             IDirect3DTexture9* b = t.MakeTexture(4, 4, [](UINT x, UINT y) { return 0x80000000u | (x * 0x3F) << 8 | y * 60; });
             t.device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
             t.device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
             t.device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
             t.device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
             for (int i = 0; i < 40; ++i) {
                 t.device_->SetTexture(0, i % 3 ? a : b);
                 const float x = float((i * 37) % 80) - 4.5f, y = float((i * 23) % 90) - 6.25f;
                 t.DrawQuad(x, y, x + 19.5f, y + 41.0f, 0xC0FFFFFFu - D3DCOLOR(i) * 0x030507);
             }
             t.device_->SetTexture(0, nullptr);
             a->Release();
             b->Release();
         }},
        {"additive and alpha-tested linear quads",
         [](FrameBinsThreadTest& t) {
             IDirect3DTexture9* a = t.MakeTexture(16, 16, [](UINT x, UINT y) { return D3DCOLOR(((x ^ y) * 17) << 24 | x * 0x100F00 | y * 13); });
             t.device_->SetTexture(0, a);
             t.device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
             t.device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
             t.device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
             t.device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
             t.device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
             for (int i = 0; i < 12; ++i) t.DrawQuad(float(i * 7), float(i * 5) + 0.5f, float(i * 7 + 30), float(i * 5 + 50), 0xFF404040u);
             t.device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
             t.device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
             t.device_->SetRenderState(D3DRS_ALPHAREF, 0x70);
             t.device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
             t.DrawQuad(10, 20, 90, 80, 0xFFFFFFFF);
             t.device_->SetTexture(0, nullptr);
             a->Release();
         }},
        {"depth-tested perspective triangles",
         [](FrameBinsThreadTest& t) {
             D3DMATRIX projection{};
             projection._11 = 1.5f, projection._22 = 1.5f, projection._33 = 1.0f, projection._34 = 1.0f;
             projection._43 = -0.1f;
             t.device_->SetTransform(D3DTS_PROJECTION, &projection);
             t.device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
             t.device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
             t.device_->SetFVF(kSceneFvf);
             std::vector<SceneVtx> triangles;
             for (int i = 0; i < 30; ++i) {
                 const float x = float(i % 6) * 0.4f - 1.2f, y = float(i / 6) * 0.45f - 1.1f, z = 1.0f + float(i % 7) * 0.3f;
                 const D3DCOLOR c = 0xFF000000u | D3DCOLOR(i * 0x08F3A1);
                 triangles.push_back({x, y, z, c});
                 triangles.push_back({x + 1.1f, y + 0.2f, z + 1.5f, c ^ 0xFFFFFF});
                 triangles.push_back({x + 0.1f, y + 1.3f, z - 0.5f, c});
             }
             ASSERT_EQ(t.device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 30, triangles.data(), sizeof(SceneVtx)), D3D_OK);
         }},
        {"lines and points across strip borders",
         [](FrameBinsThreadTest& t) {
             t.device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
             std::vector<ScreenVtx> lines;
             for (int i = 0; i < 40; ++i)
                 lines.push_back({float(i * 5 % 97) + 0.3f, float(i * 11 % 95) + 0.6f, 0, 1, 0xFF000000u | D3DCOLOR(i * 0x061B2F), 0, 0});
             t.device_->SetFVF(kScreenFvf);
             ASSERT_EQ(t.device_->DrawPrimitiveUP(D3DPT_LINESTRIP, 39, lines.data(), sizeof(ScreenVtx)), D3D_OK);
             ASSERT_EQ(t.device_->DrawPrimitiveUP(D3DPT_POINTLIST, 40, lines.data(), sizeof(ScreenVtx)), D3D_OK);
         }},
    };
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<BYTE>> frames;
        // One thread draws at once; several keep the scene and flush it, in
        // the pool's order or strips taken last first.
        const std::function<std::vector<int>(int)> reversed = [](int bands) {
            std::vector<int> order(size_t(bands), 0);
            std::iota(order.rbegin(), order.rend(), 0);
            return order;
        };
        for (int run = 0; run < 4; ++run) {
            TearDown();
            SetUp();
            lumiva::d3d9::SetRasterThreadCount(run == 0 ? 1 : run + 1);
            if (run == 3) raster::SetBandOrderForTests(reversed);
            Begin();
            c.draw(*this);
            frames.push_back(LockedBackBuffer());
            device_->EndScene();
        }
        for (size_t run = 1; run < frames.size(); ++run) EXPECT_TRUE(frames[run] == frames[0]) << "run " << run;
        EXPECT_NE(std::count(frames[0].begin(), frames[0].end(), BYTE(0)), std::ptrdiff_t(frames[0].size()))
            << "drew nothing";
    }
}

// --- Each flush trigger finds the pixels written ---

TEST_F(FrameBinsThreadTest, DrawsInASceneWaitForAFlush) {
    Begin();
    DrawSolid(0, 0, 40, 40, kRed);
    EXPECT_EQ(RawPixel(10, 10), kBlack);  // kept, not drawn yet
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(RawPixel(10, 10), kRed);
}

TEST_F(FrameBinsThreadTest, OneThreadDrawsAtOnce) {
    lumiva::d3d9::SetRasterThreadCount(1);
    Begin();
    DrawSolid(0, 0, 40, 40, kRed);
    EXPECT_EQ(RawPixel(10, 10), kRed);
    // Back to several: draws kept before a switch to one thread land before
    // the next draw.
    lumiva::d3d9::SetRasterThreadCount(4);
    DrawSolid(0, 0, 40, 40, kGreen);
    lumiva::d3d9::SetRasterThreadCount(1);
    DrawSolid(20, 20, 60, 60, kBlue);
    EXPECT_EQ(RawPixel(10, 10), kGreen);
    EXPECT_EQ(RawPixel(30, 30), kBlue);
    device_->EndScene();
}

// A scene whose primitives cover fewer pixels than the bound stays on the
// caller, strips in order; past the bound the strips go to the workers.
TEST_F(FrameBinsThreadTest, SmallScenesStayOnTheCaller) {
    int shared = 0;
    raster::SetBandOrderForTests([&](int bands) {
        ++shared;
        std::vector<int> order(size_t(bands), 0);
        std::iota(order.rbegin(), order.rend(), 0);
        return order;
    });
    raster::SetThreadedPixelsForTests(kSize * kSize / 2);
    Begin();
    DrawSolid(0, 0, 40, 90, kRed);  // about 3,800 pixels
    device_->EndScene();
    EXPECT_EQ(shared, 0);
    EXPECT_EQ(RawPixel(10, 80), kRed);
    Begin();
    DrawSolid(0, 0, 40, 90, kRed);
    DrawSolid(30, 0, 90, 90, kGreen);  // together past the bound
    device_->EndScene();
    EXPECT_EQ(shared, 1);
    EXPECT_EQ(RawPixel(10, 80), kRed);
    EXPECT_EQ(RawPixel(35, 80), kGreen);
}

// Each trigger runs on a scene holding one kept red quad at (0,0)-(40,40);
// then the back buffer's memory shows it without any further flush.
struct TriggerCase {
    const char* name;
    std::function<void(FrameBinsThreadTest&)> trigger;
};

TEST_F(FrameBinsThreadTest, EveryReadOrChangeOfTheTargetFlushesFirst) {
    const TriggerCase cases[] = {
        {"lock of the target", [](FrameBinsThreadTest& t) { EXPECT_EQ(t.LockedPixel(10, 10), kRed); }},
        {"render target data",
         [](FrameBinsThreadTest& t) {
             IDirect3DSurface9* copy = nullptr;
             ASSERT_EQ(t.device_->CreateOffscreenPlainSurface(kSize, kSize, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr), D3D_OK);
             IDirect3DSurface9* back = nullptr;
             t.device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
             ASSERT_EQ(t.device_->GetRenderTargetData(back, copy), D3D_OK);
             EXPECT_EQ(lumiva::d3d9::AsSurface(copy)->Pixels().ReadColor(10, 10) | 0xFF000000u, kRed);
             back->Release();
             copy->Release();
         }},
        {"end of scene and present",
         [](FrameBinsThreadTest& t) {
             t.device_->EndScene();
             ASSERT_EQ(t.device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
             t.device_->BeginScene();
         }},
        {"another target",
         [](FrameBinsThreadTest& t) {
             IDirect3DSurface9* target = nullptr;
             ASSERT_EQ(t.device_->CreateRenderTarget(kSize, kSize, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &target, nullptr), D3D_OK);
             IDirect3DSurface9* back = nullptr;
             t.device_->GetRenderTarget(0, &back);
             t.device_->SetRenderTarget(0, target);
             EXPECT_EQ(t.RawPixel(10, 10), kRed);
             t.device_->SetRenderTarget(0, back);
             back->Release();
             target->Release();
         }},
        {"depth surface unbound", [](FrameBinsThreadTest& t) { t.device_->SetDepthStencilSurface(nullptr); }},
        {"stretch from the target",
         [](FrameBinsThreadTest& t) {
             IDirect3DSurface9* target = nullptr;
             ASSERT_EQ(t.device_->CreateRenderTarget(kSize, kSize, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &target, nullptr), D3D_OK);
             IDirect3DSurface9* back = nullptr;
             t.device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
             ASSERT_EQ(t.device_->StretchRect(back, nullptr, target, nullptr, D3DTEXF_NONE), D3D_OK);
             EXPECT_EQ(lumiva::d3d9::AsSurface(target)->Pixels().ReadColor(10, 10) | 0xFF000000u, kRed);
             back->Release();
             target->Release();
         }},
        {"surface image", [](FrameBinsThreadTest& t) {
             IDirect3DSurface9* back = nullptr;
             t.device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
             EXPECT_EQ(lumiva::d3d9::SurfaceImage(back).At(10, 10) | 0xFF000000u, kRed);
             back->Release();
         }},
    };
    for (const TriggerCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Begin();
        DrawSolid(0, 0, 40, 40, kRed);
        ASSERT_EQ(RawPixel(10, 10), kBlack);
        c.trigger(*this);
        EXPECT_EQ(RawPixel(10, 10), kRed);
        device_->EndScene();
    }
}

TEST_F(FrameBinsThreadTest, ClearsAndFillsKeepTheirPlaceBetweenDraws) {
    Begin();
    DrawSolid(0, 0, 60, 60, kRed);
    const D3DRECT middle{10, 10, 50, 50};
    ASSERT_EQ(device_->Clear(1, &middle, D3DCLEAR_TARGET, kGreen, 1.0f, 0), D3D_OK);
    DrawSolid(20, 20, 30, 30, kBlue);
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    const RECT corner{40, 40, 45, 45};
    DrawSolid(40, 40, 60, 60, kBlue);
    ASSERT_EQ(device_->ColorFill(back, &corner, kRed), D3D_OK);
    back->Release();
    EXPECT_EQ(LockedPixel(5, 5), kRed);
    EXPECT_EQ(LockedPixel(15, 15), kGreen);
    EXPECT_EQ(LockedPixel(25, 25), kBlue);
    EXPECT_EQ(LockedPixel(42, 42), kRed);
    EXPECT_EQ(LockedPixel(55, 55), kBlue);
    device_->EndScene();
}

// A texture in use by kept draws: locked and rewritten, copied into, or
// released, the kept draws still read what it held when they were made.
TEST_F(FrameBinsThreadTest, TexturesInUseAreReadBeforeTheyChangeOrGo) {
    Begin();
    IDirect3DTexture9* texture = MakeTexture(2, 2, [](UINT, UINT) { return kRed; });
    device_->SetTexture(0, texture);
    DrawQuad(0, 0, 30, 30, 0xFFFFFFFF);
    Fill(texture, 2, 2, [](UINT, UINT) { return kGreen; });
    DrawQuad(30, 0, 60, 30, 0xFFFFFFFF);

    IDirect3DTexture9* target = nullptr;  // starts black
    ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr), D3D_OK);
    IDirect3DTexture9* source = MakeTexture(2, 2, [](UINT, UINT) { return kBlue; }, D3DPOOL_SYSTEMMEM);
    device_->SetTexture(0, target);
    DrawQuad(0, 30, 30, 60, 0xFFFFFFFF);
    ASSERT_EQ(device_->UpdateTexture(source, target), D3D_OK);
    DrawQuad(30, 30, 60, 60, 0xFFFFFFFF);

    IDirect3DTexture9* gone = MakeTexture(2, 2, [](UINT, UINT) { return kGreen; });
    device_->SetTexture(0, gone);
    DrawQuad(0, 60, 30, 90, 0xFFFFFFFF);
    device_->SetTexture(0, nullptr);
    EXPECT_EQ(gone->Release(), 0u);
    EXPECT_EQ(RawPixel(10, 70), kGreen);

    EXPECT_EQ(LockedPixel(10, 10), kRed);
    EXPECT_EQ(LockedPixel(40, 10), kGreen);
    EXPECT_EQ(LockedPixel(10, 40), kBlack);
    EXPECT_EQ(LockedPixel(40, 40), kBlue);
    device_->EndScene();
    texture->Release();
    target->Release();
    source->Release();
}

// Every state change compiles a state the frame must keep: a scene of very
// many is drawn in parts, in order.
TEST_F(FrameBinsThreadTest, ASceneOfManyStatesIsDrawnInParts) {
    Begin();
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    D3DCOLOR last = 0;
    for (D3DCOLOR i = 1; i <= 3000; ++i) {
        last = 0xFF000000u | i * 0x010203u;
        device_->SetRenderState(D3DRS_TEXTUREFACTOR, last);
        DrawQuad(0, 0, 8, 8, 0xFFFFFFFF);
    }
    EXPECT_NE(RawPixel(2, 2), kBlack);  // a part was drawn before the scene ended
    EXPECT_EQ(LockedPixel(2, 2), last);
    device_->EndScene();
}

TEST_F(FrameBinsThreadTest, ResetAndReleaseWithKeptDrawsFinishThem) {
    Begin();
    DrawSolid(0, 0, 40, 40, kRed);
    D3DPRESENT_PARAMETERS pp = WindowedTestParametersWithDepth(window_, kSize, kSize);
    ASSERT_EQ(device_->Reset(&pp), D3D_OK);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    Begin();
    DrawSolid(0, 0, 40, 40, kBlue);
    device_->EndScene();
    EXPECT_EQ(RawPixel(10, 10), kBlue);

    Begin();
    DrawSolid(0, 0, 40, 40, kRed);
    EXPECT_EQ(device_->Release(), 0u);  // the kept draw lands before the target goes
    device_ = nullptr;
}

}  // namespace
}  // namespace frame_bins_thread_test
