#include "d3d9/Buffers.h"

#include <algorithm>

#include "d3d9/Recorder.h"
#include "d3d9/Registry.h"

namespace lumiva::d3d9 {

HRESULT BufferMemory::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    const uint64_t length = bytes_.size();
    if (offset > length || (offset == length && length > 0 && size > 0)) return D3DERR_INVALIDCALL;
    // Size 0 locks from the offset to the end.
    if (static_cast<uint64_t>(offset) + size > length) return D3DERR_INVALIDCALL;
    // Discard and no-overwrite exclude each other. Discarding a buffer that
    // is not dynamic is accepted and means nothing: the runtime ignores it.
    if ((flags & D3DLOCK_DISCARD) && (flags & D3DLOCK_NOOVERWRITE)) return D3DERR_INVALIDCALL;
    if ((flags & D3DLOCK_READONLY) && (flags & D3DLOCK_DISCARD)) return D3DERR_INVALIDCALL;
    if (const HRESULT injected = Registry::Get().CountBufferLock(); FAILED(injected)) return injected;
    ++lockCount_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT BufferMemory::Unlock() {
    if (lockCount_ == 0) return D3DERR_INVALIDCALL;
    --lockCount_;
    return D3D_OK;
}

void BufferMemory::Free() {
    lockCount_ = 0;
    bytes_.clear();
    bytes_.shrink_to_fit();
}

bool BlendIndexCache::Find(const BlendIndexQuery& query, int* largest) const {
    for (int i = 0; i < used_; ++i)
        if (entries_[i].query == query) {
            *largest = entries_[i].largest;
            return true;
        }
    return false;
}

void BlendIndexCache::Keep(const BlendIndexQuery& query, int largest) {
    entries_[next_] = Entry{query, largest};
    next_ = (next_ + 1) % kEntries;
    used_ = std::max(used_, next_ == 0 ? kEntries : next_);
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : ResourceBase(device, pool, usage, pool == D3DPOOL_DEFAULT), fvf_(fvf), memory_(length) {}

VertexBuffer* AsVertexBuffer(IDirect3DVertexBuffer9* buffer) { return static_cast<VertexBuffer*>(buffer); }
IndexBuffer* AsIndexBuffer(IDirect3DIndexBuffer9* buffer) { return static_cast<IndexBuffer*>(buffer); }

HRESULT VertexBuffer::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(static_cast<IDirect3DVertexBuffer9*>(this), riid, object, IID_IDirect3DVertexBuffer9, IID_IDirect3DResource9);
}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    const HRESULT result = IsDead() ? D3DERR_INVALIDCALL : memory_.Lock(offset, size, data, flags);
    if (SUCCEEDED(result)) blendIndices_.Forget();  // even read-only: nothing stops a write
    return RecordCall("VertexBuffer::Lock", {PointerArg(this), offset, size, flags}, result);
}

HRESULT VertexBuffer::Unlock() {
    return RecordCall("VertexBuffer::Unlock", {PointerArg(this)}, IsDead() ? D3DERR_INVALIDCALL : memory_.Unlock());
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = D3DFMT_VERTEXDATA;
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = memory_.Length();
    desc->FVF = fvf_;
    return D3D_OK;
}

void VertexBuffer::OnFinalRelease() {
    memory_.Free();
    blendIndices_.Forget();
    DetachFromDevice();
}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : ResourceBase(device, pool, usage, pool == D3DPOOL_DEFAULT), format_(format), memory_(length) {}

HRESULT IndexBuffer::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(static_cast<IDirect3DIndexBuffer9*>(this), riid, object, IID_IDirect3DIndexBuffer9, IID_IDirect3DResource9);
}

HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    const HRESULT result = IsDead() ? D3DERR_INVALIDCALL : memory_.Lock(offset, size, data, flags);
    return RecordCall("IndexBuffer::Lock", {PointerArg(this), offset, size, flags}, result);
}

HRESULT IndexBuffer::Unlock() {
    return RecordCall("IndexBuffer::Unlock", {PointerArg(this)}, IsDead() ? D3DERR_INVALIDCALL : memory_.Unlock());
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = format_;
    desc->Type = D3DRTYPE_INDEXBUFFER;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = memory_.Length();
    return D3D_OK;
}

void IndexBuffer::OnFinalRelease() {
    memory_.Free();
    DetachFromDevice();
}

}  // namespace lumiva::d3d9
