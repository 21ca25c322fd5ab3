#include "FrameFixture.h"

#include <algorithm>

#include "JpegWriter.h"
#include "win32/Control.h"

namespace shell_test {

void FrameTest::SetUp() {
    DrawShellTest::SetUp();
    lumiva::win32::InstallManualClock(kStartMs);
}

KDrawShell* FrameTest::Start() {
    m_frameShell = MakeCreatedShell();
    m_device = m_frameShell->GetDevice();
    lumiva::d3d9::EnableRecording(true);
    lumiva::d3d9::ClearRecording();
    return m_frameShell;
}

void FrameTest::Frame(DWORD stepMs, int clearMode, DWORD colour) {
    lumiva::win32::AdvanceClock(stepMs);
    m_frameShell->BeginFrame(clearMode, colour, nullptr);
    m_frameShell->EndFrame();
}

std::vector<std::string> FrameTest::CallNames(const std::vector<std::string>& names) const {
    std::vector<std::string> out;
    for (const lumiva::d3d9::RecordedCall& call : lumiva::d3d9::RecordedCalls())
        if (std::find(names.begin(), names.end(), call.name) != names.end()) out.push_back(call.name);
    return out;
}

lumiva::d3d9::Image FrameTest::BackBuffer() const {
    IDirect3DSurface9* back = nullptr;
    if (FAILED(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return {};
    lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
    back->Release();
    return image;
}

std::vector<PresentedRect> PresentedRects() {
    std::vector<PresentedRect> rects;
    for (const lumiva::d3d9::RecordedCall& call : lumiva::d3d9::RecordedCallsNamed("Present")) {
        auto at = [&](int i) { return static_cast<int64_t>(call.args[static_cast<size_t>(i)]); };
        rects.push_back({at(0), at(1), at(2), at(3)});
    }
    return rects;
}

KImageTexture* FrameTest::CachePicture(const std::string& name) {
    const std::vector<uint8_t> pixels(8 * 8 * 3, 0x80);
    const std::vector<uint8_t> bytes = EncodeJpeg(pixels, 8, 8);
    WriteDataFile(name, std::string(bytes.begin(), bytes.end()));
    return m_frameShell->imageCache.GetImage(name.c_str(), nullptr, nullptr, 0, 0, 0, 1, 1, 0);
}

bool FrameTest::IsCached(const std::string& name) const {
    for (const KImageCacheEntry& entry : m_frameShell->imageCache.Entries())
        if (entry.name == name) return true;
    return false;
}

}  // namespace shell_test
