// A created shell on the software device with the manual clock, for the
// frame loop and the services that work on its camera and targets.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>
#include <vector>

#include "DrawShellFixture.h"
#include "d3d9/Control.h"
#include "textures/KImageTexture.h"

namespace shell_test {

class FrameTest : public DrawShellTest {
protected:
    void SetUp() override;

    // Create (800 x 600, windowed) with the clock at kStartMs.
    KDrawShell* Start();
    // One BeginFrame and EndFrame with the clock moved on by `stepMs` first.
    void Frame(DWORD stepMs = 10, int clearMode = 0, DWORD colour = 0xFF000000);
    // Recorded calls of these names, in order, from the last ClearRecording.
    std::vector<std::string> CallNames(const std::vector<std::string>& names) const;
    // A small JPEG written to the data root and loaded through the shell's
    // image cache, so purges have a real picture to drop.
    KImageTexture* CachePicture(const std::string& name);
    bool IsCached(const std::string& name) const;
    // A model released long enough ago that the next ageing pass frees it;
    // ModelAged tells whether one did.
    void LeaveAgedModel();
    static bool ModelAged();

    static constexpr uint64_t kStartMs = 100000;
    KDrawShell* m_frameShell = nullptr;
    IDirect3DDevice9* m_device = nullptr;
};

struct PresentedRect {
    int64_t left, top, right, bottom;
    bool operator==(const PresentedRect&) const = default;
};
// Source rectangles of the recorded presents; a whole present gives zeros.
std::vector<PresentedRect> PresentedRects();

}  // namespace shell_test
