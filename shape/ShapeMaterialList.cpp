#include "shape/ShapeMaterialList.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "shape/ShapeFileStream.h"

namespace {

// The fewest bytes one material takes in a file of this version.
uint64_t MinMaterialBytes(uint32_t version) {
    return 1 + (version >= 3 ? 4 : 0) + (version >= 5 ? 12 : 0) + (version >= 12 ? 4 : 0) + (version >= 21 ? 4 : 0);
}

// The name without its directory part, as a new string.
char* CopyFileName(const uint8_t* text, uint8_t length) {
    std::string_view name(reinterpret_cast<const char*>(text), length);
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    char* copy = static_cast<char*>(std::malloc(name.size() + 1));
    if (copy) {
        std::memcpy(copy, name.data(), name.size());
        copy[name.size()] = '\0';
    }
    return copy;
}

bool HasIflExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot && strcasecmp(dot, ".ifl") == 0;
}

template <class T>
bool ReadArray(KShapeFileStream& stream, KGrowArray<T>& array) {
    for (T& value : array) {
        if constexpr (std::is_same_v<T, float>) {
            if (!stream.ReadF32(value)) return false;
        } else if constexpr (std::is_same_v<T, int32_t>) {
            if (!stream.ReadI32(value)) return false;
        } else {
            if (!stream.ReadU32(value)) return false;
        }
    }
    return true;
}

template <class T>
void Fill(KGrowArray<T>& array, T value) {
    for (T& v : array) v = value;
}

}  // namespace

void KShapeMaterialList::Clear() {
    for (char* name : names) std::free(name);
    for (IDirect3DTexture9* texture : textures)
        if (texture) texture->Release();
    names.Free();
    textures.Free();
    flags.Free();
    firstIndex.Free();
    secondIndex.Free();
    thirdIndex.Free();
    firstFactor.Free();
    secondFactor.Free();
}

void KShapeMaterialList::SetTexture(uint32_t i, IDirect3DTexture9* texture) {
    if (i >= textures.Count()) {
        if (texture) texture->Release();
        return;
    }
    if (textures[i]) textures[i]->Release();
    textures[i] = texture;
}

bool KShapeMaterialList::Read(KShapeFileStream& stream, uint32_t version) {
    Clear();
    uint8_t listVersion;
    uint32_t count;
    if (!stream.ReadU8(listVersion) || listVersion != 1) return false;
    if (!stream.ReadU32(count) || count > stream.Left() / MinMaterialBytes(version)) return false;
    if (!names.Resize(count) || !textures.Resize(count) || !flags.Resize(count) || !firstIndex.Resize(count) ||
        !secondIndex.Resize(count) || !thirdIndex.Resize(count) || !firstFactor.Resize(count) ||
        !secondFactor.Resize(count))
        return false;
    Fill<char*>(names, nullptr);
    Fill<IDirect3DTexture9*>(textures, nullptr);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t length;
        const uint8_t* text = stream.ReadU8(length) ? stream.ReadBytes(length) : nullptr;
        if (!text || !(names[i] = CopyFileName(text, length))) return false;
    }
    if (version >= 3) {
        if (!ReadArray(stream, flags)) return false;
    } else {
        Fill(flags, 3u);
    }
    if (version >= 5) {
        if (!ReadArray(stream, firstIndex) || !ReadArray(stream, secondIndex) || !ReadArray(stream, thirdIndex))
            return false;
    } else {
        for (uint32_t i = 0; i < count; ++i) firstIndex[i] = int32_t(i);
        Fill(secondIndex, -1);
        Fill(thirdIndex, -1);
    }
    if (version >= 12) {
        if (!ReadArray(stream, firstFactor)) return false;
    } else {
        Fill(firstFactor, 1.0f);
    }
    if (version >= 21) {
        if (!ReadArray(stream, secondFactor)) return false;
    } else {
        Fill(secondFactor, 1.0f);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (version < 16 && (flags[i] & kMaterialTranslucent)) flags[i] |= kMaterialTranslucentOld;
        if ((flags[i] & kMaterialIflList) || (version < 6 && HasIflExtension(names[i]))) {
            std::free(names[i]);
            names[i] = nullptr;
        }
    }
    return true;
}
