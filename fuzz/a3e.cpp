// Effect files: the header, element records and key tracks; then every
// track of an accepted set sampled at a few times, every element built, and
// the set saved, loaded back and saved again to the same bytes.
#include <climits>
#include <cstdlib>
#include <vector>

#include "A3eWriter.h"
#include "KPakFile.h"
#include "effects/K3DEffectSet.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

a3e::Tracks SomeTracks(int32_t shift) {
    a3e::Tracks t;
    t.position = {{{1, 2, 3}, 0 + shift}, {{4, 5, 6}, 500 + shift}};
    t.rotation = {{0.5f, 250 + shift}};
    t.color = {{0x80FF8040u, 100 + shift}, {0xFF000000u, 900 + shift}};
    t.scale = {{{2, 2, 2}, 1000 + shift}};
    t.visible = {{0, 300 + shift}};
    t.offset = {{{0, 1, 0}, 200 + shift}};
    return t;
}

a3e::File SampleFile(uint32_t version) {
    a3e::File file;
    file.version = version;
    file.spinSpeed = 0.5f;
    file.scale = {2, 1, 2};
    file.additive = 1;
    const float dims[6][3] = {{10, 5, 0}, {4, 8, 0}, {6, 0, 0}, {5, 7, 3}, {2, 2, 0}, {0, 0, 0}};
    const int segments[6][2] = {{0, 0}, {0, 0}, {4, 8}, {12, 0}, {0, 0}, {1, 0}};
    for (uint8_t type = 1; type <= 6; ++type) {
        a3e::Element e;
        e.type = type;
        e.name = "element" + std::to_string(type);
        e.dimension = {dims[type - 1][0], dims[type - 1][1], dims[type - 1][2]};
        e.segments = {segments[type - 1][0], segments[type - 1][1]};
        e.mappingMode = type == 3 ? 4 : int32_t(type % 4);
        e.fileName = type == 6 ? "models\\orb" : "";
        file.elements.push_back(e);
        file.tracks.push_back(SomeTracks(type * 10));
    }
    return file;
}

void Sample(const K3DEffectKeyTracks& tracks, int time) {
    D3DXVECTOR3 v;
    float f;
    DWORD c;
    int i;
    tracks.SamplePosition(time, &v);
    tracks.SampleRotation(time, &f);
    tracks.SampleColor(time, &c);
    tracks.SampleScale(time, &v);
    tracks.SampleVisible(time, &i);
    tracks.SampleOffset(time, &v);
}

std::vector<uint8_t> Saved(K3DEffectSet& set, const char* name) {
    std::vector<uint8_t> bytes;
    if (SaveEffectSet(name, &set) != 1 || !ReadWholeFile(name, UINT32_MAX, bytes)) std::abort();
    return bytes;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(a3e) {
    SeedList seeds;
    for (uint32_t v = 0; v <= 6; ++v) seeds.push_back({"sample-v" + std::to_string(v), a3e::WriteA3e(SampleFile(v))});
    seeds.push_back({"empty", a3e::WriteA3e(a3e::File{})});
    a3e::File counted = SampleFile(6);
    counted.tracks[2].countOverride[a3e::kColor] = 7;
    seeds.push_back({"count-past-end", a3e::WriteA3e(counted)});
    const Bytes sample = a3e::WriteA3e(SampleFile(6));
    seeds.push_back({"cut", Truncated(sample, sample.size() - 9)});
    return seeds;
}

LUMIVA_FUZZ_TARGET(a3e, data, size) {
    ServeFile("fuzz.a3e", data, size);
    K3DEffectSet set;
    if (!LoadEffectSet(&set, "fuzz.a3e")) return;
    const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    for (int i = 0; i < set.ElementCount(); ++i) {
        const K3DEffectKeyTracks* tracks = set.GetElementTracks(i);
        for (int time : {INT_MIN, -1, 0, 1, 250, 999, INT_MAX}) Sample(*tracks, time);
        D3DXVECTOR3 offset, scale;
        DWORD color;
        tracks->SampleOffset(250, &offset);
        tracks->SampleScale(250, &scale);
        tracks->SampleColor(250, &color);
        set.BuildElementGeometry(set.GetElement(i), identity, offset, scale, color, 1.0f, 1.0f);
    }
    const std::vector<uint8_t> first = Saved(set, "fuzz-saved.a3e");
    K3DEffectSet again;
    if (!LoadEffectSet(&again, "fuzz-saved.a3e")) std::abort();
    if (Saved(again, "fuzz-saved-again.a3e") != first) std::abort();
}
