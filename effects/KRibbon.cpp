#include "effects/KRibbon.h"

#include <cmath>
#include <utility>

#include "draw2d/render/VertexBuilders.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "textures/TextureManager.h"

namespace {

void GiveBackRibbonTexture(KTextureRecord*& record) {
    if (record && g_pTextureManager) g_pTextureManager->ReleaseTexture(record);
    record = nullptr;
}

}  // namespace

KRibbon::~KRibbon() { ReleaseDeviceObjects(); }

KRibbon::KRibbon(const KRibbon& other)
    : texture(other.texture),
      vertexBuffer(other.vertexBuffer),
      pointCount(other.pointCount),
      shiftInterval(other.shiftInterval),
      lastShiftTime(other.lastShiftTime),
      textureFactor(other.textureFactor),
      width(other.width),
      heightOffset(other.heightOffset),
      additive(other.additive),
      points(other.points),
      initialised(other.initialised),
      enabled(other.enabled),
      textureName(other.textureName) {
    TakeReferences();
}

KRibbon& KRibbon::operator=(const KRibbon& other) {
    if (this != &other) *this = KRibbon(other);
    return *this;
}

KRibbon::KRibbon(KRibbon&& other) noexcept { *this = std::move(other); }

// Takes the other's references; it is left holding none.
KRibbon& KRibbon::operator=(KRibbon&& other) noexcept {
    if (this == &other) return *this;
    ReleaseDeviceObjects();
    texture = std::exchange(other.texture, nullptr);
    vertexBuffer = std::exchange(other.vertexBuffer, nullptr);
    pointCount = other.pointCount;
    shiftInterval = other.shiftInterval;
    lastShiftTime = other.lastShiftTime;
    textureFactor = other.textureFactor;
    width = other.width;
    heightOffset = other.heightOffset;
    additive = other.additive;
    points = std::move(other.points);
    initialised = other.initialised;
    enabled = other.enabled;
    textureName = std::move(other.textureName);
    return *this;
}

// The texture record is shared by name: loading it again raises its count.
void KRibbon::TakeReferences() {
    if (vertexBuffer) vertexBuffer->AddRef();
    if (texture)
        texture = g_pTextureManager ? g_pTextureManager->LoadTexture(textureName.c_str(), nullptr, 0, 1, 0) : nullptr;
}

void KRibbon::ReleaseDeviceObjects() {
    GiveBackRibbonTexture(texture);
    ReleaseAndNull(vertexBuffer);
}

bool KRibbon::RecreateDeviceObjects() {
    ReleaseDeviceObjects();
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!textureName.empty() && g_pTextureManager)
        texture = g_pTextureManager->LoadTexture(textureName.c_str(), nullptr, 0, 1, 0);
    if (!device || FAILED(device->CreateVertexBuffer(pointCount * kRibbonBytesPerPoint, 0, kSceneVertexFvf,
                                                     D3DPOOL_DEFAULT, &vertexBuffer, nullptr))) {
        vertexBuffer = nullptr;
        return false;
    }
    return true;
}

void ReleaseRibbons(KRibbonMap (&maps)[2]) {
    for (KRibbonMap& map : maps)
        for (auto& [id, ribbon] : map) ribbon.ReleaseDeviceObjects();
}

void RecreateRibbonBuffers(KRibbonMap (&maps)[2]) {
    for (KRibbonMap& map : maps)
        for (auto& [id, ribbon] : map) ribbon.RecreateDeviceObjects();
}

float Distance2D(float ax, float ay, float, float bx, float by) {
    const float dx = ax - bx, dy = ay - by;
    const float d = std::sqrt(dx * dx + dy * dy);
    return d == 0.0f ? 1.0f : d;
}
