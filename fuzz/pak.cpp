// Pak preloading and reading under hostile module names. The input is a
// module name, a line break, then the file's bytes; the bytes also script
// seeks and reads, whose results must keep KPakFile's promises.
#include <cstdlib>
#include <cstring>
#include <string>

#include "ByteWriter.h"
#include "KPakFile.h"
#include "PakPreloads.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

Bytes Input(const char* name, const Bytes& file) {
    Bytes input = Text(name);
    input.push_back('\n');
    input.insert(input.end(), file.begin(), file.end());
    return input;
}

void Check(bool promise) {
    if (!promise) std::abort();
}

void ExerciseOpenFile(KPakFile& file, const uint8_t* script, size_t size) {
    uint8_t buffer[64];
    for (size_t at = 0; at + 5 <= size && at < 40; at += 5) {
        int32_t offset = int32_t(uint32_t(script[at]) | uint32_t(script[at + 1]) << 8 |
                                 uint32_t(script[at + 2]) << 16 | uint32_t(script[at + 3]) << 24);
        uint32_t before = file.Tell();
        uint32_t moved = file.Seek(offset, script[at + 4] % 4);
        Check(moved == 0xFFFFFFFF ? file.Tell() == before : moved == file.Tell());
        Check(file.Tell() <= file.Size());
        uint32_t want = script[at + 4] % sizeof(buffer);
        uint32_t got = file.Read(buffer, want);
        Check(got <= want && file.Tell() <= file.Size());
    }
}

}  // namespace

LUMIVA_FUZZ_SEEDS(pak) {
    ByteWriter seeks;
    seeks.I32(-4);
    seeks.U8(2);
    seeks.I32(1);
    seeks.U8(1);
    seeks.I32(0x7FFFFFFF);
    seeks.U8(0);
    seeks.Bytes("tail of the file", 16);
    return {
        {"root-name", Input("\\Data\\FUZZ.pak", seeks.Data())},
        {"relative-dots", Input("data/./x/../fuzz.PAK", seeks.Data())},
        {"climbs-out", Input("..\\..\\etc\\passwd", {1, 2, 3})},
        {"empty-file", Input("\\data\\fuzz.pak", {})},
    };
}

LUMIVA_FUZZ_TARGET(pak, data, size) {
    const void* end = std::memchr(data, '\n', size);
    if (end == nullptr) return;
    size_t nameLength = size_t(static_cast<const uint8_t*>(end) - data);
    std::string name(reinterpret_cast<const char*>(data), nameLength);
    const uint8_t* bytes = data + nameLength + 1;
    size_t count = size - nameLength - 1;

    basrel::ResetPreloads();
    if (!WriteFileBytes(ScratchRoot() + "/Data/Fuzz.pak", Bytes(bytes, bytes + count))) std::abort();
    int preloaded = KPakFile::PreLoadingToMemory(name.c_str(), 1);
    KPakFile file;
    if (file.Open(name.c_str())) {
        Check(file.Size() == count || !preloaded);
        ExerciseOpenFile(file, bytes, count);
    }
    KPakFile::ReleasePreLoadings(1);
    Check(basrel::PreloadCount() == 0);
    // An open file keeps reading after its copy is released.
    ExerciseOpenFile(file, bytes, count);
}
