#include "DispatchFixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "ScratchFolder.h"
#include "ByteWriter.h"
#include "JpegWriter.h"
#include "SprWriter.h"
#include "basrel/BasrelReset.h"
#include "basrel/DataRoot.h"
#include "basrel/HostGlobals.h"
#include "ddraw/Control.h"
#include "shell/D3DShellStartup.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace dispatch_test {

void DispatchTest::SetUp() {
    BasrelResetForTests();
    lumiva::win32::ResetForTests();
    lumiva::win32::SetMessageBoxLog([](const std::string&) {});
    lumiva::win32::InstallManualClock(1000000);
    lumiva::d3d9::ResetForTests();
    lumiva::ddraw::ResetForTests();
    ResetDirect3DForTests();
    ResetShellForTests();
    m_root = MakeScratchFolder("dispatch");
    ASSERT_FALSE(m_root.empty());
    g_SetRootPath(m_root.c_str());
    HWND window = CreateWindowExA(0, "LumivaTest", "Lumiva", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    g_SetMainHWnd(window);
    m_shell = static_cast<KDrawShell*>(CreateLumivaShell4());
    ASSERT_TRUE(m_shell->Create(800, 600, 0, 0, 0));
}

void DispatchTest::TearDown() {
    lumiva::d3d9::EnableRecording(false);
    ResetShellForTests();
    ResetDirect3DForTests();
    lumiva::d3d9::ResetForTests();
    lumiva::ddraw::ResetForTests();
    lumiva::win32::ResetForTests();
    BasrelResetForTests();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void DispatchTest::WriteDataFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFileBytes(m_root + "/" + name, bytes));
}

KSprImage* DispatchTest::Sprite(const std::string& name, int w, int h, const std::vector<uint32_t>& argb, int ox,
                                int oy, int centreX, int centreY) {
    SprSpriteInfo info{uint16_t(w + ox), uint16_t(h + oy), uint16_t(centreX), uint16_t(centreY), 1, 1};
    WriteDataFile(name, WriteSpr(info, {{uint16_t(w), uint16_t(h), uint16_t(ox), uint16_t(oy), argb}}));
    return dynamic_cast<KSprImage*>(m_shell->imageCache.GetImage(name.c_str(), nullptr, nullptr, 0, 1, 0, 1, 0, 0));
}

KJpgImage* DispatchTest::Jpeg(const std::string& name, int w, int h) {
    const std::vector<uint8_t> pixels(size_t(w * h * 3), 0x80);
    WriteDataFile(name, EncodeJpeg(pixels, w, h));
    return dynamic_cast<KJpgImage*>(m_shell->imageCache.GetImage(name.c_str(), nullptr, nullptr, 0, 0, 0, 1, 0, 0));
}

void DispatchTest::ClearTarget(D3DCOLOR colour) {
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
    if (!m_inScene) m_inScene = SUCCEEDED(Device()->BeginScene());
    lumiva::d3d9::ClearRecording();
    lumiva::d3d9::EnableRecording(true);
}

lumiva::d3d9::Image DispatchTest::Target() {
    if (m_inScene) Device()->EndScene();
    m_inScene = false;
    IDirect3DSurface9* back = nullptr;
    Device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
    back->Release();
    return image;
}

std::vector<KScreenVertex> DispatchTest::DrawnVertices(const lumiva::d3d9::RecordedCall& draw) {
    const auto& stream = draw.state->streams[0];
    const UINT first = UINT(draw.args[1]), primitives = UINT(draw.args[2]);
    UINT count = primitives;
    switch (D3DPRIMITIVETYPE(draw.args[0])) {
        case D3DPT_TRIANGLESTRIP: count = primitives + 2; break;
        case D3DPT_LINELIST: count = primitives * 2; break;
        case D3DPT_LINESTRIP: count = primitives + 1; break;
        default: break;
    }
    void* data = nullptr;
    const bool recording = lumiva::d3d9::IsRecording();
    lumiva::d3d9::EnableRecording(false);
    std::vector<KScreenVertex> out;
    if (!stream.buffer || FAILED(stream.buffer->Lock(0, 0, &data, D3DLOCK_READONLY)) || !data) {
        ADD_FAILURE() << "stream 0 cannot be read";
        lumiva::d3d9::EnableRecording(recording);
        return out;
    }
    out.resize(count);
    std::memcpy(out.data(), static_cast<uint8_t*>(data) + size_t(first) * stream.stride, count * sizeof(KScreenVertex));
    stream.buffer->Unlock();
    lumiva::d3d9::EnableRecording(recording);
    return out;
}

std::vector<std::string> DispatchTest::CallNames() {
    std::vector<std::string> names;
    for (const auto& call : lumiva::d3d9::RecordedCalls()) names.push_back(call.name);
    return names;
}

DWORD DispatchTest::RenderState(D3DRENDERSTATETYPE s) {
    DWORD v = 0;
    Device()->GetRenderState(s, &v);
    return v;
}
DWORD DispatchTest::StageState(D3DTEXTURESTAGESTATETYPE s) {
    DWORD v = 0;
    Device()->GetTextureStageState(0, s, &v);
    return v;
}
DWORD DispatchTest::Sampler(D3DSAMPLERSTATETYPE s) {
    DWORD v = 0;
    Device()->GetSamplerState(0, s, &v);
    return v;
}

}  // namespace dispatch_test
