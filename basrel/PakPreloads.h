// Whole-file copies that KPakFile::PreLoadingToMemory keeps for later opens.
// Keyed by the lower-cased module path from the root, so a copy serves every
// spelling of the name. Shared pointers let an open file outlive a release.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BasrelApi.h"

namespace basrel {

using PakBytes = std::shared_ptr<const std::vector<uint8_t>>;

// The preload key of a module name; false when the name leaves the root.
bool PreloadKey(const char* name, std::string& key);
PakBytes FindPreload(const std::string& key);
// Keeps the first copy when two threads preload the same file.
void StorePreload(const std::string& key, int flag, PakBytes bytes);
void ReleasePreloads(int flag);
BASREL_API size_t PreloadCount();
void ResetPreloads();

}  // namespace basrel
