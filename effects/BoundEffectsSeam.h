// The bound-effect sets as a model drives them. The model makes a set for
// its mesh, loads it from a bound-effect file, adds, removes and chains
// effects on its sockets and draws them after itself; nothing else in
// scene/ reaches a set.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstddef>

class KBindEffectSet;
class KModel;

// Paths of bound-effect files fit 259 characters and their terminator.
constexpr size_t kBindPathSize = 260;

namespace bound_effects {

// A set with room for an effect on every dummy of the mesh; null when it
// cannot start on the device.
KBindEffectSet* Make(int dummyCount, IDirect3DDevice9* device, KModel* model);
void Destroy(KBindEffectSet* set);
// 1 when the file was read.
int Load(KBindEffectSet* set, const char* path);
int Count(const KBindEffectSet* set);
HRESULT Add(KBindEffectSet* set, const char* file, const char* socket, int mode, float scale, float angle);
void Remove(KBindEffectSet* set, const char* socket);
void RemoveAll(KBindEffectSet* set);
void SetNextSocket(KBindEffectSet* set, const char* socket, const char* nextSocket, int mode);
void DrawAll(KBindEffectSet* set);
// The set's file asks for the model's blade-light trail.
bool UsesBladeLight(const KBindEffectSet* set);

}  // namespace bound_effects
