// Start-up through the exported factory on the software device: log lines,
// states, the cleared frame, and each failure's message box and result.
#include <gtest/gtest.h>

#include "DrawShellFixture.h"
#include "lumiva/basrel/KStringMap.h"
#include "d3d9/Control.h"
#include "scene/KModelManager.h"
#include "shell/D3DDevice.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

using lumiva::d3d9::Image;

class DrawShellStartup : public WithCallLog<DrawShellTest> {};

TEST_F(DrawShellStartup, FactoryMakesTheShellTheModuleShell) {
    KDrawShell* shell = MakeShell();
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(g_pDrawShell, shell);
    EXPECT_FALSE(shell->HasDevice());
    EXPECT_EQ(shell->cameraDistance, 4500.0f);
    EXPECT_EQ(shell->cameraDistanceMin, 2200.0f);
    EXPECT_EQ(shell->zoom, 1.0f);
    EXPECT_EQ(shell->lastFrameInterval, 10u);
    EXPECT_EQ(shell->GetClientFlag(), 1);
    EXPECT_EQ(shell->dynamicVertexBufferSize, 256000u);
    EXPECT_EQ(shell->globalAlpha, 1.0f);
    EXPECT_EQ(g_ProjectionMode, 1);
    ReleaseShell();
    EXPECT_EQ(g_pDrawShell, nullptr);
}

TEST_F(DrawShellStartup, LogsEachStepInOrder) {
    MakeCreatedShell();
    EXPECT_TRUE(InOrder(RenderLines(), {"[D3DRender]g_D3DShell create ok!", "[D3DRender]Device reset ok!",
                                        "[D3DRender]RestoreDeviceObjects ok!", "[D3DRender]InitDeviceObjects ok!"}));
    EXPECT_TRUE(lumiva::win32::RecordedMessageBoxes().empty());
}

TEST_F(DrawShellStartup, LeavesTheDefaultStates) {
    KDrawShell* shell = MakeCreatedShell();
    IDirect3DDevice9* device = shell->GetDevice();
    ASSERT_NE(device, nullptr);
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } renderStates[] = {
        {D3DRS_ALPHABLENDENABLE, TRUE},
        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_CULLMODE, D3DCULL_NONE},
        {D3DRS_STENCILENABLE, FALSE},
        {D3DRS_LIGHTING, FALSE},
        {D3DRS_CLIPPLANEENABLE, 0},
        {D3DRS_VERTEXBLEND, D3DVBF_DISABLE},
        {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_AMBIENT, 0},
        {D3DRS_ZENABLE, FALSE},
        {D3DRS_ZWRITEENABLE, FALSE},
    };
    for (const auto& c : renderStates) {
        DWORD value = 0xDEADBEEF;
        device->GetRenderState(c.state, &value);
        EXPECT_EQ(value, c.value) << "render state " << c.state;
    }
    const struct {
        DWORD stage;
        D3DTEXTURESTAGESTATETYPE state;
        DWORD value;
    } stageStates[] = {
        {0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
        {0, D3DTSS_TEXCOORDINDEX, 0},         {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
        {1, D3DTSS_COLOROP, D3DTOP_DISABLE},  {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
    };
    for (const auto& c : stageStates) {
        DWORD value = 0xDEADBEEF;
        device->GetTextureStageState(c.stage, c.state, &value);
        EXPECT_EQ(value, c.value) << "stage " << c.stage << " state " << c.state;
    }
    const struct {
        D3DSAMPLERSTATETYPE state;
        DWORD value;
    } samplerStates[] = {
        {D3DSAMP_MINFILTER, D3DTEXF_LINEAR}, {D3DSAMP_MAGFILTER, D3DTEXF_LINEAR}, {D3DSAMP_MIPFILTER, D3DTEXF_NONE}};
    for (const auto& c : samplerStates) {
        DWORD value = 0xDEADBEEF;
        device->GetSamplerState(0, c.state, &value);
        EXPECT_EQ(value, c.value) << "sampler state " << c.state;
    }
    BOOL lightOn = TRUE;
    device->GetLightEnable(0, &lightOn);
    EXPECT_FALSE(lightOn);
    D3DVIEWPORT9 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 800u);
    EXPECT_EQ(viewport.Height, 600u);
}

TEST_F(DrawShellStartup, ClearsTheBackBufferToWhiteWithIdentityGamma) {
    KDrawShell* shell = MakeCreatedShell();
    ASSERT_NE(shell->backBufferSurface, nullptr);
    const Image image = lumiva::d3d9::SurfaceImage(shell->backBufferSurface);
    ASSERT_EQ(image.width, 800u);
    ASSERT_EQ(image.height, 600u);
    EXPECT_EQ(image.At(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(image.At(799, 599), 0xFFFFFFFFu);
    D3DGAMMARAMP ramp{};
    shell->GetDevice()->GetGammaRamp(0, &ramp);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(ramp.green[i], i * 256) << i;
    EXPECT_TRUE(GdiplusSessionActive());
}

TEST_F(DrawShellStartup, RunsTheDeviceObjectProtocolOnItsParts) {
    neighbours::CallLog().clear();
    KDrawShell* shell = MakeCreatedShell();
    const std::vector<std::string>& calls = neighbours::CallLog();
    EXPECT_TRUE(InOrder(
        calls, {"TextureManager::Init", "RecreateRibbonBuffers", "TextureManager::RestoreDeviceObjects",
                "TextureManager::LoadTexture", "KDebugMeshSet::SetDevice"}));
    EXPECT_EQ(g_pModelManager->device, shell->GetDevice());
    ASSERT_NE(shell->composeTextureSmall, nullptr);
    EXPECT_NE(shell->lightGlow.target, nullptr);
    EXPECT_NE(shell->lightGlow.sprite, nullptr);
    D3DSURFACE_DESC desc{};
    shell->composeTextureLarge->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 256u);
    EXPECT_EQ(desc.Format, D3DFMT_A4R4G4B4);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_STREQ(g_PlaceMapTarget.fileName, "_*PlaceMapTarget*_");
    EXPECT_EQ(g_PlaceMapTarget.imageType, 2);
    EXPECT_EQ(g_PlaceMapTarget.pointB[0], 127);
}

struct FailureCase {
    const char* what;
    void (*arrange)();
    const char* logLine;  // null: nothing logged for it
    int text;             // string-table text of the message box, 0 for none
};

void NoDirect3D() { lumiva::d3d9::SetDirect3DCreateFails(true); }
void NoHalDevice() {
    auto adapter = lumiva::d3d9::DefaultAdapter();
    adapter.hasHal = false;
    lumiva::d3d9::SetAdapters({adapter});
}
void NoModeOfTheScreenSize() {
    auto adapter = lumiva::d3d9::DefaultAdapter();
    adapter.modes = {{640, 480, 60, D3DFMT_X8R8G8B8}, {1024, 768, 60, D3DFMT_X8R8G8B8}};
    lumiva::d3d9::SetAdapters({adapter});
}
void DeviceRefused() { lumiva::d3d9::SetCreateDeviceResult(D3DERR_NOTAVAILABLE); }

TEST_F(DrawShellStartup, EachFailureReportsAndReturnsFalse) {
    const FailureCase cases[] = {
        {"no Direct3D", NoDirect3D, nullptr, 0},
        {"no HAL device", NoHalDevice, "[D3DRender]Can't find any d3d devices to use!", 25},
        {"no display mode", NoModeOfTheScreenSize, "[D3DRender]Can't find an appropriate display mode!", 26},
        {"device refused", DeviceRefused, "[D3DRender]Couldn't create D3D Device!", 27},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetShellForTests();
        lumiva::d3d9::ResetForTests();
        lumiva::win32::ResetForTests();
        lumiva::win32::SetMessageBoxLog([](const std::string&) {});
        TakeLog();
        c.arrange();
        KDrawShell* shell = MakeShell();
        EXPECT_FALSE(shell->Create(800, 600, 0, 0, 0));
        const std::vector<std::string> lines = RenderLines();
        const auto boxes = lumiva::win32::RecordedMessageBoxes();
        if (c.logLine) {
            EXPECT_TRUE(InOrder(lines, {c.logLine}));
        }
        if (!c.text) {
            EXPECT_TRUE(boxes.empty());
            continue;
        }
        // The device wrapper may report its own cause first; the shell's box comes last.
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back().owner, nullptr);
        EXPECT_EQ(boxes.back().text, g_cStringMap.GetString(c.text));
        EXPECT_EQ(boxes.back().caption, g_cStringMap.GetString(44));
        // The device and Direct3D are gone again.
        EXPECT_FALSE(shell->HasDevice());
        EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
    }
}

TEST_F(DrawShellStartup, NoMainWindowFailsWithoutMessage) {
    KDrawShell* shell = MakeShell(false);
    EXPECT_FALSE(shell->Create(800, 600, 0, 0, 0));
    EXPECT_TRUE(lumiva::win32::RecordedMessageBoxes().empty());
}

TEST_F(DrawShellStartup, CompositionTextureFailureFailsCreate) {
    KDrawShell* shell = MakeShell();
    // The device's own creations come first; fail every one after them.
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 1000);
    EXPECT_FALSE(shell->Create(800, 600, 0, 0, 0));
    EXPECT_EQ(shell->composeTextureSmall, nullptr);
}

TEST_F(DrawShellStartup, ReadsDebugSwitchAndSceneBrightness) {
    WriteDataFile("config.ini", "[Client]\nShowDebugInfo=1\n");
    WriteDataFile("settings/game.ini", "[scale]\nscenebright=0.3\n");
    KDrawShell* shell = MakeCreatedShell();
    EXPECT_EQ(g_ShowDebugInfo, 1);
    EXPECT_FLOAT_EQ(shell->GetSceneBright(), 0.3f);
}

TEST_F(DrawShellStartup, WindowedCreateFillsWhatModeChangesRead) {
    KDrawShell* shell = MakeShell();
    ASSERT_TRUE(shell->CreateWindowed(640, 480, m_window));
    EXPECT_TRUE(InOrder(RenderLines(), {"[D3DRender]g_D3DShell create ok!", "[D3DRender]Device reset ok!",
                                        "[D3DRender]RestoreDeviceObjects ok!", "[D3DRender]InitDeviceObjects ok!"}));
    EXPECT_EQ(shell->windowedPresentParams.BackBufferWidth, 640u);
    EXPECT_EQ(shell->windowedPresentParams.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(shell->adapterMode.Format, D3DFMT_X8R8G8B8);
    ASSERT_NE(g_D3DDevice.deviceInfo, nullptr);
    // The cache's default-pool pictures must go before a reset.
    ASSERT_EQ(shell->InvalidateDeviceObjects(), 0);
    // A later mode change finds its mode through what CreateWindowed chose.
    EXPECT_TRUE(shell->ChangeDisplayMode(800, 600, 0, 0));
    EXPECT_EQ(g_D3DDevice.presentParams.BackBufferWidth, 800u);
}

TEST_F(DrawShellStartup, ResizeBackBufferReportsTheReset) {
    KDrawShell* shell = MakeShell();
    ASSERT_TRUE(shell->CreateWindowed(640, 480, m_window));
    // The cache's default-pool pictures must go before a reset.
    ASSERT_EQ(shell->InvalidateDeviceObjects(), 0);
    EXPECT_TRUE(shell->ResizeBackBuffer(320, 240, nullptr));
    D3DSURFACE_DESC desc{};
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(shell->GetDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    back->GetDesc(&desc);
    back->Release();
    EXPECT_EQ(desc.Width, 320u);
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_FALSE(shell->ResizeBackBuffer(400, 300, nullptr));
    EXPECT_TRUE(shell->HasDevice());
}

TEST_F(DrawShellStartup, AttachDeviceAdoptsAndInitialises) {
    KDrawShell* shell = MakeCreatedShell();
    IDirect3DDevice9* device = shell->GetDevice();
    device->AddRef();
    TakeLog();
    shell->AttachDevice(nullptr);
    EXPECT_EQ(shell->GetDevice(), device);
    shell->AttachDevice(device);
    EXPECT_EQ(shell->GetDevice(), device);
    EXPECT_TRUE(InOrder(RenderLines(), {"[D3DRender]InitDeviceObjects ok!"}));
}

}  // namespace
}  // namespace shell_test
