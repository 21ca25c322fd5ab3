// The bound effects of one model, one a socket, in the order they were
// added. The model makes the set, adds and removes effects through it and
// draws them all with UpdateAll after itself. A set is read from and saved
// to a bound-effect ini file:
//
//   [Total]    TotalEffectNum, UseBladeLight (read, not written back)
//   [Effect1]  Path, Name, SocketName, BindMode, Scale, Angle and, for bind
//              modes 3 and 4, NextSocketName
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "effects/KBindEffect.h"

class KModel;

// Totals above this are refused like negative ones.
constexpr int kMaxBindEffects = 1024;

class KBindEffectSet {
public:
    // `dummyCount`: room kept for an effect on every dummy of the mesh.
    explicit KBindEffectSet(int dummyCount = 0);
    ~KBindEffectSet();
    KBindEffectSet(const KBindEffectSet&) = delete;
    KBindEffectSet& operator=(const KBindEffectSet&) = delete;

    // E_FAIL for a null device. Hands the device to the shell when the
    // module has none yet.
    HRESULT Init(IDirect3DDevice9* newDevice, KModel* model);
    // Replaces the effect at the socket, or appends a new one. E_FAIL
    // (nothing changed) for a null file or socket, a socket name over 29
    // characters or a file path over 259.
    HRESULT AddEffect(const char* file, const char* socket, int mode, float scale, float angle);
    // E_FAIL when no effect sits at the socket.
    HRESULT RemoveEffect(const char* socket);
    void RemoveAllEffects();
    HRESULT SetNextSocket(const char* socket, const char* nextSocket, int mode);
    HRESULT UpdateAll();
    // Index of the effect at that socket (exact name), or -1.
    int FindEffect(const char* socket) const;
    // Null for an index out of range.
    KBindEffect* GetEffect(int index) const;
    int GetEffectCount() const { return effectCount; }

    // 1 when the file was read (each section that names an effect adds
    // it); 0 for a missing file or a total below 0 or above 1024.
    int LoadBindEffects(const char* path);
    // Writes the effects to the file last loaded, replacing it; 0 without
    // such a file or when it cannot be written, else 1.
    int SaveBindEffects();
    void Clear();

    // --- Fields, in order ---
    std::vector<KBindEffect*> effects;
    KModel* owner = nullptr;
    IDirect3DDevice9* device = nullptr;
    int32_t effectCount = 0;
    char iniPath[kBindPathSize] = {};
    int32_t useBladeLight = 0;
};
