// The handle's trail file, attachments by name and its own ground shadow.
#include <cstdio>
#include <strings.h>

#include <cstring>

#include "basrel/HostIntegers.h"
#include "lumiva/IK3DEffectNode.h"
#include "scene/KShadowQuad.h"
#include "scene/KModel.h"
#include "scene/KModelProxy.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"
#include "textures/TextureManager.h"

namespace {

constexpr const char* kTrailSection = "TEST_TYPE";
constexpr size_t kProxyShapeEndingLength = 4;
constexpr float kShadowPitch = 1.57f;

bool EndsWithShapeEnding(const char* name, size_t length) {
    return length > kProxyShapeEndingLength && strcasecmp(name + length - kProxyShapeEndingLength, ".dts") == 0;
}

}  // namespace

bool KModelProxy::IsTrailLoaded() { return model && model->trailLoaded; }
const char* KModelProxy::GetTrailFileName() { return trailFileName; }

bool KModelProxy::LoadTrail(const char* file) {
    if (!model || !file) return false;
    if (!trailFileName) trailFileName = new char[kTrailFileNameSize]();
    std::snprintf(trailFileName, kTrailFileNameSize, "%s", file);
    return model->LoadTrailSettings(file, kTrailSection) == 1;
}

void KModelProxy::StartTrail() {
    if (!model) return;
    model->ClearTrail();
    model->SetTrailEnabled(1);
}

void KModelProxy::StopTrail(BYTE clear) {
    if (!model) return;
    model->SetTrailEnabled(0);
    if (clear) model->ClearTrail();
}

void KModelProxy::RemoveAllBindEffects() {
    if (model) model->RemoveAllBindEffects();
}

bool KModelProxy::AttachByName(const char* name) {
    if (!model || !name || !ShellServices()) return false;
    const size_t length = std::strlen(name);
    if (length <= kProxyShapeEndingLength) return false;
    if (EndsWithShapeEnding(name, length)) {
        KModelProxy* attached = ShellServices()->CreateModel(name);
        if (!attached) return false;
        model->SetAttachedModel(attached);
        return true;
    }
    IK3DEffectNode* node = ShellServices()->CreateEffectNode(name, 0);
    if (!node) return false;
    model->SetEffectNode(node);
    return true;
}

void KModelProxy::SetEffectDirection(float x, float y, float z) {
    if (IK3DEffectNode* node = model ? model->GetEffectNode() : nullptr) node->SetDirection(x, y, z);
}

void KModelProxy::SetEffectScale(float x, float y, float z) {
    if (IK3DEffectNode* node = model ? model->GetEffectNode() : nullptr) node->SetScale(x, y, z);
}

void KModelProxy::DrawShadow(float centreX, float centreZ, float halfWidth, float halfDepth, float alpha) {
    if (!model || !model->device) return;
    if (!shadowQuad) {
        shadowQuad = new KShadowQuad;
        shadowQuad->textureName = kHandleShadowTexture;
        if (g_pTextureManager) shadowQuad->texture = g_pTextureManager->LoadTexture(kHandleShadowTexture, nullptr, 0, 0, 0);
    }
    IDirect3DDevice9* device = model->device;
    D3DXMATRIX saved;
    device->GetTransform(D3DTS_WORLD, &saved);
    float x = 0, y = 0, z = 0, h0 = 0, h1 = 0, h2 = 0;
    GetPosition(&x, &y, &z, 1);
    model->GetHeading(&h0, &h1, &h2);
    D3DXMATRIX world, turn;
    D3DXMatrixRotationYawPitchRoll(&world, 0.0f, kShadowPitch, 0.0f);
    D3DXMatrixMultiply(&world, &world, D3DXMatrixRotationYawPitchRoll(&turn, h0, h1, h2));
    world._41 = x;
    world._42 = y;
    world._43 = z;
    device->SetTransform(D3DTS_WORLD, &world);
    shadowQuad->centreX = centreX;
    shadowQuad->centreZ = centreZ;
    shadowQuad->halfWidth = halfWidth;
    shadowQuad->halfDepth = halfDepth;
    shadowQuad->alpha = BYTE(host_int::Truncate(alpha));
    shadowQuad->Draw();
    device->SetTransform(D3DTS_WORLD, &saved);
}
