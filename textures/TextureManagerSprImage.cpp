#include "textures/TextureManagerSprImage.h"

#include <cctype>
#include <cstring>

namespace {

constexpr uint64_t kHeaderSize = 32;
constexpr uint64_t kTableEntrySize = 8;
constexpr uint64_t kFrameHeadSize = 8;

uint16_t U16At(const uint8_t* bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

int32_t I32At(const uint8_t* bytes, size_t at) {
    return int32_t(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                   uint32_t(bytes[at + 3]) << 24);
}

}  // namespace

bool IsSpriteFileName(const char* name) {
    size_t length = std::strlen(name);
    if (length < 4) return false;
    const char* ending = name + length - 4;
    return ending[0] == '.' && std::tolower(static_cast<unsigned char>(ending[1])) == 's' &&
           std::tolower(static_cast<unsigned char>(ending[2])) == 'p' &&
           std::tolower(static_cast<unsigned char>(ending[3])) == 'r';
}

bool LocateEmbeddedImage(const uint8_t* bytes, size_t size, KEmbeddedImage* image) {
    if (size < kHeaderSize) return false;
    uint64_t frameCount = U16At(bytes, 12);
    if (frameCount == 0) return false;
    uint64_t tableEnd = kHeaderSize + frameCount * kTableEntrySize;
    if (tableEnd > size) return false;
    int64_t entryLength = I32At(bytes, kHeaderSize + 4);
    if (entryLength <= int64_t(kFrameHeadSize)) return false;
    uint64_t start = tableEnd + kFrameHeadSize;
    uint64_t length = uint64_t(entryLength) - kFrameHeadSize;
    if (start > size || length > size - start) return false;
    image->offset = size_t(start);
    image->length = size_t(length);
    image->width = U16At(bytes, 4);
    image->height = U16At(bytes, 6);
    return true;
}
