#include "effects/KBindEffect.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "effects/BindRotation.h"
#include "lumiva/IK3DEffectNode.h"
#include "lumiva/PrimitiveRecords.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

// Half the distance between two sockets at which mode 4 keeps the scale.
constexpr float kStretchUnit = 20.39f;
// Drive, folder, base name and extension as the platform splits a path.
constexpr size_t kDriveSize = 3, kPartSize = 256;

// Cut to size - 1 bytes.
void CopyText(char** buffer, size_t size, const char* text) {
    if (!*buffer) *buffer = new char[size]();
    const size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(*buffer, text, length);
    (*buffer)[length] = '\0';
}

void FreeText(char** buffer) {
    delete[] *buffer;
    *buffer = nullptr;
}

D3DXVECTOR3 Translation(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }

}  // namespace

KBindEffect::KBindEffect() {
    D3DXMatrixIdentity(&socketMatrix);
    D3DXMatrixIdentity(&savedWorld);
    D3DXMatrixIdentity(&savedView);
    D3DXMatrixIdentity(&savedProjection);
    D3DXMatrixIdentity(&placement);
}

KBindEffect::~KBindEffect() { Release(); }

int KBindEffect::Load(const char* file) {
    if (!ShellServices() || !file) return 0;
    if (node) ShellServices()->ReleaseEffectNode(node);
    node = ShellServices()->CreateEffectNode(file, 1);
    if (!node) return 0;
    node->SetSpeed(1.0f);
    // A new node has its own length and starts over.
    duration = 0;
    startTime = 0;
    char drive[kDriveSize] = {}, dir[kPartSize] = {}, base[kPartSize] = {}, ext[kPartSize] = {};
    _splitpath(file, drive, dir, base, ext);
    char text[kBindPathSize * 2];
    std::snprintf(text, sizeof text, "%s%s", drive, dir);
    CopyText(&folder, kBindPathSize, text);
    std::snprintf(text, sizeof text, "%s.a3e", base);
    CopyText(&name, kBindPathSize, text);
    return 1;
}

HRESULT KBindEffect::SetSocket(KModel* model, const char* socket) {
    if (!model) return E_FAIL;
    owner = model;
    CopyText(&socketName, kBindSocketNameSize, socket ? socket : "");
    return 0;
}

HRESULT KBindEffect::SetNextSocket(const char* socket) {
    CopyText(&nextSocketName, kBindPathSize, socket ? socket : "");
    return 0;
}

bool KBindEffect::DummyWorld(const char* dummy, D3DXMATRIX* world) const {
    const int index = owner ? owner->FindBone(dummy) : -1;
    if (index < 0) return false;
    D3DXMatrixMultiply(world, &owner->mesh->dummies[size_t(index)].worldMatrix, &owner->worldMatrix);
    return true;
}

// Halfway between the two sockets, pointing from the second to the first;
// mode 4 also stretches along the socket's up axis.
void KBindEffect::PlaceBetweenSockets(const D3DXMATRIX& next, D3DXVECTOR3* pos, D3DXVECTOR3* dir,
                                      D3DXVECTOR3* size) {
    placement = (placement + next) * 0.5f;
    const D3DXVECTOR3 nextPos = Translation(next);
    *dir = *pos - nextPos;
    *pos = (*pos + nextPos) / 2.0f;
    if (bindMode != 4) return;
    const D3DXVECTOR3 gap = nextPos - *pos;
    const float f = D3DXVec3Length(&gap) / kStretchUnit;
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXVECTOR3 v;
    D3DXVec3TransformCoord(&v, &up, &placement);
    D3DXVec3Normalize(&v, &v);
    size->x *= v.x * f;
    size->y *= v.y * f;
    size->z *= v.z * f;
}

HRESULT KBindEffect::Update() {
    if (device) {
        device->GetTransform(D3DTS_WORLD, &savedWorld);
        device->GetTransform(D3DTS_VIEW, &savedView);
        device->GetTransform(D3DTS_PROJECTION, &savedProjection);
        D3DXMATRIX identity;
        device->SetTransform(D3DTS_WORLD, D3DXMatrixIdentity(&identity));
    }
    // The socket is a dummy of the mesh: its world matrix places the effect.
    const int socket = owner ? owner->FindBone(socketName) : -1;
    if (socket >= 0) socketMatrix = owner->mesh->dummies[size_t(socket)].worldMatrix;
    if (owner)
        D3DXMatrixMultiply(&placement, &socketMatrix, &owner->worldMatrix);
    else
        placement = socketMatrix;
    D3DXVECTOR3 pos = Translation(placement), dir(0.0f, 0.0f, 1.0f), size(scale, scale, scale);

    // A second socket that is no dummy places the effect as mode 2 does.
    D3DXMATRIX next;
    if ((bindMode == 3 || bindMode == 4) && DummyWorld(nextSocketName, &next))
        PlaceBetweenSockets(next, &pos, &dir, &size);
    if (bindMode == 1) {
        D3DXMATRIX turn = placement;
        turn._41 = turn._42 = turn._43 = 0.0f;
        dir = D3DXVECTOR3(turn._31, turn._32, turn._33);
        g_BindRotation = turn;
    }
    if (!node) return 0;
    if (bindMode >= 1 && bindMode <= 4) {
        node->SetDirection(dir.x, dir.y, dir.z);
        node->SetPosition(pos.x, pos.y, pos.z, 0);
    }
    node->SetScale(size.x, size.y, size.z);
    return 0;
}

// Only a mode-1 effect turns with its socket: any other draws by its own
// direction, whatever rotation another socket left.
void KBindEffect::Draw() {
    const BYTE useRotation = g_UseBindRotation;
    if (bindMode != 1) g_UseBindRotation = 0;
    KPrimNode record{};
    record.node = node;
    ShellServices()->DrawPrimitives(1, &record, PRIM_EFFECT_NODES, 1, 0, int(0xFFFFFFFF), -1.0f);
    g_UseBindRotation = useRotation;
}

HRESULT KBindEffect::UpdateTimed() {
    if (!node) return E_FAIL;
    Update();
    if (duration == 0) node->GetDuration(&duration);
    const DWORD now = timeGetTime();
    if (now - startTime > duration) {
        node->SetStartOffset(0);
        startTime = now;
    }
    if (device) {
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetTexture(1, nullptr);
    }
    if (ShellServices()) Draw();
    if (device) {
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device->SetTransform(D3DTS_WORLD, &savedWorld);
        device->SetTransform(D3DTS_VIEW, &savedView);
        device->SetTransform(D3DTS_PROJECTION, &savedProjection);
    }
    return 0;
}

void KBindEffect::Release() {
    if (node && ShellServices()) ShellServices()->ReleaseEffectNode(node);
    node = nullptr;
    FreeText(&folder);
    FreeText(&name);
    FreeText(&socketName);
    FreeText(&nextSocketName);
}
