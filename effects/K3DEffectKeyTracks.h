// The six key tracks of one effect element: Position, Rotation, Color,
// Scale, Visible and Offset, each a list of (value, time) keys kept in
// ascending time order without duplicates by the add operations.
//
// The first four tracks blend linearly between keys, the last two step.
// Before its first key a linear track blends from its base at time 0;
// an empty track gives its default. Color has two bases: empty it is opaque
// white, before its first key it fades in from 0x00000000.
#pragma once

#include <windows.h>
#include <d3dx9math.h>

#include <cstdint>
#include <vector>

// One track: values and times of equal length.
template <class Value>
struct KEffectKeyTrack {
    using ValueType = Value;
    std::vector<Value> values;
    std::vector<int32_t> times;

    int Count() const { return int(values.size()); }
    bool InRange(int index) const { return index >= 0 && index < Count(); }
    bool Has(int time) const {
        for (int32_t t : times)
            if (t == time) return true;
        return false;
    }
    // Keys with a time not above `time`, counted from the start up to the
    // first later one.
    int KeysAtOrBefore(int time) const {
        int i = 0;
        while (i < Count() && times[size_t(i)] <= time) ++i;
        return i;
    }
    void Append(const Value& value, int32_t time) {
        values.push_back(value);
        times.push_back(time);
    }
    bool operator==(const KEffectKeyTrack& other) const { return values == other.values && times == other.times; }
};

using KVec3Track = KEffectKeyTrack<D3DXVECTOR3>;
using KFloatTrack = KEffectKeyTrack<float>;
using KColorTrack = KEffectKeyTrack<DWORD>;
using KIntTrack = KEffectKeyTrack<int32_t>;

// The object's table holds the 42 operations below and no destructor: its
// owners delete it as this class.
class K3DEffectKeyTracks final {
public:
    K3DEffectKeyTracks() = default;
    K3DEffectKeyTracks(const K3DEffectKeyTracks&) = default;
    K3DEffectKeyTracks& operator=(const K3DEffectKeyTracks&) = default;

    // 0-5: the count, also stored through the pointer when there is one.
    virtual int GetPositionKeyCount(int* count);
    virtual int GetRotationKeyCount(int* count);
    virtual int GetColorKeyCount(int* count);
    virtual int GetScaleKeyCount(int* count);
    virtual int GetVisibleKeyCount(int* count);
    virtual int GetOffsetKeyCount(int* count);
    // 6-11: a key has exactly that time.
    virtual bool HasPositionKey(int time);
    virtual bool HasRotationKey(int time);
    virtual bool HasColorKey(int time);
    virtual bool HasScaleKey(int time);
    virtual bool HasVisibleKey(int time);
    virtual bool HasOffsetKey(int time);
    // 12-17: false outside 0..count - 1.
    virtual bool GetPositionKey(int index, D3DXVECTOR3* value, int* time);
    virtual bool GetRotationKey(int index, float* value, int* time);
    virtual bool GetColorKey(int index, DWORD* value, int* time);
    virtual bool GetScaleKey(int index, D3DXVECTOR3* value, int* time);
    virtual bool GetVisibleKey(int index, int* value, int* time);
    virtual bool GetOffsetKey(int index, D3DXVECTOR3* value, int* time);
    // 18-23: the last key with exactly that time.
    virtual bool FindPositionKey(int time, D3DXVECTOR3* value, int* index);
    virtual bool FindRotationKey(int time, float* value, int* index);
    virtual bool FindColorKey(int time, DWORD* value, int* index);
    virtual bool FindScaleKey(int time, D3DXVECTOR3* value, int* index);
    virtual bool FindVisibleKey(int time, int* value, int* index);
    virtual bool FindOffsetKey(int time, D3DXVECTOR3* value, int* index);
    // 24-29: overwrite in place (the order may then break); false outside.
    virtual bool SetPositionKey(int index, float x, float y, float z, int time);
    virtual bool SetRotationKey(int index, float value, int time);
    virtual bool SetColorKey(int index, DWORD value, int time);
    virtual bool SetScaleKey(int index, float x, float y, float z, int time);
    virtual bool SetVisibleKey(int index, int value, int time);
    virtual bool SetOffsetKey(int index, float x, float y, float z, int time);
    // 30-35: insert in time order; a key at the same time is replaced.
    virtual bool AddPositionKey(float x, float y, float z, int time);
    virtual bool AddRotationKey(float value, int time);
    virtual bool AddColorKey(DWORD value, int time);
    virtual bool AddScaleKey(float x, float y, float z, int time);
    virtual bool AddVisibleKey(int value, int time);
    virtual bool AddOffsetKey(float x, float y, float z, int time);
    // 36-41: erase every key with that time; false when there was none.
    virtual bool RemovePositionKey(int time);
    virtual bool RemoveRotationKey(int time);
    virtual bool RemoveColorKey(int time);
    virtual bool RemoveScaleKey(int time);
    virtual bool RemoveVisibleKey(int time);
    virtual bool RemoveOffsetKey(int time);

    // The tracks at `time` (signed ms); sampling allocates nothing.
    void SamplePosition(int time, D3DXVECTOR3* out) const;
    void SampleRotation(int time, float* out) const;
    void SampleColor(int time, DWORD* out) const;
    void SampleScale(int time, D3DXVECTOR3* out) const;
    void SampleVisible(int time, int* out) const;
    void SampleOffset(int time, D3DXVECTOR3* out) const;

    bool operator==(const K3DEffectKeyTracks& other) const;

    // Calls f on each track in file order.
    template <class F>
    void ForEachTrack(F&& f) {
        f(position), f(rotation), f(color), f(scale), f(visible), f(offset);
    }
    template <class F>
    void ForEachTrack(F&& f) const {
        f(position), f(rotation), f(color), f(scale), f(visible), f(offset);
    }

    KVec3Track position;
    KFloatTrack rotation;
    KColorTrack color;
    KVec3Track scale;
    KIntTrack visible;
    KVec3Track offset;
};
