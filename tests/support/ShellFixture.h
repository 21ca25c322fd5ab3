// The fixture every device-side test program builds on: the platform stand-ins,
// the host library, the Direct3D wrapper and the shell reset around each test,
// a fresh data root in its own scratch folder, message boxes silenced, the
// debug log captured, and on request a drawing shell made through the
// exported factory on the software device (or, for tests that need no shell,
// a bare windowed device of their own).
//
// Header only: every folder under tests/ that holds a .cpp becomes a test
// program of its own, so this one holds none.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ByteWriter.h"
#include "JpegWriter.h"
#include "ScratchFolder.h"
#include "SprWriter.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "support/WindowedDevice.h"
#include "ddraw/Control.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace test_support {

// The pixels of a device's back buffer; empty when there is none to read.
inline lumiva::d3d9::Image BackBufferImage(IDirect3DDevice9* device) {
    IDirect3DSurface9* back = nullptr;
    if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return {};
    lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
    back->Release();
    return image;
}

// A 64 x 48 windowed software device on a window of its own, for tests that
// hand the Direct3D wrapper a device of theirs instead of making a shell.
inline void CreateWindowedDevice(IDirect3D9** d3d, IDirect3DDevice9** device) {
    *d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(*d3d, nullptr);
    HWND window =
        CreateWindowExA(0, "LumivaTest", "Lumiva", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    D3DPRESENT_PARAMETERS pp = WindowedTestParameters(window, 64, 48);
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Flags = 0;
    ASSERT_EQ((*d3d)->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, device), D3D_OK);
}

class ShellFixture : public ::testing::Test {
protected:
    // `scratchPrefix` names the data root's folder, to tell programs apart.
    explicit ShellFixture(std::string scratchPrefix) : m_scratchPrefix(std::move(scratchPrefix)) {}

    void SetUp() override {
        BasrelResetForTests();
        lumiva::win32::ResetForTests();
        lumiva::win32::SetMessageBoxLog([](const std::string&) {});
        lumiva::d3d9::ResetForTests();
        lumiva::ddraw::ResetForTests();
        ResetShellForTests();  // the Direct3D wrapper with it
        m_root = MakeScratchFolder(m_scratchPrefix);
        ASSERT_FALSE(m_root.empty());
        g_SetRootPath(m_root.c_str());
        basrel::StartDebugLogCapture();
    }

    void TearDown() override {
        // The shell's own releases are no part of what a test recorded.
        lumiva::d3d9::EnableRecording(false);
        ResetShellForTests();
        m_shell = nullptr;
        lumiva::d3d9::ResetForTests();
        lumiva::ddraw::ResetForTests();
        lumiva::win32::ResetForTests();
        BasrelResetForTests();
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    // A new shell for a fresh main window (or none), as the host makes it.
    KDrawShell* MakeShell(bool withMainWindow = true) {
        if (withMainWindow) {
            m_window = CreateWindowExA(0, "LumivaTest", "Lumiva", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                       nullptr, nullptr, nullptr);
            g_SetMainHWnd(m_window);
        }
        m_shell = static_cast<KDrawShell*>(CreateLumivaShell4());
        return m_shell;
    }

    // MakeShell and Create (800 x 600, windowed unless asked). A shell that
    // is not made, not created or has no device fails the test; called from
    // SetUp, that stops it before its body.
    KDrawShell* MakeCreatedShell(bool fullScreen = false) {
        KDrawShell* shell = MakeShell();
        ExpectCreated(shell, fullScreen);
        return shell;
    }

    // The shell's Release, after which the fixture forgets it.
    void ReleaseShell() {
        m_shell->Release();
        m_shell = nullptr;
    }

    IDirect3DDevice9* Device() const { return m_shell->GetDevice(); }
    // The shell device's back buffer.
    lumiva::d3d9::Image BackBuffer() const { return BackBufferImage(m_shell ? Device() : nullptr); }
    // The shell device's current states (texture stage and sampler 0).
    DWORD RenderState(D3DRENDERSTATETYPE type) const {
        DWORD value = 0;
        Device()->GetRenderState(type, &value);
        return value;
    }
    DWORD StageState(D3DTEXTURESTAGESTATETYPE type) const {
        DWORD value = 0;
        Device()->GetTextureStageState(0, type, &value);
        return value;
    }
    DWORD SamplerState(D3DSAMPLERSTATETYPE type) const {
        DWORD value = 0;
        Device()->GetSamplerState(0, type, &value);
        return value;
    }

    // Files under the data root, by host path relative to it ("Logs/a.ini").
    void WriteDataFile(const std::string& relative, const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(WriteFileBytes(m_root + "/" + relative, bytes)) << relative;
    }
    void WriteDataFile(const std::string& relative, const std::string& text) {
        WriteDataFile(relative, std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::string ReadDataFile(const std::string& relative) const {
        std::ifstream in(m_root + "/" + relative, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool DataFileExists(const std::string& relative) const { return std::filesystem::exists(m_root + "/" + relative); }

    // A w x h JPEG of one mid grey.
    void WriteGreyJpeg(const std::string& relative, int width, int height) {
        const std::vector<uint8_t> pixels(static_cast<size_t>(width * height * 3), 0x80);
        WriteDataFile(relative, EncodeJpeg(pixels, width, height));
    }
    // A w x h sprite of `frames` frames, each w x h of one colour.
    void WriteFlatSprite(const std::string& relative, uint16_t width, uint16_t height, uint32_t argb, int frames = 1) {
        const SprPixels frame{width, height, 0, 0, std::vector<uint32_t>(size_t(width) * height, argb)};
        WriteDataFile(relative, WriteSpr(SprSpriteInfo{width, height}, std::vector<SprPixels>(size_t(frames), frame)));
    }

    // Log lines since the last call.
    std::vector<std::string> TakeLog() { return basrel::TakeCapturedLog(); }

    std::string m_root;
    HWND m_window = nullptr;
    KDrawShell* m_shell = nullptr;

private:
    static void ExpectCreated(KDrawShell* shell, bool fullScreen) {
        ASSERT_NE(shell, nullptr);
        ASSERT_TRUE(shell->Create(800, 600, fullScreen ? 1 : 0, 0, 0));
        ASSERT_NE(shell->GetDevice(), nullptr);
    }

    std::string m_scratchPrefix;
};

}  // namespace test_support
