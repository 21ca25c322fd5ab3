#include <cstring>

#include "textures/TextureManager.h"

namespace {

constexpr const char kFolderTextures[] = "texture\\";
constexpr const char kCommonPortraits[] = "\\portrait\\common\\";

const char* LastSeparator(const char* name) {
    const char* slash = std::strrchr(name, '/');
    const char* backslash = std::strrchr(name, '\\');
    return slash > backslash ? slash : backslash;
}

}  // namespace

bool BuildTexturePath(const char* fileName, const char* folder, bool fullPath, std::string* path) {
    if (!fileName) return false;
    if (fullPath) {
        *path = fileName;
    } else {
        const char* separator = LastSeparator(fileName);
        if (!separator || separator == fileName) return false;
        const char* filePart = separator + 1;
        *path = folder ? std::string(folder) + kFolderTextures + filePart : std::string(kCommonPortraits) + filePart;
    }
    return path->size() < kTextureNameSize;
}
