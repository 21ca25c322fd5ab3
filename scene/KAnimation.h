// The named animation tracks of a model, read from animation files: a
// skeletal track holds one matrix per bone and frame, a vertex track one
// position per animated vertex and frame. Frames lie a fixed interval
// apart; a time falls between two frames by one of four play modes.
#pragma once

#include <windows.h>
#include <d3dx9math.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

constexpr size_t kTrackNameSize = 30;

enum KAnimTrackType : int32_t {
    kTrackOther = 0,
    kTrackVertexPositions = 1,
    kTrackVertexOffsets = 2,
    kTrackSkeletal = 10,
};

enum KAnimPlayMode : int32_t {
    kPlayClamp = 0,
    kPlayLoop = 1,
    kPlayPingPong = 2,
    kPlayOnceStepped = 3,
};

using KTrackName = std::array<char, kTrackNameSize>;

struct KAnimTrack {
    int32_t type = kTrackOther;
    KTrackName name{};  // always terminated
    DWORD frameCount = 0;
    float frameInterval = 0.0f;  // ms a frame
    // Vertex tracks: key of vertex k at frame f is vertexKeys[k x frames + f].
    DWORD vertexCount = 0;
    std::vector<DWORD> vertexIndices;
    std::vector<D3DXVECTOR3> vertexKeys;
    // Skeletal tracks: matrix of bone k at frame f is boneMatrices[k x frames + f].
    DWORD boneCount = 0;
    std::vector<KTrackName> boneNames;
    std::vector<D3DXMATRIX> boneMatrices;
};

class KAnimation {
public:
    KAnimation() = default;
    // Frees the tracks.
    virtual ~KAnimation();
    KAnimation(const KAnimation&) = delete;
    KAnimation& operator=(const KAnimation&) = delete;

    // Appends the file's tracks after those held. E_FAIL (nothing
    // appended, one log line for a malformed file) when it cannot be read.
    HRESULT Load(const char* fileName);
    // Index of the first track of exactly that name, -1 when none.
    int FindTrack(const char* name) const;
    BYTE GetFlag() const { return loopFlag; }
    void SetFlag(BYTE flag) { loopFlag = flag; }
    void Clear();
    // The frames at `time` (ms) of track `track` by `mode`, frames within
    // 0..F-1. Writes nothing and returns false for a track or mode out of
    // range or a track without frames or interval. A looping track that
    // passes its last frame sets the loop flag.
    bool GetFrames(int* f0, int* f1, float* t, int track, int mode, float time);

    const KAnimTrack* Track(int index) const;

    DWORD trackCount = 0;
    std::vector<std::unique_ptr<KAnimTrack>> tracks;
    BYTE loopFlag = 0;
};
