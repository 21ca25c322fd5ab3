#include "textures/TextureRecord.h"

#include <cstring>

KTextureRecord::KTextureRecord()
    : name{},
      refCount(1),
      lastUse(0),
      keep(0),
      kind(kTextureKindA8R8G8B8),
      width(0),
      height(0),
      loaded(0),
      bytes(0),
      texture(nullptr),
      noFile(0) {}

KTextureRecord::~KTextureRecord() = default;

bool KTextureRecord::SetName(const char* text) {
    size_t length = std::strlen(text);
    if (length >= kTextureNameSize) return false;
    std::memcpy(name, text, length + 1);
    return true;
}

int32_t TextureKindOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A4R4G4B4:
            return kTextureKindA4R4G4B4;
        case D3DFMT_DXT5:
            return kTextureKindDXT5;
        default:
            return kTextureKindA8R8G8B8;
    }
}

uint32_t TextureLevelBytes(D3DFORMAT format, UINT width, UINT height) {
    uint64_t blocks = uint64_t((width + 3) / 4) * ((height + 3) / 4);
    uint64_t texels = uint64_t(width) * height;
    uint64_t bytes;
    switch (format) {
        case D3DFMT_DXT1:
            bytes = blocks * 8;
            break;
        case D3DFMT_DXT2:
        case D3DFMT_DXT3:
        case D3DFMT_DXT4:
        case D3DFMT_DXT5:
            bytes = blocks * 16;
            break;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
            bytes = texels * 2;
            break;
        case D3DFMT_R8G8B8:
            bytes = texels * 3;
            break;
        case D3DFMT_A8:
        case D3DFMT_L8:
            bytes = texels;
            break;
        default:
            bytes = texels * 4;
            break;
    }
    return bytes > UINT32_MAX ? UINT32_MAX : uint32_t(bytes);
}
