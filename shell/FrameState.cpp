#include "shell/FrameState.h"

#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"

float g_FreeCameraPoint[3] = {};
int g_DebugFontId = -1;
float g_Fps = 0.0f;
uint8_t g_PresentBandsOn = 0;
int32_t g_PresentBandsRect[4] = {};
int g_PictureGroupCount = 0;
HWND g_PresentWindow = nullptr;

namespace {

KDebugTextSink& DebugTextSink() {
    static KDebugTextSink sink;
    return sink;
}

}  // namespace

void SetDebugTextSinkForTests(KDebugTextSink sink) { DebugTextSink() = std::move(sink); }

void DrawDebugLine(KDrawShell& shell, const std::string& text, int x, int y) {
    if (DebugTextSink()) DebugTextSink()(g_DebugFontId, text, x, y);
    shell.OutputText(g_DebugFontId, text.c_str(), static_cast<int>(text.size()), x, y, 0xFFFFFFFF, 800, -32767, 0);
}

void UnbindTexture(IDirect3DBaseTexture9* texture) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device || !texture) return;
    constexpr DWORD kStages = 8;
    for (DWORD stage = 0; stage < kStages; ++stage) {
        IDirect3DBaseTexture9* bound = nullptr;
        if (FAILED(device->GetTexture(stage, &bound)) || !bound) continue;
        if (bound == texture) device->SetTexture(stage, nullptr);
        bound->Release();
    }
}

void ResetDebugTimersForTests();

void ResetFrameStateForTests() {
    for (float& value : g_FreeCameraPoint) value = 0.0f;
    g_DebugFontId = -1;
    g_Fps = 0.0f;
    g_PresentBandsOn = 0;
    for (int32_t& value : g_PresentBandsRect) value = 0;
    g_PictureGroupCount = 0;
    g_PresentWindow = nullptr;
    DebugTextSink() = nullptr;
    ResetDebugTimersForTests();
}
