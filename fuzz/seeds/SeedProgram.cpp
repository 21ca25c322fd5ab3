// Writes every fuzz target's seed corpus and runs each seed through its
// target once, so a broken seed or target shows before any fuzzing starts.
//
//   lumiva-fuzz-seeds OUT_DIR      OUT_DIR/<target>/<seed> for every target
//   lumiva-fuzz-seeds --list       the target names, one a line
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "ByteWriter.h"
#include "support/FuzzTarget.h"

namespace {

using lumiva::fuzz::RegisteredTargets;
using lumiva::fuzz::TargetRecord;

bool WriteCorpus(const TargetRecord& target, const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "lumiva-fuzz-seeds: cannot make %s\n", folder.c_str());
        return false;
    }
    lumiva::fuzz::SeedList seeds = target.seeds();
    for (const lumiva::fuzz::Seed& seed : seeds) {
        if (!WriteFileBytes((folder / seed.name).string(), seed.bytes)) {
            std::fprintf(stderr, "lumiva-fuzz-seeds: cannot write %s/%s\n", folder.c_str(), seed.name.c_str());
            return false;
        }
        target.run(seed.bytes.data(), seed.bytes.size());
    }
    std::printf("%-16s %zu seeds\n", target.name, seeds.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const TargetRecord& target : RegisteredTargets()) std::printf("%s\n", target.name);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumiva-fuzz-seeds OUT_DIR | --list\n");
        return 2;
    }
    lumiva::fuzz::PrepareProcess();
    for (const TargetRecord& target : RegisteredTargets()) {
        if (!WriteCorpus(target, std::filesystem::path(argv[1]) / target.name)) return 1;
    }
    return 0;
}
