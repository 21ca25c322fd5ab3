// Taking an animation track onto the mesh: vertex positions or offsets into
// the source mesh's vertex buffer, or bone matrices and the dummies on them.
#include <cstring>

#include "scene/KAnimation.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"

namespace {

D3DXVECTOR3 Lerp(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float t) { return a + t * (b - a); }

}  // namespace

HRESULT KMesh::ApplyAnimation(KAnimation* animation, int track, int mode, float time) {
    if (!animation) return 0;
    if (track < 0 || DWORD(track) >= animation->trackCount) return E_FAIL;
    if (mode < kPlayClamp || mode > kPlayOnceStepped) return E_FAIL;
    const KAnimTrack* data = animation->Track(track);
    if (!data) return E_FAIL;
    int f0 = 0, f1 = 0;
    float t = 0.0f;
    // A track without frames or interval changes nothing.
    if (!animation->GetFrames(&f0, &f1, &t, track, mode, time)) return 0;
    switch (data->type) {
        case kTrackVertexPositions: return AnimateVertices(*data, f0, f1, t, false);
        case kTrackVertexOffsets: return keptPositions.empty() ? 0 : AnimateVertices(*data, f0, f1, t, true);
        case kTrackSkeletal: AnimateSkeleton(*data, f0, f1, t); return 0;
        default: return 0;
    }
}

HRESULT KMesh::AnimateVertices(const KAnimTrack& track, int f0, int f1, float t, bool offsets) {
    DWORD meshVertices = 0;
    BYTE* vertices = LockSourceVertices(&meshVertices);
    if (!vertices) return E_FAIL;
    const size_t frames = track.frameCount;
    for (size_t k = 0; k < track.vertexIndices.size(); ++k) {
        const DWORD v = track.vertexIndices[k];
        if (v >= meshVertices) continue;
        D3DXVECTOR3 p = Lerp(track.vertexKeys[k * frames + size_t(f0)], track.vertexKeys[k * frames + size_t(f1)], t);
        if (offsets) {
            if (size_t(v) * 3 + 2 >= keptPositions.size()) continue;
            p += D3DXVECTOR3(&keptPositions[size_t(v) * 3]);
        }
        std::memcpy(vertices + size_t(v) * kMeshVertexSize, &p, sizeof p);
    }
    return UnlockSourceVertices() ? 0 : E_FAIL;
}

int KMesh::TrackBoneToMeshBone(const KAnimTrack& track, DWORD trackBone) const {
    if (currentModel && trackBone < DWORD(kTrackBoneTableSize)) return currentModel->trackBones[trackBone];
    return FindBoneIndex(track.boneNames[trackBone].data());
}

void KMesh::AnimateSkeleton(const KAnimTrack& track, int f0, int f1, float t) {
    const size_t frames = track.frameCount;
    for (DWORD k = 0; k < track.boneCount && k < track.boneNames.size(); ++k) {
        const int b = TrackBoneToMeshBone(track, k);
        if (b < 0 || DWORD(b) >= boneCount) continue;
        const D3DXMATRIX& m0 = track.boneMatrices[k * frames + size_t(f0)];
        const D3DXMATRIX& m1 = track.boneMatrices[k * frames + size_t(f1)];
        bones[size_t(b)].currentMatrix = m0 + (m1 - m0) * t;
    }
    for (DWORD d = 0; d < dummyCount && d < DWORD(kMaxMeshDummies); ++d) {
        if (dummyBones[d] == -1) dummyBones[d] = FindBoneIndex(dummies[d].boneName);
        const int b = dummyBones[d];
        if (b >= 0 && DWORD(b) < boneCount) UpdateDummy(int(d), b);
    }
}
