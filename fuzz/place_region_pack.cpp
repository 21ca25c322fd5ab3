// A packed region cache from hostile bytes: loaded, every region in and
// around its bounds opened, each memory file driven by a script of seeks
// and reads whose results must keep the memory file's promises, every blob
// read whole, and every reference given back until the pack goes.
//
// Input: u8 k (script steps, at most 16), k x (i32 offset, u8 origin and
// read length), then the pack file.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ByteWriter.h"
#include "MapWriter.h"
#include "PakPreloads.h"
#include "place/RegionPack.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

constexpr const char* kPackPath = "\\Maps\\fuzz_c.dat";
constexpr size_t kStepBytes = 5;
constexpr size_t kMaxSteps = 16;

void Check(bool promise) {
    if (!promise) std::abort();
}

Bytes Input(const std::vector<std::pair<int32_t, uint8_t>>& script, const Bytes& pack) {
    ByteWriter out;
    out.U8(uint8_t(script.size()));
    for (const auto& [offset, code] : script) {
        out.I32(offset);
        out.U8(code);
    }
    out.Bytes(pack);
    return out.Take();
}

void RunScript(KMemFile& file, const uint8_t* script, size_t steps) {
    uint8_t buffer[256];
    for (size_t i = 0; i < steps; ++i) {
        const uint8_t* step = script + i * kStepBytes;
        const int32_t offset = int32_t(uint32_t(step[0]) | uint32_t(step[1]) << 8 | uint32_t(step[2]) << 16 |
                                       uint32_t(step[3]) << 24);
        const uint32_t moved = file.Seek(offset, step[4] & 3);
        Check(moved == file.Tell() && moved <= file.Size());
        const uint32_t before = file.Tell();
        const uint32_t want = step[4] >> 2;
        const uint32_t got = file.Read(buffer, want);
        Check(got <= want && got == std::min(want, file.Size() - before) && file.Tell() == before + got);
    }
}

}  // namespace

LUMIVA_FUZZ_SEEDS(place_region_pack) {
    RegionPackFields pack{10, 12, 20, 21, {}, {}};
    pack.blobs[{10, 20}] = {1, 2, 3, 4};
    pack.blobs[{12, 21}] = Text("a whole region file would go here");
    const std::vector<std::pair<int32_t, uint8_t>> script = {{-5, 0 | 4 << 2}, {10, 2 | 9 << 2}, {2, 1 | 3 << 2}};
    RegionPackFields widest{10, 190, 190, 190, {}, {}};
    RegionPackFields reversed{12, 11, 10, 10, {}, {}};
    RegionPackFields oversized{10, 10, 10, 10, {}, {{{10, 10}, 0xFFFFFFFFu}}};
    return {
        {"three-by-two", Input(script, WriteRegionPack(pack))},
        {"widest-row", Input(script, WriteRegionPack(widest))},
        {"reversed", Input({}, WriteRegionPack(reversed))},
        {"oversized", Input({}, WriteRegionPack(oversized))},
        {"cut", Input(script, Truncated(WriteRegionPack(pack), 30))},
    };
}

LUMIVA_FUZZ_TARGET(place_region_pack, data, size) {
    if (size < 1) return;
    const size_t steps = std::min<size_t>(data[0], kMaxSteps);
    if (1 + steps * kStepBytes > size) return;
    const uint8_t* script = data + 1;
    const Bytes file(data + 1 + steps * kStepBytes, data + size);

    basrel::ResetPreloads();
    std::string key;
    Check(basrel::PreloadKey(kPackPath, key));
    basrel::StorePreload(key, 1, std::make_shared<const std::vector<uint8_t>>(file));
    KRegionPack* pack = LoadRegionPack(kPackPath);
    basrel::ResetPreloads();
    if (!pack) return;
    Check(pack->XMin() >= 10 && pack->XMax() <= 190 && pack->XMin() <= pack->XMax());
    Check(pack->YMin() >= 10 && pack->YMax() <= 190 && pack->YMin() <= pack->YMax());

    std::vector<std::unique_ptr<KMemFile>> open;
    uint64_t total = 0;
    for (int32_t rx = pack->XMin() - 1; rx <= pack->XMax() + 1; ++rx) {
        for (int32_t ry = pack->YMin() - 1; ry <= pack->YMax() + 1; ++ry) {
            std::unique_ptr<KMemFile> memory(pack->OpenRegion(rx, ry));
            const bool inside = rx >= pack->XMin() && rx <= pack->XMax() && ry >= pack->YMin() && ry <= pack->YMax();
            Check(inside == (memory != nullptr));
            if (!memory) continue;
            total += memory->Size();
            if (memory->Size() == 0) continue;
            RunScript(*memory, script, steps);
            std::vector<uint8_t> blob(memory->Size());
            memory->Seek(0, 0);
            Check(memory->Read(blob.data(), uint32_t(blob.size())) == blob.size());
            open.push_back(std::move(memory));
        }
    }
    Check(total <= file.size());
    Check(pack->RefCount() == 1 + int32_t(open.size()));
    pack->Release();  // the files keep it alive
    open.clear();
}
