// Textures loaded whole from files, keyed by the name exactly as the caller
// spells it, in the pool the caller names. Apart from the texture manager:
// no lower-casing, no device-object handling. The shell's preview capture
// keeps its mask here.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <map>
#include <string>

struct KNamedTextureEntry {
    IDirect3DTexture9* texture = nullptr;
    std::string name;
    // Requests after the first.
    int32_t extraUsers = 0;
};

class KNamedTexturePool {
public:
    KNamedTexturePool() = default;
    ~KNamedTexturePool();
    KNamedTexturePool(const KNamedTexturePool&) = delete;
    KNamedTexturePool& operator=(const KNamedTexturePool&) = delete;

    // The entry's texture, loaded with the module device on the first
    // request; null when the file cannot be read or made into a texture.
    IDirect3DTexture9* Load(const char* name, D3DPOOL pool);
    // Null for a null name or an empty pool, or when absent.
    KNamedTextureEntry* Find(const char* name);

    // Releases every texture and forgets every entry.
    void Clear();
    size_t Count() const { return m_entries.size(); }

private:
    std::map<std::string, KNamedTextureEntry> m_entries;
};

// The module's one pool, built on first use.
KNamedTexturePool& NamedTexturePool();
