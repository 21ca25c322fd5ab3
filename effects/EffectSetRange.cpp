// A time range of a set as an effect of its own, for editing tools: every
// track starts with its value at t0 and ends with its value at t1, with the
// keys between moved to start at 0.
#include <cstdint>
#include <cstdio>
#include <limits>

#include "effects/K3DEffectSet.h"

namespace {

// Range keys of one track; `sample` gives the track's value at a time and
// `note` sees every key copied from the source.
template <class V, class Sample, class Note>
void CopyTrackRange(const KEffectKeyTrack<V>& from, KEffectKeyTrack<V>& to, int t0, int t1, Sample sample,
                    Note note) {
    to.Append(sample(t0), 0);
    for (int i = 0; i < from.Count(); ++i) {
        const int32_t time = from.times[size_t(i)];
        if (time <= t0 || time > t1) continue;
        note(from.values[size_t(i)]);
        to.Append(from.values[size_t(i)], int32_t(int64_t(time) - t0));
    }
    // A source key exactly at t1 ends the track twice, with equal values.
    to.Append(sample(t1), int32_t(int64_t(t1) - t0));
}

void NoteColor(DWORD color) {
    char line[32];
    std::snprintf(line, sizeof line, "0x%8X\n", unsigned(color));
    OutputDebugStringA(line);
}

void CopyTracksRange(const K3DEffectKeyTracks& from, K3DEffectKeyTracks& to, int t0, int t1) {
    const auto NoNote = [](const auto&) {};
    const auto vec3 = [&](void (K3DEffectKeyTracks::*sampler)(int, D3DXVECTOR3*) const) {
        return [&from, sampler](int t) {
            D3DXVECTOR3 v;
            (from.*sampler)(t, &v);
            return v;
        };
    };
    CopyTrackRange(from.position, to.position, t0, t1, vec3(&K3DEffectKeyTracks::SamplePosition), NoNote);
    CopyTrackRange(from.rotation, to.rotation, t0, t1, [&](int t) {
        float v;
        from.SampleRotation(t, &v);
        return v;
    }, NoNote);
    CopyTrackRange(from.color, to.color, t0, t1, [&](int t) {
        DWORD v;
        from.SampleColor(t, &v);
        return v;
    }, NoteColor);
    CopyTrackRange(from.scale, to.scale, t0, t1, vec3(&K3DEffectKeyTracks::SampleScale), NoNote);
    CopyTrackRange(from.visible, to.visible, t0, t1, [&](int t) {
        int v;
        from.SampleVisible(t, &v);
        return int32_t(v);
    }, NoNote);
    CopyTrackRange(from.offset, to.offset, t0, t1, vec3(&K3DEffectKeyTracks::SampleOffset), NoNote);
}

}  // namespace

bool CopyEffectRange(K3DEffectSet* source, int t0, int t1, K3DEffectSet* destination) {
    if (!source || !destination) return false;
    const int64_t span = int64_t(t1) - t0;
    if (span < 1 || span > std::numeric_limits<int32_t>::max()) return false;
    destination->SetAdditiveBlend(source->GetAdditiveBlend());
    destination->SetExtraValue(source->GetExtraValue());
    destination->SetSpinSpeed(source->SpinSpeed());
    destination->SetDuration(int(span));
    destination->ShareElementsOf(*source);
    for (int i = 0; i < source->ElementCount(); ++i) {
        auto* tracks = new K3DEffectKeyTracks;
        // An element without tracks keeps an empty set of them.
        if (const K3DEffectKeyTracks* from = source->GetElementTracks(i)) CopyTracksRange(*from, *tracks, t0, t1);
        destination->AppendTracks(tracks);
    }
    return true;
}

bool SaveEffectRange(const char* path, K3DEffectSet* source, int t0, int t1) {
    if (!source || t0 < 0 || t1 > source->Duration()) return false;
    K3DEffectSet range;
    // The elements stay the source's, whatever happens.
    struct Forget {
        K3DEffectSet& set;
        ~Forget() { set.ForgetSharedElements(); }
    } forget{range};
    return CopyEffectRange(source, t0, t1, &range) && SaveEffectSet(path, &range) == 1;
}
