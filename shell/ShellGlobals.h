// Module-wide values that belong to the drawing shell. The screen size, the
// window mode and the main window live beside the Direct3D holder
// (shell/D3DShell.h); these are the rest.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <atomic>
#include <cstdint>

class KDrawShell;

// The shell itself; subsystems use ShellServices() instead.
extern KDrawShell* g_pDrawShell;
extern int g_ProjectionMode;         // 1 orthographic, 2 perspective
extern float g_ProjectionRamp;       // eased toward 0.58 (mode 1) or 0.33 (mode 2)
extern int g_ProjectionRampState;    // -1: the next change is immediate
extern float g_FreeCameraZoomLimit;  // zoom bound while the free camera is on
extern bool g_FreeCamera;
extern DWORD g_FrameTime;
extern D3DFORMAT g_SixteenBitFormat;  // R5G6B5 or X1R5G5B5, from the display mode
extern DWORD g_ReservedValue;         // slot 14 stores it; nothing reads it
extern bool g_ReservedFlag;           // slot 147 reads it; nothing sets it
extern int g_BrightnessLevel;         // 0..100, 60 at load

constexpr float kProjectionRampOrtho = 0.58f;
constexpr float kProjectionRampPerspective = 0.33f;

// The place-map target picture that InitDeviceObjects fills.
struct KPlaceMapTarget {
    uint8_t blendMode;
    uint16_t imageType;
    int32_t pointA[3];
    int32_t pointB[3];
    char fileName[128];
    DWORD fileId;
};
extern KPlaceMapTarget g_PlaceMapTarget;

// Every value above, the client settings and the device side back to their
// state at module load; a shell left alive is deleted without Release.
void ResetShellForTests();

// GDI+ for JPEG screenshots: started once the device exists, shut down by
// Release. Starting twice keeps the first session.
void StartGdiplusSession();
void StopGdiplusSession();
bool GdiplusSessionActive();
