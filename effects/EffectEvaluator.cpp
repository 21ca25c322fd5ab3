// The set's evaluator face: samplers over given tracks, an element's place
// at a time, and the key times editing tools step through.
#include <algorithm>

#include "effects/K3DEffectSet.h"

void K3DEffectSet::SamplePosition(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) {
    if (tracks) tracks->SamplePosition(time, out);
}
void K3DEffectSet::SampleRotation(float* out, int time, const K3DEffectKeyTracks* tracks) {
    if (tracks) tracks->SampleRotation(time, out);
}
void K3DEffectSet::SampleColor(DWORD* out, int time, const K3DEffectKeyTracks* tracks) {
    if (tracks) tracks->SampleColor(time, out);
}
void K3DEffectSet::SampleScale(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) {
    if (tracks) tracks->SampleScale(time, out);
}
void K3DEffectSet::SampleVisible(int* out, int time, const K3DEffectKeyTracks* tracks) {
    if (tracks) tracks->SampleVisible(time, out);
}
void K3DEffectSet::SampleOffset(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) {
    if (tracks) tracks->SampleOffset(time, out);
}

void K3DEffectSet::TransformPoint(float* x, float* y, float* z, int time, DWORD id) {
    TransformElementPoint(x, y, z, time, id);
}

void K3DEffectSet::TransformElementPoint(float* x, float* y, float* z, int time, DWORD id) {
    const int index = IndexOf(id);
    if (index < 0) return;
    D3DXVECTOR3 position(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 offset(0.0f, 0.0f, 0.0f);
    if (const K3DEffectKeyTracks* tracks = GetElementTracks(index)) {
        tracks->SamplePosition(time, &position);
        tracks->SampleOffset(time, &offset);
    }
    const D3DXVECTOR3 translation = position + m_elements[size_t(index)]->Pivot() + offset;
    D3DXMATRIX spin;
    D3DXMatrixRotationY(&spin, float(time) * m_spinSpeed * 0.001f);
    D3DXVECTOR3 turned;
    D3DXVec3TransformCoord(&turned, &translation, &spin);
    if (x) *x = turned.x;
    if (y) *y = turned.y;
    if (z) *z = turned.z;
}

namespace {

void InsertSorted(std::vector<int>& list, int time) {
    const auto at = std::lower_bound(list.begin(), list.end(), time);
    if (at == list.end() || *at != time) list.insert(at, time);
}

void CollectTrackTimes(std::vector<int>& list, const K3DEffectKeyTracks& tracks) {
    tracks.ForEachTrack([&](const auto& track) {
        for (int32_t time : track.times) InsertSorted(list, time);
    });
}

}  // namespace

bool K3DEffectSet::CollectKeyTimes(std::vector<int>* list, int id) {
    if (id < 0) return true;
    if (!list) return false;
    if (id == 0) {
        for (const K3DEffectKeyTracks* tracks : m_tracks)
            if (tracks) CollectTrackTimes(*list, *tracks);
        return true;
    }
    const K3DEffectKeyTracks* tracks = FindElementTracks(DWORD(id));
    if (!tracks) return false;
    CollectTrackTimes(*list, *tracks);
    return true;
}

bool K3DEffectSet::GetAdjacentKeyTime(int time, bool backwards, int* out, int id) {
    std::vector<int> times;
    if (!CollectKeyTimes(&times, id)) return false;
    if (times.empty() || !out) return true;
    if (backwards) {
        const auto before = std::lower_bound(times.begin(), times.end(), time);
        *out = before == times.begin() ? times.front() : *(before - 1);
    } else {
        const auto after = std::upper_bound(times.begin(), times.end(), time);
        *out = after == times.end() ? times.back() : *after;
    }
    return true;
}
