// The one dynamic vertex buffer every immediate drawer writes into. Runs are
// appended without overwrite; a full buffer is discarded and refilled from
// the start, so the device never reads a run that is being overwritten.
#include <cstdint>

#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"

namespace {

constexpr DWORD kDynamicUsage = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC;

}  // namespace

void* KDrawShell::LockDynamicVertices(int count, int stride, int* firstVertex, IDirect3DVertexBuffer9** buffer) {
    // Counts and strides come from drawers that size them from caller data.
    if (count <= 0 || stride <= 0 || !firstVertex || !buffer) return nullptr;
    const uint64_t requested = static_cast<uint64_t>(count) * static_cast<uint64_t>(stride);
    if (!dynamicVertexBuffer && dynamicVertexBufferSize >= 1) {
        IDirect3DDevice9* device = g_D3DDevice.device;
        if (!device) return nullptr;
        if (FAILED(device->CreateVertexBuffer(dynamicVertexBufferSize, kDynamicUsage, 0, D3DPOOL_DEFAULT,
                                              &dynamicVertexBuffer, nullptr))) {
            dynamicVertexBuffer = nullptr;
            return nullptr;
        }
        dynamicWritePosition = 0;
    }
    if (!dynamicVertexBuffer) return nullptr;

    const uint32_t step = static_cast<uint32_t>(stride);
    const uint64_t aligned = (static_cast<uint64_t>(dynamicWritePosition) + step - 1) / step * step;
    // A position past the end only ever leads to a wrap, so it fits 32 bits.
    dynamicWritePosition = static_cast<uint32_t>(aligned);

    if (aligned + requested <= dynamicVertexBufferSize) {
        void* memory = nullptr;
        if (FAILED(dynamicVertexBuffer->Lock(static_cast<UINT>(aligned), static_cast<UINT>(requested), &memory,
                                             D3DLOCK_NOOVERWRITE)))
            return nullptr;
        *firstVertex = static_cast<int>(aligned / step);
        *buffer = dynamicVertexBuffer;
        dynamicWritePosition = static_cast<uint32_t>(aligned + requested);
        return memory;
    }
    if (requested > dynamicVertexBufferSize) return nullptr;

    void* memory = nullptr;
    if (FAILED(dynamicVertexBuffer->Lock(0, 0, &memory, D3DLOCK_DISCARD))) return nullptr;
    *firstVertex = 0;
    *buffer = dynamicVertexBuffer;
    dynamicWritePosition = static_cast<uint32_t>(requested);
    return memory;
}

HRESULT KDrawShell::UnlockDynamicVertices() {
    if (!dynamicVertexBuffer) return D3D_OK;
    return dynamicVertexBuffer->Unlock();
}
