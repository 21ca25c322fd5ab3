#include "effects/K3DEffectKeyTracks.h"

namespace {

template <class V>
int CountOf(const KEffectKeyTrack<V>& track, int* count) {
    if (count) *count = track.Count();
    return track.Count();
}

template <class V, class Out>
bool GetKey(const KEffectKeyTrack<V>& track, int index, Out* value, int* time) {
    if (!track.InRange(index)) return false;
    if (value) *value = Out(track.values[size_t(index)]);
    if (time) *time = track.times[size_t(index)];
    return true;
}

template <class V, class Out>
bool FindKey(const KEffectKeyTrack<V>& track, int time, Out* value, int* index) {
    for (int i = track.Count() - 1; i >= 0; --i) {
        if (track.times[size_t(i)] != time) continue;
        if (value) *value = Out(track.values[size_t(i)]);
        if (index) *index = i;
        return true;
    }
    return false;
}

template <class V>
bool SetKey(KEffectKeyTrack<V>& track, int index, const V& value, int time) {
    if (!track.InRange(index)) return false;
    track.values[size_t(index)] = value;
    track.times[size_t(index)] = time;
    return true;
}

template <class V>
bool AddKey(KEffectKeyTrack<V>& track, const V& value, int time) {
    size_t i = 0;
    while (i < track.times.size() && track.times[i] < time) ++i;
    if (i < track.times.size() && track.times[i] == time) {
        track.values[i] = value;
        return true;
    }
    track.values.insert(track.values.begin() + std::ptrdiff_t(i), value);
    track.times.insert(track.times.begin() + std::ptrdiff_t(i), time);
    return true;
}

template <class V>
bool RemoveKey(KEffectKeyTrack<V>& track, int time) {
    bool removed = false;
    for (size_t i = track.times.size(); i-- > 0;) {
        if (track.times[i] != time) continue;
        track.values.erase(track.values.begin() + std::ptrdiff_t(i));
        track.times.erase(track.times.begin() + std::ptrdiff_t(i));
        removed = true;
    }
    return removed;
}

}  // namespace

int K3DEffectKeyTracks::GetPositionKeyCount(int* count) { return CountOf(position, count); }
int K3DEffectKeyTracks::GetRotationKeyCount(int* count) { return CountOf(rotation, count); }
int K3DEffectKeyTracks::GetColorKeyCount(int* count) { return CountOf(color, count); }
int K3DEffectKeyTracks::GetScaleKeyCount(int* count) { return CountOf(scale, count); }
int K3DEffectKeyTracks::GetVisibleKeyCount(int* count) { return CountOf(visible, count); }
int K3DEffectKeyTracks::GetOffsetKeyCount(int* count) { return CountOf(offset, count); }

bool K3DEffectKeyTracks::HasPositionKey(int time) { return position.Has(time); }
bool K3DEffectKeyTracks::HasRotationKey(int time) { return rotation.Has(time); }
bool K3DEffectKeyTracks::HasColorKey(int time) { return color.Has(time); }
bool K3DEffectKeyTracks::HasScaleKey(int time) { return scale.Has(time); }
bool K3DEffectKeyTracks::HasVisibleKey(int time) { return visible.Has(time); }
bool K3DEffectKeyTracks::HasOffsetKey(int time) { return offset.Has(time); }

bool K3DEffectKeyTracks::GetPositionKey(int index, D3DXVECTOR3* value, int* time) {
    return GetKey(position, index, value, time);
}
bool K3DEffectKeyTracks::GetRotationKey(int index, float* value, int* time) {
    return GetKey(rotation, index, value, time);
}
bool K3DEffectKeyTracks::GetColorKey(int index, DWORD* value, int* time) { return GetKey(color, index, value, time); }
bool K3DEffectKeyTracks::GetScaleKey(int index, D3DXVECTOR3* value, int* time) {
    return GetKey(scale, index, value, time);
}
bool K3DEffectKeyTracks::GetVisibleKey(int index, int* value, int* time) {
    return GetKey(visible, index, value, time);
}
bool K3DEffectKeyTracks::GetOffsetKey(int index, D3DXVECTOR3* value, int* time) {
    return GetKey(offset, index, value, time);
}

bool K3DEffectKeyTracks::FindPositionKey(int time, D3DXVECTOR3* value, int* index) {
    return FindKey(position, time, value, index);
}
bool K3DEffectKeyTracks::FindRotationKey(int time, float* value, int* index) {
    return FindKey(rotation, time, value, index);
}
bool K3DEffectKeyTracks::FindColorKey(int time, DWORD* value, int* index) { return FindKey(color, time, value, index); }
bool K3DEffectKeyTracks::FindScaleKey(int time, D3DXVECTOR3* value, int* index) {
    return FindKey(scale, time, value, index);
}
bool K3DEffectKeyTracks::FindVisibleKey(int time, int* value, int* index) {
    return FindKey(visible, time, value, index);
}
bool K3DEffectKeyTracks::FindOffsetKey(int time, D3DXVECTOR3* value, int* index) {
    return FindKey(offset, time, value, index);
}

bool K3DEffectKeyTracks::SetPositionKey(int index, float x, float y, float z, int time) {
    return SetKey(position, index, D3DXVECTOR3(x, y, z), time);
}
bool K3DEffectKeyTracks::SetRotationKey(int index, float value, int time) {
    return SetKey(rotation, index, value, time);
}
bool K3DEffectKeyTracks::SetColorKey(int index, DWORD value, int time) { return SetKey(color, index, value, time); }
bool K3DEffectKeyTracks::SetScaleKey(int index, float x, float y, float z, int time) {
    return SetKey(scale, index, D3DXVECTOR3(x, y, z), time);
}
bool K3DEffectKeyTracks::SetVisibleKey(int index, int value, int time) {
    return SetKey(visible, index, int32_t(value), time);
}
bool K3DEffectKeyTracks::SetOffsetKey(int index, float x, float y, float z, int time) {
    return SetKey(offset, index, D3DXVECTOR3(x, y, z), time);
}

bool K3DEffectKeyTracks::AddPositionKey(float x, float y, float z, int time) {
    return AddKey(position, D3DXVECTOR3(x, y, z), time);
}
bool K3DEffectKeyTracks::AddRotationKey(float value, int time) { return AddKey(rotation, value, time); }
bool K3DEffectKeyTracks::AddColorKey(DWORD value, int time) { return AddKey(color, value, time); }
bool K3DEffectKeyTracks::AddScaleKey(float x, float y, float z, int time) {
    return AddKey(scale, D3DXVECTOR3(x, y, z), time);
}
bool K3DEffectKeyTracks::AddVisibleKey(int value, int time) { return AddKey(visible, int32_t(value), time); }
bool K3DEffectKeyTracks::AddOffsetKey(float x, float y, float z, int time) {
    return AddKey(offset, D3DXVECTOR3(x, y, z), time);
}

bool K3DEffectKeyTracks::RemovePositionKey(int time) { return RemoveKey(position, time); }
bool K3DEffectKeyTracks::RemoveRotationKey(int time) { return RemoveKey(rotation, time); }
bool K3DEffectKeyTracks::RemoveColorKey(int time) { return RemoveKey(color, time); }
bool K3DEffectKeyTracks::RemoveScaleKey(int time) { return RemoveKey(scale, time); }
bool K3DEffectKeyTracks::RemoveVisibleKey(int time) { return RemoveKey(visible, time); }
bool K3DEffectKeyTracks::RemoveOffsetKey(int time) { return RemoveKey(offset, time); }

bool K3DEffectKeyTracks::operator==(const K3DEffectKeyTracks& other) const {
    return position == other.position && rotation == other.rotation && color == other.color &&
           scale == other.scale && visible == other.visible && offset == other.offset;
}
