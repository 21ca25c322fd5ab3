// Projection, the shell's options and the zoom steps.
#include <algorithm>
#include <cmath>

#include "basrel/HostIntegers.h"

#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr float kZoomStep = 0.1f;
constexpr float kZoomPercentScale = 450000.0f;

}  // namespace

void KDrawShell::SetProjection() {
    if (g_ProjectionMode == 1) {
        D3DXMatrixOrthoLH(&projectionMatrix, 800.0f, 600.0f, kNearPlane, kFarPlane);
        projectionKind = 1;
    } else {
        const int quotient = g_ScreenHeight > 0 ? g_ScreenWidth / g_ScreenHeight : 1;
        const float aspect = static_cast<float>(quotient) * kAspectFactor;
        D3DXMatrixPerspectiveFovLH(&projectionMatrix, kPerspectiveFovY, aspect, kNearPlane, kFarPlane);
        projectionKind = 2;
    }
    if (IDirect3DDevice9* device = g_D3DDevice.device) device->SetTransform(D3DTS_PROJECTION, &projectionMatrix);
}

void KDrawShell::SetOption(int option, DWORD value) {
    const uint8_t byte = static_cast<uint8_t>(value);
    const float range = cameraDistanceMax - cameraDistanceMin;
    switch (option) {
        case 0:
            lightGridEnabled = byte;
            lightGlow.gridFlag = byte;
            break;
        case 1: {
            const int mode = byte ? 2 : 1;
            if (mode == g_ProjectionMode) break;
            if (g_ProjectionRampState == -1)
                g_ProjectionRamp = mode == 2 ? kProjectionRampPerspective : kProjectionRampOrtho;
            g_ProjectionRampState = 0;
            g_ProjectionMode = mode;
            SetProjection();
            break;
        }
        case 2:
            screenTargetEnabled = byte;
            if (byte)
                CreateScreenTarget(g_ScreenWidth, g_ScreenHeight);
            else
                ReleaseScreenTarget();
            break;
        case 3: {
            const float fraction = std::clamp(static_cast<float>(byte) / 255.0f, 0.0f, 1.0f);
            cameraDistance = range * fraction + cameraDistanceMin;
            break;
        }
        case 4:
        case 5: {
            float fraction = (cameraDistance - cameraDistanceMin) / range + (option == 4 ? kZoomStep : -kZoomStep);
            fraction = std::max(fraction, 0.0f);
            fraction = std::min(fraction, g_FreeCamera ? g_FreeCameraZoomLimit : zoom);
            cameraDistance = range * fraction + cameraDistanceMin;
            break;
        }
        case 7:
            if (byte)
                g_ProjectionRampState = -1;
            else if (g_ProjectionRampState == -1)
                g_ProjectionRampState = 0;
            break;
        case 8:
            lightGlow.glowOn = byte;
            if (byte) {
                lightGlow.Render();
                lightGlow.Draw();
            }
            break;
        default:
            break;
    }
}

// A zoom or factor that is no number, or one that puts the camera at an
// infinite distance, leaves the camera where it is.
void KDrawShell::SetZoom(float value) {
    if (!std::isfinite((cameraDistanceMax - cameraDistanceMin) * value)) return;
    if (largeScreen && !g_FreeCamera && value > 1.0f) value = 1.0f;
    zoom = value;
    cameraDistance = (cameraDistanceMax - cameraDistanceMin) * value + cameraDistanceMin;
}

int KDrawShell::GetZoomPercent(int given, int* out) {
    if (given) return given;
    const int percent = host_int::Truncate(kZoomPercentScale / cameraDistance);
    if (out) *out = percent;
    return percent;
}

void KDrawShell::SetFreeCamera(BYTE on) { g_FreeCamera = on != 0; }

void KDrawShell::SetFreeCameraZoomLimit(float limit) { g_FreeCameraZoomLimit = limit; }

void KDrawShell::SetZoomFactor(float factor) {
    if (!std::isfinite((cameraDistanceMax - cameraDistanceMin) * factor)) return;
    cameraDistance = cameraDistanceMin + (cameraDistanceMax - cameraDistanceMin) * factor;
}
