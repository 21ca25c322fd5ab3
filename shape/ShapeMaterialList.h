// A shape's material list: names (directory dropped; null when a material
// has none), one texture per material (filled by whoever loads the skins;
// released with the list), flags, three index arrays and two factors.
#pragma once

#include <d3d9.h>

#include <cstdint>

#include "shape/KGrowArray.h"

class KShapeFileStream;

// Material flags the runtime reads.
enum : uint32_t {
    kMaterialTranslucent = 1u << 2,
    kMaterialTranslucentOld = 1u << 6,  // set beside bit 2 in files below 16
    kMaterialAdditive = 1u << 25,
    kMaterialIflList = 1u << 27,
    kMaterialFlagsLimit = 0x20000000u,
};

class KShapeMaterialList {
public:
    KShapeMaterialList() = default;
    ~KShapeMaterialList() { Clear(); }
    KShapeMaterialList(const KShapeMaterialList&) = delete;
    KShapeMaterialList& operator=(const KShapeMaterialList&) = delete;

    // The list after the memory buffer of a file of the given version.
    bool Read(KShapeFileStream& stream, uint32_t version);
    // Frees the names and releases the textures.
    void Clear();

    uint32_t Count() const { return flags.Count(); }
    const char* Name(uint32_t i) const { return i < names.Count() ? names[i] : nullptr; }
    IDirect3DTexture9* Texture(uint32_t i) const { return i < textures.Count() ? textures[i] : nullptr; }
    // Takes over one reference of texture (the old one is released).
    void SetTexture(uint32_t i, IDirect3DTexture9* texture);
    // Neither bit 2 nor bit 25: drawn opaque.
    bool IsTranslucent(uint32_t i) const {
        return i < Count() && (flags[i] & (kMaterialTranslucent | kMaterialAdditive)) != 0;
    }

    KGrowArray<char*> names;
    KGrowArray<IDirect3DTexture9*> textures;
    KGrowArray<uint32_t> flags;
    KGrowArray<int32_t> firstIndex;
    KGrowArray<int32_t> secondIndex;
    KGrowArray<int32_t> thirdIndex;
    KGrowArray<float> firstFactor;
    KGrowArray<float> secondFactor;
};
