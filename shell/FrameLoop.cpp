// BeginFrame and EndFrame: the frame time stamp, the first light, the
// camera-height ramp, lost-device handling, clearing, view-centre easing,
// the camera matrices, the scene brackets, statistics and the present.
#include <d3dx9.h>

#include "scene/KModelManager.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/FrameState.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr float kLightVector[3] = {200.0f, 200.0f, 100.0f};
constexpr DWORD kLitClearColour = 0x80808080;
constexpr uint32_t kRampNeverStarted = 0xFFFFFFFF;
constexpr uint32_t kRampDelayFrames = 3;
constexpr uint32_t kRampOrthoMs = 1500;
constexpr uint32_t kRampPerspectiveMs = 3200;
constexpr float kRampSpan = 0.24999997f;
constexpr DWORD kModelAgeingAfterMs = 5000;

void SetFirstLight(KDrawShell& shell) {
    if (shell.GetLightCount() < 1 || shell.lights.empty()) return;
    D3DLIGHT9& light = shell.lights.front();
    const D3DXVECTOR3 vector(kLightVector[0], kLightVector[1], kLightVector[2]);
    if (light.Type == D3DLIGHT_DIRECTIONAL) {
        D3DXVECTOR3 direction;
        D3DXVec3Normalize(&direction, &vector);
        light.Direction = direction;
    } else {
        light.Position = vector;
    }
    light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    shell.clearColour = kLitClearColour;
    shell.EnableLight(-1, 1);
}

void AdvanceCameraRamp() {
    const bool ortho = g_ProjectionMode == 1;
    const float target = ortho ? kProjectionRampOrtho : kProjectionRampPerspective;
    if (g_ProjectionRamp == target) return;
    const uint32_t now = timeGetTime();
    const uint32_t duration = ortho ? kRampOrthoMs : kRampPerspectiveMs;
    uint32_t state = static_cast<uint32_t>(g_ProjectionRampState);
    if (state == kRampNeverStarted)
        state = now - duration;
    else if (state < kRampDelayFrames)
        ++state;
    else if (state == kRampDelayFrames)
        state = now;
    g_ProjectionRampState = static_cast<int>(state);
    if (state <= kRampDelayFrames) return;
    const uint32_t elapsed = now - state;
    if (elapsed >= duration) {
        g_ProjectionRamp = target;
        return;
    }
    const float step = static_cast<float>(elapsed) * kRampSpan / static_cast<float>(duration);
    g_ProjectionRamp = ortho ? kProjectionRampPerspective + step : kProjectionRampOrtho - step;
}

DWORD ClearFlags() {
    return D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | (g_D3DDevice.depth32 ? D3DCLEAR_STENCIL : 0);
}

// The screen target stands in for the back buffer until EndFrame.
bool BeginScreenTarget(KDrawShell& shell, IDirect3DDevice9* device) {
    IDirect3DSurface9* level = nullptr;
    if (FAILED(shell.screenTarget->GetSurfaceLevel(0, &level))) return false;
    if (!shell.screenTargetSavedTarget && FAILED(device->GetRenderTarget(0, &shell.screenTargetSavedTarget)))
        shell.screenTargetSavedTarget = nullptr;
    device->SetRenderTarget(0, level);
    level->Release();
    device->Clear(0, nullptr, ClearFlags(), kScreenTargetClearColour, 1.0f, 0);
    return true;
}

void EaseViewCentre(KDrawShell& shell) {
    for (int i = 0; i < 3; ++i) {
        const float gap = shell.pendingViewCentre[i] - shell.viewCentre[i];
        shell.worldOffset[i] = gap * -0.5f;
        shell.viewCentre[i] += gap * 0.5f;
    }
}

void PlaceCamera(KDrawShell& shell, KModelProxy* focus, D3DXVECTOR3& eye) {
    const float d = shell.cameraDistance;
    const float h = g_ProjectionRamp;
    if (g_FreeCamera) {
        const float* p = g_FreeCameraPoint;
        eye = D3DXVECTOR3(p[0], p[1] + d, (p[2] + d) * h);
        for (int i = 0; i < 3; ++i) shell.viewCentre[i] = p[i];
    } else if (!focus) {
        const float* c = shell.viewCentre;
        eye = D3DXVECTOR3(c[0], c[1] + d, h * d + c[2]);
    } else {
        float x = 0.0f, y = 0.0f, z = 0.0f;
        neighbours::ModelGetPosition(focus, &x, &y, &z);
        eye = D3DXVECTOR3(x, y + d, h * d + z);
        shell.viewCentre[0] = x;
        shell.viewCentre[1] = y;
        shell.viewCentre[2] = z;
    }
    for (int i = 0; i < 3; ++i) shell.viewOrigin[i] = shell.viewCentre[i];
    shell.cameraPosition[0] = eye.x;
    shell.cameraPosition[1] = eye.y;
    shell.cameraPosition[2] = eye.z;
}

void SetViewAndProjection(KDrawShell& shell, IDirect3DDevice9* device, const D3DXVECTOR3& eye) {
    const D3DXVECTOR3 at(shell.viewCentre[0], shell.viewCentre[1], shell.viewCentre[2]);
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXMatrixLookAtLH(&shell.viewMatrix, &eye, &at, &up);
    D3DXMatrixInverse(&shell.inverseViewMatrix, nullptr, &shell.viewMatrix);
    device->SetTransform(D3DTS_VIEW, &shell.viewMatrix);

    if (g_ProjectionMode == 1) {
        const float range = shell.cameraDistanceMax - shell.cameraDistanceMin;
        const float t = range != 0.0f ? (shell.cameraDistance - shell.cameraDistanceMin) / range : 1.0f;
        const float s = 0.5f + 0.5f * t;
        const float width = g_ScreenWidth == 800 ? 800.0f : 960.0f;
        const float height = g_ScreenHeight == 600 ? 600.0f : 720.0f;
        D3DXMatrixOrthoLH(&shell.projectionMatrix, width * s, height * s, kNearPlane, kFarPlane);
        shell.projectionKind = 1;
    } else {
        const int quotient = g_ScreenHeight > 0 ? g_ScreenWidth / g_ScreenHeight : 1;
        D3DXMatrixPerspectiveFovLH(&shell.projectionMatrix, kPerspectiveFovY,
                                   static_cast<float>(quotient) * kAspectFactor, kNearPlane, kFarPlane);
        shell.projectionKind = 2;
    }
    device->SetTransform(D3DTS_PROJECTION, &shell.projectionMatrix);
}

// The screen target drawn over the back buffer as one screen-size quad.
void CompositeScreenTarget(KDrawShell& shell, IDirect3DDevice9* device) {
    device->SetRenderTarget(0, shell.screenTargetSavedTarget);
    shell.screenTargetSavedTarget->Release();
    shell.screenTargetSavedTarget = nullptr;
    g_D3DDevice.BeginScene();
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTexture(0, shell.screenTarget);
    device->SetTexture(1, nullptr);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->Clear(0, nullptr, ClearFlags(), kScreenTargetClearColour, 1.0f, 0);
    const float right = static_cast<float>(g_ScreenWidth) + 0.5f;
    const float bottom = static_cast<float>(g_ScreenHeight) + 0.5f;
    KScreenVertex* quad = shell.screenTargetQuad;
    quad[0] = {-0.5f, -0.5f, 1.0f, 1.0f, 0xFFFFFFFF, 0.0f, 0.0f};
    quad[1] = {right, -0.5f, 1.0f, 1.0f, 0xFFFFFFFF, 1.0f, 0.0f};
    quad[2] = {-0.5f, bottom, 1.0f, 1.0f, 0xFFFFFFFF, 0.0f, 1.0f};
    quad[3] = {right, bottom, 1.0f, 1.0f, 0xFFFFFFFF, 1.0f, 1.0f};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(KScreenVertex));
    g_D3DDevice.EndScene();
}

}  // namespace

void KDrawShell::BeginFrame(int clearMode, DWORD clearColourArg, KModelProxy* focus) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    imageCache.EndFrameTick();
    g_FrameTime = timeGetTime();
    SetFirstLight(*this);
    AdvanceCameraRamp();
    g_PictureGroupCount = 0;
    if (!PrepareDeviceForFrame(*this)) return;

    if (screenTargetEnabled && screenTarget) {
        if (!BeginScreenTarget(*this, device)) return;
    } else if (static_cast<DWORD>(clearMode) != kClearModeKeep) {
        device->Clear(0, nullptr, ClearFlags(), clearColourArg, 1.0f, 0);
    }
    frameCounter = 0;
    imageCache.loadsSinceFrameBegin = 0;
    imageCache.BeginFrameTick(GetTickCount());

    EaseViewCentre(*this);
    D3DXVECTOR3 eye;
    PlaceCamera(*this, focus, eye);
    SetViewAndProjection(*this, device, eye);
    g_D3DDevice.BeginScene();
    viewport = g_D3DDevice.viewport;
}

void KDrawShell::EndFrame() {
    lastFrameCounter = frameCounter;
    imageCache.EndFrameTick();
    if (deviceLost) return;
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    UpdateFrameStatistics(*this);
    imageCache.loadsSinceFrameEnd = 0;
    const bool ended = g_D3DDevice.EndScene();
    if (screenTargetSavedTarget) {
        if (!ended) {
            // The back buffer comes back even for a frame that is not shown.
            device->SetRenderTarget(0, screenTargetSavedTarget);
            screenTargetSavedTarget->Release();
            screenTargetSavedTarget = nullptr;
            return;
        }
        CompositeScreenTarget(*this, device);
    }
    if (!ended) return;
    PresentFrame(*this);
    if (timeGetTime() > kModelAgeingAfterMs) g_pModelManager->Update();
}
