// Reading animation files: every track is checked against the bytes left
// before anything is allocated, and a file is taken whole or not at all.
#include <cstring>

#include "scene/KAnimation.h"
#include "scene/ModelFileBytes.h"

namespace {

constexpr uint32_t kAnimationTag = 0x414E494D;
constexpr uint64_t kAnimationMatrixBytes = 64;
constexpr uint64_t kKeyBytes = 12;

using TrackList = std::vector<std::unique_ptr<KAnimTrack>>;

// count x frames items of `each` bytes fit in what is left.
bool FitsKeys(const KFileCursor& file, uint64_t count, uint64_t frames, uint64_t each) {
    if (frames != 0 && count > UINT64_MAX / frames) return false;
    return file.Fits(count * frames, each);
}

const char* ReadSkeletal(KFileCursor& file, KAnimTrack* track) {
    if (!file.U32(&track->boneCount) || !file.U32(&track->frameCount) || !file.F32(&track->frameInterval))
        return "cut short";
    if (!file.Fits(track->boneCount, kTrackNameSize)) return "bone count past the end";
    track->boneNames.resize(track->boneCount);
    for (KTrackName& name : track->boneNames)
        if (!file.Name(kTrackNameSize, name.data(), name.size())) return "cut short";
    if (!FitsKeys(file, track->boneCount, track->frameCount, kAnimationMatrixBytes)) return "bone keys past the end";
    track->boneMatrices.resize(size_t(track->boneCount) * track->frameCount);
    for (D3DXMATRIX& m : track->boneMatrices)
        if (!file.Matrix(&m)) return "cut short";
    return nullptr;
}

const char* ReadVertexTrack(KFileCursor& file, KAnimTrack* track) {
    if (!file.Skip(4) || !file.U32(&track->vertexCount) || !file.U32(&track->frameCount) ||
        !file.F32(&track->frameInterval))
        return "cut short";
    if (!file.Fits(track->vertexCount, 4)) return "vertex count past the end";
    track->vertexIndices.resize(track->vertexCount);
    for (DWORD& v : track->vertexIndices)
        if (!file.U32(&v)) return "cut short";
    if (!FitsKeys(file, track->vertexCount, track->frameCount, kKeyBytes)) return "vertex keys past the end";
    track->vertexKeys.resize(size_t(track->vertexCount) * track->frameCount);
    for (D3DXVECTOR3& p : track->vertexKeys)
        if (!file.F32(&p.x) || !file.F32(&p.y) || !file.F32(&p.z)) return "cut short";
    return nullptr;
}

const char* ReadTrack(KFileCursor& file, KAnimTrack* track) {
    uint32_t type = 0;
    if (!file.U32(&type) || !file.Name(kTrackNameSize, track->name.data(), track->name.size())) return "cut short";
    track->type = int32_t(type);
    switch (type) {
        case kTrackSkeletal: return ReadSkeletal(file, track);
        case kTrackVertexPositions:
        case kTrackVertexOffsets: return ReadVertexTrack(file, track);
        default: return "unknown track type";  // the next track could not be found
    }
}

const char* ReadTracks(KFileCursor& file, TrackList* tracks) {
    uint32_t tag = 0, count = 0;
    if (!file.U32(&tag) || tag != kAnimationTag) return "not an animation file";
    if (!file.Skip(4) || !file.U32(&count)) return "cut short";
    // A track is at least its type and name.
    if (!file.Fits(count, 4 + kTrackNameSize)) return "track count past the end";
    tracks->reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        tracks->push_back(std::make_unique<KAnimTrack>());
        if (const char* why = ReadTrack(file, tracks->back().get())) return why;
    }
    if (!file.Skip(4)) return "cut short";
    return nullptr;
}

}  // namespace

KAnimation::~KAnimation() { Clear(); }

HRESULT KAnimation::Load(const char* fileName) {
    std::vector<uint8_t> bytes;
    if (!ReadModelFile(fileName, &bytes)) return E_FAIL;
    KFileCursor file(bytes.data(), bytes.size());
    TrackList read;
    if (const char* why = ReadTracks(file, &read)) {
        LogRefusedModelFile(fileName, why);
        return E_FAIL;
    }
    for (auto& track : read) tracks.push_back(std::move(track));
    trackCount = DWORD(tracks.size());
    return 0;
}

int KAnimation::FindTrack(const char* name) const {
    if (!name) return -1;
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i] && std::strcmp(tracks[i]->name.data(), name) == 0) return int(i);
    return -1;
}

void KAnimation::Clear() {
    tracks.clear();
    trackCount = 0;
}

const KAnimTrack* KAnimation::Track(int index) const {
    if (index < 0 || DWORD(index) >= trackCount || size_t(index) >= tracks.size()) return nullptr;
    return tracks[size_t(index)].get();
}
