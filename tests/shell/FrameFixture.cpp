#include "FrameFixture.h"

#include <algorithm>

#include "scene/KModel.h"
#include "scene/KModelManager.h"
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

void FrameTest::LeaveAgedModel() {
    KModel* model = nullptr;
    ASSERT_EQ(g_pModelManager->CreateEmptyModel(&model), 0);
    KModelRecord* record = model->ownRecord;
    ASSERT_EQ(g_pModelManager->ReleaseModel(model), 0);
    record->releaseTime = timeGetTime() - kModelResourceKeepMs - 1;
}

bool FrameTest::ModelAged() { return g_pModelManager->modelMap.Size() == 0; }

std::vector<std::string> FrameTest::CallNames(const std::vector<std::string>& names) const {
    std::vector<std::string> out;
    for (const lumiva::d3d9::RecordedCall& call : lumiva::d3d9::RecordedCalls())
        if (std::find(names.begin(), names.end(), call.name) != names.end()) out.push_back(call.name);
    return out;
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
    WriteGreyJpeg(name, 8, 8);
    return m_frameShell->imageCache.GetImage(name.c_str(), nullptr, nullptr, 0, 0, 0, 1, 1, 0);
}

bool FrameTest::IsCached(const std::string& name) const {
    for (const KImageCacheEntry& entry : m_frameShell->imageCache.Entries())
        if (entry.name == name) return true;
    return false;
}

}  // namespace shell_test
