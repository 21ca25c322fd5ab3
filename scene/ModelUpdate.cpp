// The model's per-frame work: drive a shape's instance, take the handle's
// colour, retry a mesh whose skinning failed, place the model (own
// transform, world offset, dummy binding), then animate and draw it with
// its shadow and trails. The device's world transform is given back.
#include <mmsystem.h>

#include "basrel/HostIntegers.h"

#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "scene/KModelProxy.h"
#include "effects/BoundEffectsSeam.h"
#include "shape/KShapeInstance.h"
#include "shape/KShapeModel.h"
#include "shape/KShapeThread.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr DWORD kConversionRetryMs = 2000;
constexpr float kMeshPitch = 1.57f;

KShapeModel* AsShape(KMesh* mesh) { return mesh && mesh->shapeFlag ? static_cast<KShapeModel*>(mesh) : nullptr; }

void SetTranslation(D3DXMATRIX* m, float x, float y, float z) {
    m->_41 = x;
    m->_42 = y;
    m->_43 = z;
}

}  // namespace

void KModel::StepShape(KShapeModel* shape) {
    if (!shapeInstance) return;
    if (shapeInstance->GetThreadCount() == 0) {
        if (KShapeThread* thread = shapeInstance->AddThread()) {
            KShape* data = shapeInstance->GetShape();
            if (data && data->sequences.Count() > 0) data->sequences.At(0)->SetCyclic(shapeFlag != 0);
            shapeInstance->SetSequence(thread, 0, 0.0f);
            shapeStartTime = timeGetTime();
        }
    }
    shape->HandOver(shapeInstance, shapeStartTime, shapeTimeDivisor, shapeParams, scale);
    if (KShapeThread* first = shapeInstance->GetThread(0)) shapeState = first->Position() >= 1.0f ? 1 : 0;
}

// A failed skin conversion is retried from the files every 2000 ms; nothing
// is drawn meanwhile.
bool KModel::RetryConversion() {
    if (mesh->conversionStamp == 0) return false;
    if (GetTickCount() - mesh->conversionStamp < kConversionRetryMs || !material) return true;
    mesh->Clear();
    // A conversion that fails again in the load stamps the mesh anew.
    mesh->conversionStamp = 0;
    material->FreeRecords();
    if (meshRecord) mesh->Load(meshRecord->name);
    if (materialRecord) material->Load(materialRecord->name);
    return true;
}

void KModel::ComputeOwnWorld(KShapeModel* shape) {
    if (computeTransform == 0) {
        worldMatrix = externalWorld;
        return;
    }
    float h0 = 0, h1 = 0, h2 = 0, x = 0, y = 0, z = 0;
    GetHeading(&h0, &h1, &h2);
    GetPosition(&x, &y, &z, 1, 1);
    // The factor's first float scales all three axes; the model's own scale
    // keeps its shape.
    const float f = scaleFactor.x;
    D3DXMATRIX turn;
    D3DXMatrixScaling(&worldMatrix, scale.x * f, scale.y * f, scale.z * f);
    if (shape) {
        D3DXMatrixMultiply(&worldMatrix, &worldMatrix, D3DXMatrixRotationX(&turn, h0));
        D3DXMatrixMultiply(&worldMatrix, &worldMatrix, D3DXMatrixRotationY(&turn, h1));
        D3DXMatrixMultiply(&worldMatrix, &worldMatrix, D3DXMatrixRotationZ(&turn, h2));
    } else {
        D3DXMatrixMultiply(&worldMatrix, &worldMatrix, D3DXMatrixRotationYawPitchRoll(&turn, 0.0f, kMeshPitch, 0.0f));
        D3DXMatrixMultiply(&worldMatrix, &worldMatrix, D3DXMatrixRotationYawPitchRoll(&turn, h0, h1, h2));
    }
    SetTranslation(&worldMatrix, x, y, z);
}

void KModel::ApplyWorldOffset() {
    if (!ShellServices() || !ShellServices()->HasWorldOffset()) return;
    float x = 0, y = 0, z = 0;
    ShellServices()->GetWorldOffset(&x, &y, &z);
    D3DXMATRIX offset;
    D3DXMatrixMultiply(&worldMatrix, &worldMatrix, D3DXMatrixTranslation(&offset, x, y, z));
}

// A binding that cannot be followed (a node that is no model, a dummy
// either mesh lacks, a dummy without inverse) leaves the own transform.
void KModel::ApplyBinding() {
    if (!bound || !boundNode) return;
    auto* other = dynamic_cast<KModel*>(boundNode);
    const int b = other ? other->FindBone(dummyName) : -1;
    if (b < 0) return;
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &other->mesh->dummies[size_t(b)].worldMatrix, &other->worldMatrix);
    if (secondDummyName && *secondDummyName) {
        const int s = FindBone(secondDummyName);
        if (s < 0) return;
        D3DXMATRIX inverse;
        if (!D3DXMatrixInverse(&inverse, nullptr, &mesh->dummies[size_t(s)].worldMatrix)) return;
        D3DXMatrixMultiply(&world, &inverse, &world);
    }
    worldMatrix = world;
}

// Worked in unsigned 32-bit ms differences so a late clock still steps by
// 1 ms; the float comes last.
float KModel::AnimationTime(DWORD now) {
    const DWORD pausedFor = paused ? now - pauseStamp : 0;
    const DWORD elapsed = now - pausedFor - DWORD(host_int::Truncate64(startTime)) - pausedTotal;
    float t = float(int32_t(elapsed)) * speed;
    if (t < 0.0f) {
        t = float(pausedTotal) * speed + t;
        pausedTotal = 0;
    }
    return t;
}

bool KModel::Update() {
    const DWORD now = timeGetTime();
    KShapeModel* shape = nullptr;
    if (mesh) {
        mesh->currentModel = this;
        shape = AsShape(mesh);
        if (shape) StepShape(shape);
    }
    if (proxy) proxy->ApplyColor();
    if (!mesh || !device) return true;
    if (RetryConversion()) return true;

    D3DXMATRIX saved;
    device->GetTransform(D3DTS_WORLD, &saved);
    ComputeOwnWorld(shape);
    ApplyWorldOffset();
    ApplyBinding();
    worldPosition = D3DXVECTOR3(worldMatrix._41, worldMatrix._42, worldMatrix._43);

    device->SetTransform(D3DTS_WORLD, &worldMatrix);
    if (mesh->shadowQuad.shadowFlag) mesh->shadowQuad.Draw();
    mesh->ApplyAnimation(animation, currentTrack, animationMode, AnimationTime(now));
    mesh->Render(material, alpha, nullptr, depthWrite);
    if (shape) shapeStartTime = now;
    SortAndDraw(0.0f);
    SelectBindEffects();
    if (currentBindEffects && bound_effects::UsesBladeLight(currentBindEffects)) UpdateTrail();
    device->SetTransform(D3DTS_WORLD, &saved);
    return true;
}
