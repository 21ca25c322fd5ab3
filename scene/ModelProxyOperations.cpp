// The handle's operations that forward to its model. Without a model each
// answers its empty value.
#include <algorithm>
#include <cmath>

#include "scene/KMaterial.h"
#include "scene/KModel.h"
#include "scene/KModelProxy.h"

namespace {

constexpr float kHeadingTurn = 3.1415927f;
constexpr BYTE kNoAnimationFlag = 16;

// Null for a handle the module does not hold: a released one is not read.
KModel* ModelOf(KModelProxy* handle) { return LiveObjects<KModelProxy>().Holds(handle) ? handle->model : nullptr; }

}  // namespace

BYTE KModelProxy::GetShapeState() { return model ? model->shapeState : 0; }
void KModelProxy::ClearShapeState() {
    if (model) model->shapeState = 0;
}
void KModelProxy::SetShapeTimeDivisor(int32_t divisor) {
    if (model) model->shapeTimeDivisor = divisor;
}
void KModelProxy::SetShapeParams(int32_t quadSwitch, int32_t width, int32_t height, int32_t centreX, int32_t centreY) {
    if (!model) return;
    const int32_t params[kShapeParamCount] = {quadSwitch, width, height, centreX, centreY};
    std::copy(std::begin(params), std::end(params), model->shapeParams);
}

bool KModelProxy::AttachChild(KModelProxy* other, const char* bone, const char* secondBone) {
    return model && model->AttachChild(ModelOf(other), bone, secondBone);
}
bool KModelProxy::AttachTo(KModelProxy* other, const char* bone) {
    return model && model->AttachTo(ModelOf(other), bone);
}
bool KModelProxy::BindTo(KModelProxy* other, const char* bone, const char* secondBone) {
    return model && model->BindTo(ModelOf(other), bone, secondBone);
}
bool KModelProxy::Unbind(KModelProxy* other) { return model && model->Unbind(ModelOf(other)); }
bool KModelProxy::UnbindAll() { return model && model->UnbindAll(); }

void KModelProxy::GetBindValues(float* x, float* y, float* z) {
    if (model) model->GetBindValues(x, y, z);
}

bool KModelProxy::Detach(KModelProxy* other) {
    if (!model) return false;
    // A handle the module does not hold must not read as null, which would
    // unlink this model from all.
    if (other) return LiveObjects<KModelProxy>().Holds(other) && model->DetachChild(other->model);
    model->Detach();
    return true;
}

float KModelProxy::GetAnimationProgress(const char* trackName) {
    return model ? model->GetAnimationProgress(trackName) : 0.0f;
}
BYTE KModelProxy::GetAnimationFlag() { return model ? model->GetAnimationFlag() : kNoAnimationFlag; }
void KModelProxy::SetAnimationFlag(BYTE flag) {
    if (model) model->SetAnimationFlag(flag);
}
bool KModelProxy::HasMesh() { return model && model->HasMesh(); }
DWORD KModelProxy::GetTrackCount() { return model ? model->GetTrackCount() : 0; }

HRESULT KModelProxy::SetMaterial(const char* name) { return model ? model->SetMaterial(name, 0) : E_FAIL; }
HRESULT KModelProxy::InitMaterial(const char* argument) { return model ? model->InitMaterial(argument) : E_FAIL; }
HRESULT KModelProxy::SetMesh(const char* name) {
    if (!model || !name || !*name) return E_FAIL;
    return model->SetMesh(name, 0);
}
HRESULT KModelProxy::InitMesh(const char* argument) { return model ? model->InitMesh(argument, 0) : E_FAIL; }

void KModelProxy::SetPaused(BYTE pause) {
    if (model) model->SetPaused(pause);
}
HRESULT KModelProxy::PlayAnimation(const char* name, DWORD, int mode) {
    if (!model) return E_FAIL;
    lastAnimation = name;
    return model->PlayAnimation(mode, name, 1.0f);
}

void KModelProxy::SetAlpha(float value) {
    if (model) model->SetAlpha(value);
}
void KModelProxy::SetDepthWrite() {
    if (model) model->SetDepthWrite();
}
void KModelProxy::UpdateBindEffects() {
    if (model) model->UpdateBindEffects();
}
void KModelProxy::SetGlobalFlag(DWORD value) { g_AdditiveBlend = value; }
void KModelProxy::SetAnimationPosition(float fraction) {
    if (model) model->SetAnimationPosition(fraction);
}

void KModelProxy::SetHeading(float a, float b, float c, DWORD duration, BYTE shortest) {
    if (model) model->SetHeading(b, c, a + kHeadingTurn, duration, shortest);
}
void KModelProxy::SetPosition(float x, float y, float z, DWORD duration) {
    if (model) model->SetPosition(x, y, z, duration);
}
void KModelProxy::SetScale(float x, float y, float z) {
    const float xyz[3] = {x, y, z};
    if (model) model->SetScale(xyz);
}
void KModelProxy::SetScaleFactor(float factor) {
    const float xyz[3] = {factor, factor, factor};
    if (model) model->SetScaleFactor(xyz);
}
void KModelProxy::SetAnimationSpeed(float speed) {
    if (model) model->speed = speed;
}
float KModelProxy::GetAnimationLength() { return model ? model->GetAnimationLength() : 0.0f; }

void KModelProxy::SetMeshParams(float centreX, float centreZ, float halfWidth, float halfDepth, BYTE quadAlpha) {
    if (model) model->SetMeshParams(centreX, centreZ, halfWidth, halfDepth, quadAlpha);
}
void KModelProxy::SetShadowTextureName(const char* name) {
    if (model) model->SetShadowTextureName(name);
}
void KModelProxy::SetMaterialTexture(const char* name, int value) {
    if (model) model->SetMaterialTexture(name, value);
}

bool KModelProxy::LoadEffectList(const char* file, int index) { return model && model->LoadEffectList(file, index) == 1; }
bool KModelProxy::RemoveBindEffect(const char* socket) { return model && model->RemoveBindEffect(socket) <= 0; }
bool KModelProxy::AddBindEffect(const char* file, const char* socket, int mode, float scale, float angle) {
    return model && model->AddBindEffect(file, socket, mode, scale, angle) == 0;
}
bool KModelProxy::SetBindEffectSocket(const char* socket, const char* nextSocket, int mode) {
    return model && model->SetBindEffectSocket(socket, nextSocket, mode) == 0;
}

void KModelProxy::GetBounds(float* minX, float* minY, float* minZ, float* maxX, float* maxY, float* maxZ) {
    if (!model || !model->HasMesh()) return;
    D3DXVECTOR3 low, high;
    model->GetBounds(&low, &high);
    const float values[6] = {low.x, low.y, low.z, high.x, high.y, high.z};
    float* const out[6] = {minX, minY, minZ, maxX, maxY, maxZ};
    for (int i = 0; i < 6; ++i)
        if (out[i]) *out[i] = values[i];
}

void KModelProxy::SetAnimationMode(int mode) {
    if (model) model->SetAnimationMode(mode);
}
void KModelProxy::SetMaterialValue(DWORD value) {
    if (model) model->SetMaterialValue(value);
}
void KModelProxy::SetCoolTrail(int on) {
    if (model) model->coolTrailOn = on;
}
void KModelProxy::SetBindFlag(int on) {
    if (model) model->bindEffectsOn = on;
}
void KModelProxy::SetEnabled(int on) {
    if (model) model->SetEnabled(on != 0);
}
bool KModelProxy::IsEnabled() { return model && model->IsEnabled(); }
bool KModelProxy::UpdateTree(DWORD argument) { return model && model->UpdateTree(argument); }
void KModelProxy::GetPosition(float* x, float* y, float* z, int flag) {
    if (model) model->GetPosition(x, y, z, 0, flag);
}
void KModelProxy::SetMotionMode(BYTE straight, const BYTE* arcParams) {
    if (model) model->SetMotionMode(straight, arcParams);
}
void KModelProxy::SetShapeFlag(int32_t value) {
    if (model) model->shapeFlag = value;
}
int32_t KModelProxy::GetShapeFlag() { return model ? model->shapeFlag : 0; }
