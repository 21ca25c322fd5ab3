// One shared texture of the texture manager: the lower-case path it loads
// from, its users, and the Direct3D texture that comes and goes under it.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>
#include <vector>

// Format kinds callers see through GetTextureFormat.
enum KTextureKind : int32_t {
    kTextureKindA8R8G8B8 = 0,
    kTextureKindA4R4G4B4 = 1,
    kTextureKindDXT5 = 2,
};

// Room for the name, its terminating zero included.
constexpr size_t kTextureNameSize = 256;

struct KTextureRecord {
    KTextureRecord();
    ~KTextureRecord();
    KTextureRecord(const KTextureRecord&) = delete;
    KTextureRecord& operator=(const KTextureRecord&) = delete;

    // False, leaving the name as it was, when name does not fit.
    bool SetName(const char* text);

    char name[kTextureNameSize];
    uint16_t refCount;
    DWORD lastUse;   // timeGetTime of the last load request or SetTexture
    uint8_t keep;    // survives InvalidateDeviceObjects; may be locked
    int32_t kind;    // KTextureKind
    int32_t width;
    int32_t height;
    uint8_t loaded;
    uint32_t bytes;
    // The file's bytes while its texture is being made.
    std::vector<uint8_t> fileData;
    IDirect3DTexture9* texture;
    // Made by CreateEmptyTexture: nothing to reload its content from.
    uint8_t noFile;
};

// Kind of a texture format; the A8R8G8B8 kind for formats outside the three.
int32_t TextureKindOf(D3DFORMAT format);
// Bytes level 0 of a texture takes, by the device's rule: bytes per texel
// for plain formats, whole 4 x 4 blocks for the DXT formats.
uint32_t TextureLevelBytes(D3DFORMAT format, UINT width, UINT height);
