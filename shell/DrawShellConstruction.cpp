// The shell's construction defaults and its destruction.
#include <cstring>

#include "lumiva/basrel/HostGlobals.h"
#include "shell/ComRelease.h"
#include "shell/D3DShell.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"

KDrawShell::KDrawShell()
    : uiScale(1.0f),
      hostCallback(nullptr),
      extraResource(nullptr),
      largeScreen(0),
      zoom(1.0f),
      savedGammaRamp{},
      projectionKind(0),
      imageCache(this),
      deviceLost(0),
      screenOffset{0, 0},
      composeTextureSmall(nullptr),
      composeTextureLarge(nullptr),
      viewMatrix{},
      inverseViewMatrix{},
      projectionMatrix{},
      cameraPosition{},
      viewOrigin{},
      lightGridEnabled(0),
      viewCentre{},
      pendingViewCentre{},
      clientFlag(1),
      screenTargetEnabled(0),
      screenTarget(nullptr),
      lastFrameInterval(10),
      frameTimeSum(0),
      windowedPresentParams{},
      worldOffsetSet(0),
      worldOffset{},
      cameraDistance(kCameraDistanceMax),
      cameraDistanceMax(kCameraDistanceMax),
      cameraDistanceMin(kCameraDistanceMin),
      presentExclusion{},
      adapterMode{},
      occlusionSamples{},
      extraSurface(nullptr),
      backBufferSurface(nullptr),
      backRefresh(0),
      imageLoadThrottle(0),
      lastFrameCounter(0),
      frameCounter(0),
      offscreenSurface(nullptr),
      globalAlpha(1.0f),
      clearColour(0),
      surfaceTexture(nullptr),
      viewport{},
      dynamicVertexBuffer(nullptr),
      dynamicVertexBufferSize(kDynamicVertexBufferSize),
      dynamicWritePosition(0),
      quadTable{},
      quadTableReady(0),
      textImageHandler(nullptr),
      textServices(*this) {
    g_ProjectionMode = 1;
    g_pDrawShell = this;
    uiScale = ReadUiScale();
    sparks.Load();
    g_MainWindow = g_GetMainHWnd();
}

KDrawShell::~KDrawShell() {
    ReleaseSparks();
    ReleaseAndNull(offscreenSurface);
    ReleaseAndNull(surfaceTexture);
    if (g_pDrawShell == this) g_pDrawShell = nullptr;
    fonts.ReleaseAll();
    frameTimes.clear();
    frameTimeSum = 0;
    ReleaseAndNull(screenTarget);
    ReleaseOffscreenView();
    ReleaseAndNull(extraResource);
    ReleaseAndNull(backBufferSurface);
    ReleaseAndNull(extraSurface);
    ReleaseQuadTable();
    // Whatever a shell deleted without Release still holds.
    ReleaseDynamicVertexBuffer();
    ReleaseAndNull(composeTextureSmall);
    ReleaseAndNull(composeTextureLarge);
    for (KTargetRecord& record : targetRecords) ReleaseAndNull(record.resource);
}

void KDrawShell::ReleaseDynamicVertexBuffer() {
    ReleaseAndNull(dynamicVertexBuffer);
    dynamicWritePosition = 0;
}

void KDrawShell::ReleaseQuadTable() {
    for (IDirect3DVertexBuffer9*& entry : quadTable) ReleaseAndNull(entry);
    quadTableReady = 0;
}
