// Module-wide values of the frame loop and the camera services: the debug
// lines, present modes, the free-camera point and the present window.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <functional>
#include <string>

class KDrawShell;

extern float g_FreeCameraPoint[3];
extern int g_DebugFontId;              // -1 until the first debug frame picks one
extern float g_Fps;
extern uint8_t g_PresentBandsOn;       // slot 0
extern int32_t g_PresentBandsRect[4];  // left, top, right, bottom
extern int g_PictureGroupCount;        // picture groups composed this frame
extern HWND g_PresentWindow;           // slot 83; null: the device window

constexpr DWORD kClearModeKeep = 101;
constexpr DWORD kScreenTargetClearColour = 0xFF666666;

// BeginFrame's cooperative-level step. False: draw nothing this frame.
bool PrepareDeviceForFrame(KDrawShell& shell);

// EndFrame's statistics and the FPS and texture-memory lines.
void UpdateFrameStatistics(KDrawShell& shell);
// Text number 32 of the string table takes two integers; a table entry is
// data, so only integer conversions are honoured.
std::string FormatTextureMemoryLine(const char* format, int megabytes, int thousandths);

// The frame's present: whole, around the exclusion rectangle, or in bands.
void PresentFrame(KDrawShell& shell);
// Up to four strips of the client rectangle around `area` (client
// coordinates), left, top, bottom, right; only strips that are not empty.
int GetBorderRects(HWND window, const D3DVIEWPORT9& area, RECT rects[4]);

// Test control: receives the debug lines EndFrame draws, beside OutputText.
using KDebugTextSink = std::function<void(int fontId, const std::string& text, int x, int y)>;
void SetDebugTextSinkForTests(KDebugTextSink sink);
void DrawDebugLine(KDrawShell& shell, const std::string& text, int x, int y);

// Takes a texture out of every stage that holds it, so that releasing it
// really frees it and a device reset is not refused.
void UnbindTexture(IDirect3DBaseTexture9* texture);

void ResetFrameStateForTests();
