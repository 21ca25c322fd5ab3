// Vertex and index buffers: plain memory with lock ranges and the dynamic
// lock flags.
#pragma once

#include <vector>

#include "d3d9/Resource.h"

namespace lumiva::d3d9 {

// The lock rules both kinds share.
class BufferMemory {
public:
    explicit BufferMemory(UINT length) : bytes_(length, 0) {}
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    UINT Length() const { return static_cast<UINT>(bytes_.size()); }
    const BYTE* Data() const { return bytes_.data(); }
    BYTE* Data() { return bytes_.data(); }
    UINT LockCount() const { return lockCount_; }
    void Free();

private:
    std::vector<BYTE> bytes_;
    UINT lockCount_ = 0;
};

// The largest blend index found in a range of a buffer's vertices, read
// through one layout: a skinned mesh drawn again and again is checked
// against the blending limits once, not on every draw. A lock forgets all.
struct BlendIndexQuery {
    UINT streamOffset, stride, elementOffset, elementType, first, count;
    int matrices;
    bool operator==(const BlendIndexQuery&) const = default;
};

class BlendIndexCache {
public:
    bool Find(const BlendIndexQuery& query, int* largest) const;
    void Keep(const BlendIndexQuery& query, int largest);
    void Forget() { used_ = 0; }

private:
    static constexpr int kEntries = 16;  // bone combinations of a mesh, each its own range
    struct Entry {
        BlendIndexQuery query;
        int largest;
    };
    Entry entries_[kEntries];
    int used_ = 0, next_ = 0;
};

class VertexBuffer final : public ResourceBase<IDirect3DVertexBuffer9> {
public:
    VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    const BufferMemory& Memory() const { return memory_; }
    BufferMemory& Memory() { return memory_; }
    // Kept only while the contents stay as they are.
    BlendIndexCache& BlendIndices() const { return blendIndices_; }

protected:
    void OnFinalRelease() override;
    const char* InterfaceName() const override { return "IDirect3DVertexBuffer9"; }

private:
    DWORD fvf_;
    BufferMemory memory_;
    mutable BlendIndexCache blendIndices_;
};

class IndexBuffer final : public ResourceBase<IDirect3DIndexBuffer9> {
public:
    IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    D3DFORMAT Format() const { return format_; }
    const BufferMemory& Memory() const { return memory_; }

protected:
    void OnFinalRelease() override;
    const char* InterfaceName() const override { return "IDirect3DIndexBuffer9"; }

private:
    D3DFORMAT format_;
    BufferMemory memory_;
};

VertexBuffer* AsVertexBuffer(IDirect3DVertexBuffer9* buffer);
IndexBuffer* AsIndexBuffer(IDirect3DIndexBuffer9* buffer);

}  // namespace lumiva::d3d9
