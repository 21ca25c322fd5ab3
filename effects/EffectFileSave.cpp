// Writing a set as a version-6 effect file, through a temporary file that
// replaces the target only when everything was written.
#include <cstdint>
#include <vector>

#include "effects/EffectTrackBytes.h"
#include "effects/K3DEffectSet.h"
#include "effects/ReplacingFile.h"

using namespace effect_bytes;

namespace {

bool TracksWritable(const K3DEffectKeyTracks& tracks) {
    bool ok = true;
    tracks.ForEachTrack([&](const auto& track) {
        ok = ok && track.values.size() == track.times.size() && track.values.size() <= UINT32_MAX;
    });
    return ok;
}

bool SetWritable(const K3DEffectSet& set) {
    if (!set.ListsInStep()) return false;
    for (int i = 0; i < set.TracksCount(); ++i)
        if (!TracksWritable(*set.TracksAt(i))) return false;
    return true;
}

bool WriteHeader(KReplacingFile& out, K3DEffectSet& set) {
    K3DEffectFileHeader header;
    ClearEffectHeader(&header);
    header.magic = kEffectFileMagic;
    header.version = kEffectFileVersion;
    header.elementCount = uint32_t(set.ElementCount());
    header.duration = set.Duration();
    header.spinSpeed = set.SpinSpeed();
    header.scale[0] = set.Scale().x;
    header.scale[1] = set.Scale().y;
    header.scale[2] = set.Scale().z;
    header.additive = set.GetAdditiveBlend();
    header.extraValue = set.GetExtraValue();
    uint8_t bytes[kEffectHeaderSize];
    EncodeEffectHeader(header, bytes);
    return out.Write(bytes, sizeof bytes);
}

template <class V>
bool WriteTrack(KReplacingFile& out, const KEffectKeyTrack<V>& track) {
    if (track.values.empty()) return true;
    std::vector<uint8_t> values(track.values.size() * kValueBytes<V>);
    for (size_t k = 0; k < track.values.size(); ++k) PutValue(values.data() + k * kValueBytes<V>, track.values[k]);
    std::vector<uint8_t> times(track.times.size() * 4);
    for (size_t k = 0; k < track.times.size(); ++k) PutU32(times.data() + k * 4, uint32_t(track.times[k]));
    return out.Write(values.data(), values.size()) && out.Write(times.data(), times.size());
}

bool WriteTracks(KReplacingFile& out, const K3DEffectKeyTracks& tracks) {
    bool ok = true;
    tracks.ForEachTrack([&](const auto& track) {
        uint8_t count[4];
        PutU32(count, uint32_t(track.values.size()));
        ok = ok && out.Write(count, sizeof count);
    });
    tracks.ForEachTrack([&](const auto& track) { ok = ok && WriteTrack(out, track); });
    return ok;
}

}  // namespace

int SaveEffectSet(const char* fileName, K3DEffectSet* set) {
    if (!fileName || !set || !SetWritable(*set)) return 0;
    KReplacingFile out;
    if (!out.Open(fileName) || !WriteHeader(out, *set)) return 0;
    uint8_t record[kEffectElementRecordSize];
    for (int i = 0; i < set->ElementCount(); ++i) {
        EncodeElementRecord(set->ElementAt(i)->record, record);
        if (!out.Write(record, sizeof record)) return 0;
    }
    for (int i = 0; i < set->TracksCount(); ++i)
        if (!WriteTracks(out, *set->TracksAt(i))) return 0;
    return out.Commit() ? 1 : 0;
}
