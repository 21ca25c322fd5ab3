// One fuzz target per file in fuzz/, written as
//
//   LUMIVA_FUZZ_SEEDS(ini) { return {{"two-sections", Text("[a]\nk=1\n[b]\n")}}; }
//   LUMIVA_FUZZ_TARGET(ini, data, size) { ServeFile("fuzz.ini", data, size); ... }
//
// The same file builds two ways: alone with libFuzzer as fuzz-<name>, and
// together with every other target into lumiva-fuzz-seeds
// (LUMIVA_FUZZ_SEED_PROGRAM), which writes each target's seed corpus and
// runs every seed through its target once. The name must be the file's.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumiva::fuzz {

using Bytes = std::vector<uint8_t>;

struct Seed {
    std::string name;  // file name in the corpus folder
    Bytes bytes;
};
using SeedList = std::vector<Seed>;

using SeedMaker = SeedList (*)();
using InputRunner = void (*)(const uint8_t* data, size_t size);

struct TargetRecord {
    const char* name;
    SeedMaker seeds;
    InputRunner run;
};

// Every target linked into this program, in registration order.
std::vector<TargetRecord>& RegisteredTargets();

struct TargetRegistration {
    TargetRegistration(const char* name, SeedMaker seeds, InputRunner run) {
        RegisteredTargets().push_back({name, seeds, run});
    }
};

// Once per process: logging silenced (it would otherwise dominate each run)
// and a scratch data root, so nothing a reader does lands in the work tree.
void PrepareProcess();

// Host folder of the scratch data root.
const std::string& ScratchRoot();

// Serves bytes from memory as the module file name; whatever was served
// before is dropped.
void ServeFile(const char* name, const uint8_t* data, size_t size);

inline Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// The first count bytes of bytes (all of them when shorter).
inline Bytes Truncated(const Bytes& bytes, size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + std::min(count, bytes.size()));
}

}  // namespace lumiva::fuzz

#define LUMIVA_FUZZ_SEEDS(name) [[maybe_unused]] static ::lumiva::fuzz::SeedList FuzzSeeds_##name()

#ifdef LUMIVA_FUZZ_SEED_PROGRAM
#define LUMIVA_FUZZ_ENTRY_(name)                                                                          \
    static ::lumiva::fuzz::TargetRegistration fuzzRegistration_##name(#name, &FuzzSeeds_##name, \
                                                                      &FuzzOne_##name);
#else
#define LUMIVA_FUZZ_ENTRY_(name)                                                  \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {     \
        ::lumiva::fuzz::PrepareProcess();                                          \
        FuzzOne_##name(data, size);                                                \
        return 0;                                                                  \
    }
#endif

#define LUMIVA_FUZZ_TARGET(name, data, size)                            \
    static void FuzzOne_##name(const uint8_t* data, size_t size);      \
    LUMIVA_FUZZ_ENTRY_(name)                                            \
    static void FuzzOne_##name(const uint8_t* data, size_t size)
