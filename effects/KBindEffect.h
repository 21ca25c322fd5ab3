// One effect bound to a dummy (socket) of a model: an effect node of the
// shell played at the socket's place each time its model draws, in one of
// four bind modes, and started over once its duration has passed.
//
//   mode 1  at the socket, turned with it (the turn goes to g_BindRotation)
//   mode 2  at the socket, standing along z
//   mode 3  between the socket and a second one, pointing from the second
//   mode 4  as 3, stretched by the distance between the two sockets
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>

#include "effects/BoundEffectsSeam.h"

class IK3DEffectNode;
class KModel;

// Socket names fit 29 characters and their terminator; paths 259
// (kBindPathSize, in the model's seam).
constexpr size_t kBindSocketNameSize = 30;
constexpr int kDefaultBindMode = 2;

class KBindEffect {
public:
    KBindEffect();
    ~KBindEffect();
    KBindEffect(const KBindEffect&) = delete;
    KBindEffect& operator=(const KBindEffect&) = delete;

    // A new effect node for the file (the old one released first); 0
    // without a shell or when the node cannot be made, else 1.
    int Load(const char* file);
    void SetDevice(IDirect3DDevice9* newDevice) { device = newDevice; }
    // E_FAIL for a null model, else 0.
    HRESULT SetSocket(KModel* model, const char* socket);
    HRESULT SetNextSocket(const char* name);
    void SetBindMode(int mode) { bindMode = mode; }
    void SetScale(float value) { scale = value; }
    void SetAngle(float value) { angle = value; }

    const char* GetFolder() const { return folder; }
    const char* GetName() const { return name; }
    const char* GetSocketName() const { return socketName; }
    const char* GetNextSocketName() const { return nextSocketName; }
    int GetBindMode() const { return bindMode; }
    float GetScale() const { return scale; }
    float GetAngle() const { return angle; }
    IK3DEffectNode* GetNode() const { return node; }

    // Places the node at the socket by the bind mode; 0.
    HRESULT Update();
    // Places, loops and draws the node; E_FAIL without a node, else 0.
    HRESULT UpdateTimed();
    void Release();

    // --- Fields, in order ---
    IK3DEffectNode* node = nullptr;
    IDirect3DDevice9* device = nullptr;
    KModel* owner = nullptr;
    D3DXMATRIX socketMatrix;  // identity until a socket is found
    D3DXMATRIX savedWorld, savedView, savedProjection;
    D3DXMATRIX placement;
    DWORD startTime = 0;
    DWORD duration = 0;
    char* folder = nullptr;
    char* name = nullptr;
    char* socketName = nullptr;
    char* nextSocketName = nullptr;
    int32_t bindMode = kDefaultBindMode;
    float scale = 1.0f;
    float angle = 0.0f;  // kept and saved; the placement does not turn by it

private:
    // The dummy's world matrix through the owner's world matrix; false when
    // the owner has no dummy of that name.
    bool DummyWorld(const char* dummy, D3DXMATRIX* world) const;
    void PlaceBetweenSockets(const D3DXMATRIX& next, D3DXVECTOR3* pos, D3DXVECTOR3* dir, D3DXVECTOR3* size);
    void Draw();
};
