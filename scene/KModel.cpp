// The model's life, its device, its resources by name and the values it
// hands its mesh.
#include "scene/KModel.h"

#include <mmsystem.h>
#include <strings.h>

#include <algorithm>

#include "scene/KAnimation.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "scene/KModelManager.h"
#include "shape/KShapeInstance.h"
#include "textures/TextureManager.h"

KModel::KModel() : KModelNodeBase(0, 0, 0, 0, 0, 0), startTime(float(timeGetTime())) {
    D3DXMatrixIdentity(&worldMatrix);
    D3DXMatrixIdentity(&externalWorld);
    ResetTrackBones();
    g_AdditiveBlend = 0;
}

// The node base detaches too, but by then this model's Unbind no longer
// runs: detaching here lets a bone-bound child or parent unbind properly.
// Disabled first, as the base does, so losing its parent cannot register it.
KModel::~KModel() {
    SetEnabled(0);
    Detach();
    delete shapeInstance;
    shapeInstance = nullptr;
    mesh = nullptr;
    material = nullptr;
    animation = nullptr;
    meshRecord = nullptr;
    materialRecord = nullptr;
    animationRecord = nullptr;
    ownRecord = nullptr;
    if (trailTexture && g_pTextureManager) g_pTextureManager->ReleaseTexture(trailTexture);
    trailTexture = nullptr;
    ClearBinding();
    DeleteEffectList();
    AdoptOwnBindEffects(nullptr);
    currentBindEffects = nullptr;
}

HRESULT KModel::SetDevice(IDirect3DDevice9* newDevice) {
    if (!newDevice) return 1;
    device = newDevice;
    return 0;
}

bool KModel::HoldsName(const KResRecord* record, const char* name) {
    return record && name && strcasecmp(record->name, name) == 0;
}

HRESULT KModel::Reserved1(DWORD, DWORD) { return 0; }
HRESULT KModel::Reserved2(DWORD, DWORD, DWORD, DWORD) { return 0; }
HRESULT KModel::Reserved3(DWORD, DWORD) { return 0; }
HRESULT KModel::Reserved4(DWORD, DWORD, DWORD, DWORD) { return 0; }
HRESULT KModel::Reserved5(DWORD, DWORD, DWORD) { return 0; }
HRESULT KModel::Reserved6(DWORD) { return 0; }

HRESULT KModel::SetMesh(const char* name, DWORD) {
    if (HoldsName(meshRecord, name)) return 0;
    if (!device) return 1;
    return FAILED(g_pModelManager->LoadModel(ownRecord, name)) ? E_FAIL : 0;
}

HRESULT KModel::InitMesh(const char* argument, DWORD) { return g_pModelManager->InitMesh(ownRecord, argument); }

// A material that cannot be loaded gives 1, as a missing device does: the
// model then goes on without a material.
HRESULT KModel::SetMaterial(const char* name, DWORD) {
    if (HoldsName(materialRecord, name)) return 0;
    if (!device) return 1;
    if (FAILED(g_pModelManager->LoadMaterial(ownRecord, name))) return 1;
    return g_pModelManager->InitMaterial(ownRecord, name);
}

HRESULT KModel::InitMaterial(const char* argument) {
    if (!device) return 1;
    return g_pModelManager->InitMaterial(ownRecord, argument);
}

HRESULT KModel::SetAnimation(const char* name, DWORD) {
    if (HoldsName(animationRecord, name)) return 0;
    return FAILED(g_pModelManager->LoadAnimation(ownRecord, name)) ? E_FAIL : 0;
}

HRESULT KModel::AddAnimation(const char* name, DWORD unused) { return SetAnimation(name, unused); }

void KModel::SetScale(const float* xyz) { scale = D3DXVECTOR3(xyz[0], xyz[1], xyz[2]); }
void KModel::SetScaleFactor(const float* xyz) { scaleFactor = D3DXVECTOR3(xyz[0], xyz[1], xyz[2]); }
D3DXVECTOR3* KModel::GetScale() { return &scale; }

void KModel::SetMeshFlag(BYTE flag) {
    if (mesh) mesh->shadowQuad.shadowFlag = flag;
}

void KModel::SetMeshParams(float centreX, float centreZ, float halfWidth, float halfDepth, BYTE quadAlpha) {
    if (!mesh) return;
    KShadowQuad& quad = mesh->shadowQuad;
    quad.centreX = centreX;
    quad.centreZ = centreZ;
    quad.halfWidth = halfWidth;
    quad.halfDepth = halfDepth;
    quad.alpha = quadAlpha;
}

void KModel::SetShadowTextureName(const char* name) {
    if (mesh) mesh->SetShadowTextureName(name);
}

void KModel::SetMeshColor(D3DCOLOR colour) {
    if (mesh) mesh->colour = colour;
}

void KModel::GetBounds(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) const {
    if (!mesh) return;
    if (minimum) *minimum = mesh->boxMin;
    if (maximum) *maximum = mesh->boxMax;
}

void KModel::SetComputeTransform(BYTE compute) { computeTransform = compute; }

HRESULT KModel::SetAlpha(float value) {
    alpha = value;
    return 0;
}

HRESULT KModel::SetDepthWrite() {
    depthWrite = 1;
    return 0;
}

HRESULT KModel::SetGlobalFlag(DWORD value) {
    g_AdditiveBlend = value;
    return 0;
}

void KModel::SetMaterialValue(DWORD value) {
    if (material) material->SetValueAll(value);
}

void KModel::GetBindValues(float* x, float* y, float* z) const {
    if (x) *x = worldPosition.x;
    if (y) *y = worldPosition.y;
    if (z) *z = worldPosition.z;
}
