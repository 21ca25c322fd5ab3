// Reading an effect file into a fresh set. Sizes and counts from the file
// are checked in 64 bits against the bytes it holds before anything is
// sized by them.
#include <cstdint>
#include <memory>
#include <vector>

#include "lumiva/basrel/KPakFile.h"
#include "effects/EffectTrackBytes.h"
#include "effects/K3DEffectSet.h"

using namespace effect_bytes;

namespace {

void TakeHeader(const K3DEffectFileHeader& header, K3DEffectSet* set) {
    if (header.version > 3) set->SetScale(D3DXVECTOR3(header.scale));
    set->SetDuration(header.duration);
    set->SetSpinSpeed(header.spinSpeed);
    set->SetAdditiveBlend(header.version >= 5 ? header.additive : 0);
    set->SetExtraValue(header.version >= 6 ? header.extraValue : 0);
}

bool ReadElements(KPakFile& file, uint32_t count, K3DEffectSet* set) {
    uint8_t bytes[kEffectElementRecordSize];
    for (uint32_t i = 0; i < count; ++i) {
        auto element = std::make_unique<K3DEffectElement>();
        if (file.Read(bytes, sizeof bytes) != sizeof bytes) return false;
        DecodeElementRecord(bytes, &element->record);
        K3DEffectElement* kept = element.release();
        set->AppendElement(kept);
        kept->LoadRecordFiles();
    }
    return true;
}

template <class V>
const uint8_t* TakeTrack(const uint8_t* p, uint32_t count, KEffectKeyTrack<V>& track) {
    track.values.resize(count);
    track.times.resize(count);
    for (uint32_t k = 0; k < count; ++k, p += kValueBytes<V>) GetValue(p, &track.values[k]);
    for (uint32_t k = 0; k < count; ++k, p += 4) track.times[k] = int32_t(GetU32(p));
    return p;
}

bool ReadTracks(KPakFile& file, K3DEffectSet* set) {
    uint8_t countBytes[4 * kEffectTrackCount];
    if (file.Read(countBytes, sizeof countBytes) != sizeof countBytes) return false;
    uint32_t counts[kEffectTrackCount];
    uint64_t needed = 0;
    for (uint32_t k = 0; k < kEffectTrackCount; ++k) {
        counts[k] = GetU32(countBytes + 4 * k);
        needed += uint64_t(counts[k]) * kEffectKeyBytes[k];
    }
    if (needed > uint64_t(file.Size()) - file.Tell()) return false;
    std::vector<uint8_t> data(static_cast<size_t>(needed));
    if (file.Read(data.data(), uint32_t(needed)) != needed) return false;
    auto tracks = std::make_unique<K3DEffectKeyTracks>();
    const uint8_t* p = data.data();
    uint32_t k = 0;
    tracks->ForEachTrack([&](auto& track) { p = TakeTrack(p, counts[k++], track); });
    set->AppendTracks(tracks.release());
    return true;
}

}  // namespace

int LoadEffectSet(K3DEffectSet* set, const char* fileName) {
    if (!set || !fileName) return 0;
    set->SetName(fileName);
    KPakFile file;
    if (!file.Open(fileName)) return 0;
    K3DEffectFileHeader header;
    if (!ReadEffectFileHeader(file, &header)) return 0;
    if (header.magic != kEffectFileMagic || header.version > kEffectFileVersion) return 0;
    TakeHeader(header, set);
    const uint64_t tracksAt = kEffectHeaderSize + uint64_t(header.elementCount) * kEffectElementRecordSize;
    if (tracksAt > file.Size()) return 0;
    // The records follow the header and the tracks the records, so reading
    // on is the seek to each (and has no 31-bit offset to overflow).
    if (!ReadElements(file, header.elementCount, set)) return 0;
    if (file.Tell() != tracksAt) return 0;
    for (uint32_t i = 0; i < header.elementCount; ++i)
        if (!ReadTracks(file, set)) return 0;
    return 1;
}
