#include "support/FuzzTarget.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "BasrelReset.h"
#include "DataRoot.h"
#include "DebugLog.h"
#include "PakPreloads.h"

namespace lumiva::fuzz {

std::vector<TargetRecord>& RegisteredTargets() {
    static std::vector<TargetRecord> targets;
    return targets;
}

namespace {

std::string MakeScratchRoot() {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "lumiva-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

}  // namespace

const std::string& ScratchRoot() {
    static const std::string root = MakeScratchRoot();
    return root;
}

void PrepareProcess() {
    static const bool prepared = [] {
        BasrelResetForTests();
        basrel::SetDebugLogToFile(false);
        basrel::SetDebugLogToStderr(false);
        g_SetRootPath(ScratchRoot().c_str());
        // The scratch folder goes when the process ends normally.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchRoot(), ignored);
        });
        return true;
    }();
    (void)prepared;
}

void ServeFile(const char* name, const uint8_t* data, size_t size) {
    basrel::ResetPreloads();
    std::string key;
    if (!basrel::PreloadKey(name, key)) std::abort();
    basrel::StorePreload(key, 1, std::make_shared<const std::vector<uint8_t>>(data, data + size));
}

}  // namespace lumiva::fuzz
