// IDirect3D9: adapters, modes, capabilities, format answers, device creation.
#include <cstring>

#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace {

class Direct3DTest : public D3D9Test {};

TEST_F(Direct3DTest, CreationNeedsTheSdkVersionAndCanBeRefused) {
    EXPECT_EQ(Direct3DCreate9(32), nullptr);
    SetDirect3DCreateFails(true);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
}

TEST_F(Direct3DTest, DefaultAdapterOffersModesPerFormat) {
    ASSERT_EQ(d3d_->GetAdapterCount(), 1u);
    D3DADAPTER_IDENTIFIER9 id;
    ASSERT_EQ(d3d_->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    EXPECT_STRNE(id.Description, "");
    EXPECT_EQ(d3d_->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 5u);
    EXPECT_EQ(d3d_->GetAdapterModeCount(0, D3DFMT_R5G6B5), 5u);
    EXPECT_EQ(d3d_->GetAdapterModeCount(0, D3DFMT_A8R8G8B8), 0u);
    EXPECT_EQ(d3d_->GetAdapterModeCount(1, D3DFMT_X8R8G8B8), 0u);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d_->EnumAdapterModes(0, D3DFMT_R5G6B5, 1, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 800u);
    EXPECT_EQ(mode.Height, 600u);
    EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(d3d_->EnumAdapterModes(0, D3DFMT_R5G6B5, 5, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->EnumAdapterModes(0, D3DFMT_R5G6B5, 0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->GetAdapterIdentifier(1, 0, &id), D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, DesktopModeFollowsTheVirtualDesktopUnlessInjected) {
    lumiva::win32::SetDesktopSize(1280, 1024);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1280u);
    EXPECT_EQ(mode.Height, 1024u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);

    AdapterConfig adapter = DefaultAdapter();
    adapter.displayMode = D3DDISPLAYMODE{1024, 768, 75, D3DFMT_R5G6B5};
    SetAdapters({adapter});
    ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1024u);
    EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(d3d_->GetAdapterDisplayMode(0, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, InjectedAdaptersAndDeviceTypes) {
    AdapterConfig second = DefaultAdapter(1);
    second.hasHal = false;
    std::strcpy(second.identifier.Description, "Second");
    second.refCaps.MaxTextureWidth = 512;
    SetAdapters({DefaultAdapter(0), second});
    ASSERT_EQ(d3d_->GetAdapterCount(), 2u);
    D3DCAPS9 caps;
    EXPECT_EQ(d3d_->GetDeviceCaps(1, D3DDEVTYPE_HAL, &caps), D3DERR_NOTAVAILABLE);
    ASSERT_EQ(d3d_->GetDeviceCaps(1, D3DDEVTYPE_REF, &caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(caps.AdapterOrdinal, 1u);
    EXPECT_EQ(caps.MaxTextureWidth, 512u);
    EXPECT_EQ(d3d_->CheckDeviceType(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d_->CheckDeviceType(1, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3D_OK);
    EXPECT_EQ(d3d_->GetDeviceCaps(2, D3DDEVTYPE_HAL, &caps), D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, DefaultCapsDescribeATransformingHalDevice) {
    D3DCAPS9 caps;
    ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_FALSE(caps.TextureCaps & D3DPTEXTURECAPS_POW2);
    EXPECT_GE(caps.MaxTextureWidth, 1024u);
    EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(1, 1));
    EXPECT_GE(caps.MaxVertexShaderConst, 41u);
}

struct FormatCase {
    DWORD usage;
    D3DRESOURCETYPE type;
    D3DFORMAT format;
    bool accepted;
};

TEST_F(Direct3DTest, DefaultFormatAnswers) {
    const FormatCase cases[] = {
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT5, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_L8, true},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4, true},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, true},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_DXT5, false},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, true},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, true},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_L8, false},
        {0, D3DRTYPE_TEXTURE, D3DFMT_D24S8, false},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F, false},
    };
    for (const FormatCase& c : cases) {
        const HRESULT hr = d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type, c.format);
        EXPECT_EQ(SUCCEEDED(hr), c.accepted) << "format " << c.format << " usage " << c.usage;
    }
}

TEST_F(Direct3DTest, FormatAnswersAreInjectable) {
    RejectFormat(D3DFMT_DXT5);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT5),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1), D3D_OK);

    int asked = 0;
    SetFormatCheck([&](UINT, D3DDEVTYPE, D3DFORMAT, DWORD usage, D3DRESOURCETYPE, D3DFORMAT format) {
        ++asked;
        return usage == D3DUSAGE_RENDERTARGET && format == D3DFMT_A4R4G4B4 ? D3DERR_NOTAVAILABLE : D3D_OK;
    });
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                      D3DFMT_A4R4G4B4),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                      D3DFMT_A8R8G8B8),
              D3D_OK);
    EXPECT_EQ(asked, 2);
}

TEST_F(Direct3DTest, CreateDeviceResultIsInjectable) {
    SetCreateDeviceResult(D3DERR_OUTOFVIDEOMEMORY);
    D3DPRESENT_PARAMETERS pp = WindowedParameters();
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(1);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device, nullptr);
    SetCreateDeviceResult(D3D_OK);
    CreateDevice(pp);
}

TEST_F(Direct3DTest, CreateDeviceRefusesBadArguments) {
    D3DPRESENT_PARAMETERS pp = WindowedParameters();
    IDirect3DDevice9* device = nullptr;
    const DWORD sw = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, sw, nullptr, &device), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, sw, &pp, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, 0, &pp, &device), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, sw | D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->CreateDevice(3, D3DDEVTYPE_HAL, window_, sw, &pp, &device), D3DERR_INVALIDCALL);
    D3DPRESENT_PARAMETERS badDepth = pp;
    badDepth.AutoDepthStencilFormat = D3DFMT_X8R8G8B8;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, sw, &badDepth, &device), D3DERR_INVALIDCALL);
    D3DPRESENT_PARAMETERS fullScreen = pp;
    fullScreen.Windowed = FALSE;
    fullScreen.BackBufferWidth = 123;  // no such mode
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, sw, &fullScreen, &device), D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);

    AdapterConfig noTnl = DefaultAdapter();
    noTnl.halCaps.DevCaps &= ~D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    SetAdapters({noTnl});
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, sw, &pp, &device), D3D_OK);
    EXPECT_EQ(device->Release(), 0u);
}

TEST_F(Direct3DTest, WindowedParametersTakeTheClientSizeAndDesktopFormat) {
    D3DPRESENT_PARAMETERS pp = WindowedParameters();
    pp.BackBufferWidth = pp.BackBufferHeight = 0;
    pp.BackBufferFormat = D3DFMT_UNKNOWN;
    pp.BackBufferCount = 0;
    CreateDevice(pp);
    D3DPRESENT_PARAMETERS asked = WindowedParameters();
    asked.BackBufferWidth = asked.BackBufferHeight = 0;
    asked.BackBufferFormat = D3DFMT_UNKNOWN;
    IDirect3DDevice9* second = nullptr;
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &asked, &second),
              D3D_OK);
    EXPECT_EQ(asked.BackBufferWidth, kWidth);
    EXPECT_EQ(asked.BackBufferHeight, kHeight);
    EXPECT_EQ(asked.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(asked.BackBufferCount, 1u);
    second->Release();
}

TEST_F(Direct3DTest, FullScreenDeviceTakesTheDisplayUntilReleased) {
    D3DPRESENT_PARAMETERS pp = WindowedParameters(D3DSWAPEFFECT_DISCARD);
    pp.Windowed = FALSE;
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    CreateDevice(pp);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(device_->GetDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 800u);
    EXPECT_EQ(mode.Height, 600u);
    EXPECT_EQ(FrontBuffer().width, 800u);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST_F(Direct3DTest, DeviceHoldsDirect3DAndReportsCreation) {
    CreateDevice();
    IDirect3D9* owner = nullptr;
    ASSERT_EQ(device_->GetDirect3D(&owner), D3D_OK);
    EXPECT_EQ(owner, d3d_);
    owner->Release();
    D3DDEVICE_CREATION_PARAMETERS creation;
    ASSERT_EQ(device_->GetCreationParameters(&creation), D3D_OK);
    EXPECT_EQ(creation.hFocusWindow, window_);
    EXPECT_EQ(creation.BehaviorFlags, static_cast<DWORD>(D3DCREATE_MULTITHREADED | D3DCREATE_MIXED_VERTEXPROCESSING));
    EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_HAL);
}

}  // namespace
