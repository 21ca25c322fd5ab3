#include "textures/NamedTexturePool.h"

#include <d3dx9.h>

#include <vector>

#include "lumiva/basrel/KPakFile.h"
#include "shell/D3DDevice.h"

KNamedTexturePool::~KNamedTexturePool() { Clear(); }

void KNamedTexturePool::Clear() {
    for (auto& [name, entry] : m_entries)
        if (entry.texture) entry.texture->Release();
    m_entries.clear();
}

KNamedTextureEntry* KNamedTexturePool::Find(const char* name) {
    if (!name || m_entries.empty()) return nullptr;
    auto hit = m_entries.find(name);
    return hit == m_entries.end() ? nullptr : &hit->second;
}

IDirect3DTexture9* KNamedTexturePool::Load(const char* name, D3DPOOL pool) {
    if (!name || !*name) return nullptr;
    if (KNamedTextureEntry* entry = Find(name)) {
        ++entry->extraUsers;
        return entry->texture;
    }
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return nullptr;
    KPakFile file;
    if (!file.Open(name)) return nullptr;
    std::vector<uint8_t> bytes(file.Size());
    if (bytes.empty() || file.Read(bytes.data(), uint32_t(bytes.size())) != bytes.size()) return nullptr;
    file.Close();

    // An unknown format asks for the one stored in the file.
    IDirect3DTexture9* texture = nullptr;
    HRESULT result = D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), UINT(bytes.size()), D3DX_DEFAULT,
                                                         D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, pool, D3DX_DEFAULT,
                                                         D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
    if (FAILED(result) || !texture) return nullptr;
    KNamedTextureEntry& entry = m_entries[name];
    entry.texture = texture;
    entry.name = name;
    entry.extraUsers = 0;
    return texture;
}

KNamedTexturePool& NamedTexturePool() {
    static KNamedTexturePool pool;
    return pool;
}
