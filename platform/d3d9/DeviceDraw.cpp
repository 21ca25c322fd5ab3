// Scenes and draw calls: validation, recording, and the hand-off to the
// rasterizer (DrawPipeline.h).
#include <algorithm>
#include <cstring>

#include "d3d9/Buffers.h"
#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/Registry.h"
#include "d3d9/ShaderObjects.h"
#include "d3d9/Surface.h"
#include "d3d9/raster/DeviceAdapter.h"

namespace lumiva::d3d9 {
namespace {

// Vertices (or indices) that `count` primitives of `type` consume; 0 for an
// unknown type.
uint64_t VerticesFor(D3DPRIMITIVETYPE type, uint64_t count) {
    switch (type) {
        case D3DPT_POINTLIST: return count;
        case D3DPT_LINELIST: return count * 2;
        case D3DPT_LINESTRIP: return count + 1;
        case D3DPT_TRIANGLELIST: return count * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return count + 2;
        default: return 0;
    }
}

UINT IndexSize(D3DFORMAT format) { return format == D3DFMT_INDEX32 ? 4 : 2; }

// The lowest and highest stream vertex that `count` indices name once
// `base` is added; false when one lies before the stream's first vertex.
bool IndexedVertexRange(const BYTE* indices, UINT count, D3DFORMAT format, INT base, uint64_t* lowest,
                        uint64_t* highest) {
    const UINT size = IndexSize(format);
    uint32_t smallest = UINT32_MAX, largest = 0;
    for (UINT i = 0; i < count; ++i) {
        uint32_t index = 0;
        if (size == 4) {
            std::memcpy(&index, indices + static_cast<size_t>(i) * 4, 4);
        } else {
            uint16_t word = 0;
            std::memcpy(&word, indices + static_cast<size_t>(i) * 2, 2);
            index = word;
        }
        smallest = std::min(smallest, index);
        largest = std::max(largest, index);
    }
    const int64_t first = static_cast<int64_t>(base) + smallest;
    if (count == 0 || first < 0) return false;
    *lowest = static_cast<uint64_t>(first);
    *highest = static_cast<uint64_t>(static_cast<int64_t>(base) + largest);
    return true;
}

// The largest blend index of the draw's vertices, from the buffer's cache
// when the same range was read before through the same layout. Vertices in
// user memory, or in a buffer locked now, are read every time.
int LargestBlendIndex(const DeviceState& state, const DrawCall& call, const raster::BlendIndexSource& source,
                      uint32_t first, uint32_t count, int matrices) {
    const StreamBinding& binding = state.streams[source.stream];
    const VertexBuffer* buffer = call.userMemory ? nullptr : AsVertexBuffer(binding.buffer);
    if (!buffer || buffer->Memory().LockCount() > 0)
        return raster::LargestBlendIndex(call, source, first, count, matrices);
    const BlendIndexQuery query{binding.offset, binding.stride, source.offset, source.type, first, count, matrices};
    int largest = -1;
    if (buffer->BlendIndices().Find(query, &largest)) return largest;
    largest = raster::LargestBlendIndex(call, source, first, count, matrices);
    buffer->BlendIndices().Keep(query, largest);
    return largest;
}

}  // namespace

HRESULT Device::BeginScene() {
    if (inScene_) return RecordCall("BeginScene", {}, D3DERR_INVALIDCALL);
    inScene_ = true;
    return RecordCall("BeginScene", {}, D3D_OK);
}

HRESULT Device::EndScene() {
    if (!inScene_) return RecordCall("EndScene", {}, D3DERR_INVALIDCALL);
    inScene_ = false;
    FlushDraws();
    return RecordCall("EndScene", {}, D3D_OK);
}

HRESULT Device::CheckDrawable(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT* vertexCount) const {
    const uint64_t vertices = VerticesFor(type, primitiveCount);
    if (vertices == 0 || !inScene_ || !state_.renderTarget) return D3DERR_INVALIDCALL;
    if (primitiveCount > caps_.MaxPrimitiveCount || vertices > UINT_MAX) return D3DERR_INVALIDCALL;
    if (state_.fvf == 0 && !state_.declaration) return D3DERR_INVALIDCALL;
    *vertexCount = static_cast<UINT>(vertices);
    return D3D_OK;
}

// Fills the streams the vertex format reads and checks that every vertex
// below `vertexEnd` lies inside each of them.
HRESULT Device::ResolveVertexStreams(DrawCall& call, uint64_t vertexEnd) const {
    bool used[kStreamCount] = {};
    if (state_.declaration) {
        call.declaration = &AsVertexDeclaration(state_.declaration)->Elements();
        for (const D3DVERTEXELEMENT9& element : *call.declaration) used[element.Stream] = true;
    } else {
        used[0] = true;
    }
    call.fvf = state_.declaration ? 0 : state_.fvf;
    for (UINT s = 0; s < kStreamCount; ++s) {
        if (!used[s]) continue;
        const StreamBinding& binding = state_.streams[s];
        if (!binding.buffer || binding.stride == 0) return D3DERR_INVALIDCALL;
        const BufferMemory& memory = AsVertexBuffer(binding.buffer)->Memory();
        const uint64_t available = memory.Length() - binding.offset;
        // vertexEnd * stride > available, without the product overflowing.
        if (vertexEnd > available / binding.stride) return D3DERR_INVALIDCALL;
        call.streams[s] = StreamData{memory.Data() + binding.offset, static_cast<UINT>(available), binding.stride};
    }
    return D3D_OK;
}

// Software processing on a mixed device reads only buffers made for it.
bool Device::SoftwareBuffers(const DrawCall& call) const {
    if (call.userMemory) return true;
    for (UINT s = 0; s < kStreamCount; ++s) {
        if (!call.streams[s].data) continue;
        if (!(AsVertexBuffer(state_.streams[s].buffer)->Usage() & D3DUSAGE_SOFTWAREPROCESSING)) return false;
    }
    return !call.indexed || (AsIndexBuffer(state_.indices)->Usage() & D3DUSAGE_SOFTWAREPROCESSING);
}

// The limits of the processing mode the draw runs in: in hardware the
// caps' blend matrices, blend index and shader constants; in software four
// matrices, indices 0 to 255 and the whole constant file.
HRESULT Device::CheckVertexProcessing(DrawCall& call, uint64_t firstVertex, uint64_t vertexCount) const {
    const bool software = state_.softwareVertexProcessing;
    call.vertexShaderConstants = software ? kVertexShaderFloatConstants
                                          : std::min<UINT>(caps_.MaxVertexShaderConst, kVertexShaderFloatConstants);
    if (software && (behaviorFlags_ & D3DCREATE_MIXED_VERTEXPROCESSING) && !SoftwareBuffers(call))
        return D3DERR_INVALIDCALL;
    if (state_.vertexShader) return D3D_OK;
    const DWORD blend = state_.renderStates[D3DRS_VERTEXBLEND];
    const int matrices = blend >= D3DVBF_1WEIGHTS && blend <= D3DVBF_3WEIGHTS ? int(blend) + 1
                         : blend == D3DVBF_0WEIGHTS                           ? 1
                                                                              : 0;
    if (matrices == 0) return D3D_OK;
    const bool indexed = state_.renderStates[D3DRS_INDEXEDVERTEXBLENDENABLE] != 0;
    const UINT maxMatrices = software ? 4 : caps_.MaxVertexBlendMatrices;
    const UINT maxIndex = software ? 255 : caps_.MaxVertexBlendMatrixIndex;
    const bool overMatrices = matrices > 1 && UINT(matrices) > maxMatrices;
    if (!overMatrices && (!indexed || maxIndex >= 255)) return D3D_OK;
    // Limits bind only vertices that are transformed.
    const raster::BlendIndexSource source = raster::FindBlendIndices(call);
    if (!source.transformed) return D3D_OK;
    if (overMatrices) return D3DERR_INVALIDCALL;
    if (maxIndex == 0 || !source.hasIndices) return D3DERR_INVALIDCALL;
    const int largest = LargestBlendIndex(state_, call, source, static_cast<uint32_t>(firstVertex),
                                          static_cast<uint32_t>(vertexCount), matrices);
    return largest > int(maxIndex) ? D3DERR_INVALIDCALL : D3D_OK;
}

void Device::SubmitDraw(const char* name, std::initializer_list<uint64_t> args, const DrawCall& call) {
    RecordDraw(name, args, D3D_OK, state_);
    if (IsLost() || Registry::Get().noRaster) return;
    Surface* depth = AsSurface(state_.depthStencil);
    DrawTargets targets{&AsSurface(state_.renderTarget)->Pixels(), depth ? &depth->Pixels() : nullptr};
    RasterizeDraw(state_, stateGeneration_, call, targets, inScene_, *drawCache_);
}

// User-memory draws supply stream 0 only: a declaration that reads another
// stream would read nothing there.
bool Device::DeclarationReadsStreamZeroOnly() const {
    if (!state_.declaration) return true;
    for (const D3DVERTEXELEMENT9& element : AsVertexDeclaration(state_.declaration)->Elements())
        if (element.Stream != 0) return false;
    return true;
}

// Vertices from user memory are stream 0 alone, read through the bound
// format; the platform unbinds stream 0 after such a draw.
HRESULT Device::SubmitUserMemoryDraw(const char* name, std::initializer_list<uint64_t> args, DrawCall& call,
                                     const StreamData& vertices, uint64_t firstVertex, uint64_t vertexCount) {
    call.userMemory = true;
    call.fvf = state_.declaration ? 0 : state_.fvf;
    if (state_.declaration) call.declaration = &AsVertexDeclaration(state_.declaration)->Elements();
    call.streams[0] = vertices;
    const HRESULT hr = CheckVertexProcessing(call, firstVertex, vertexCount);
    if (FAILED(hr)) return RecordCall(name, args, hr);
    SubmitDraw(name, args, call);
    Bind<IDirect3DVertexBuffer9>(state_.streams[0].buffer, nullptr);
    state_.streams[0].offset = 0;
    state_.streams[0].stride = 0;
    return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const std::initializer_list<uint64_t> args = {static_cast<uint64_t>(type), startVertex, primitiveCount};
    if (primitiveCount == 0 && VerticesFor(type, 1)) return RecordCall("DrawPrimitive", args, D3D_OK);
    DrawCall call;
    HRESULT hr = CheckDrawable(type, primitiveCount, &call.vertexCount);
    if (SUCCEEDED(hr)) hr = ResolveVertexStreams(call, static_cast<uint64_t>(startVertex) + call.vertexCount);
    if (SUCCEEDED(hr)) hr = CheckVertexProcessing(call, startVertex, call.vertexCount);
    if (FAILED(hr)) return RecordCall("DrawPrimitive", args, hr);
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.startVertex = startVertex;
    SubmitDraw("DrawPrimitive", args, call);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                     UINT numVertices, UINT startIndex, UINT primitiveCount) {
    const std::initializer_list<uint64_t> args = {static_cast<uint64_t>(type),
                                                  static_cast<uint64_t>(static_cast<int64_t>(baseVertexIndex)),
                                                  minVertexIndex, numVertices, startIndex, primitiveCount};
    if (primitiveCount == 0 && VerticesFor(type, 1)) return RecordCall("DrawIndexedPrimitive", args, D3D_OK);
    // MinVertexIndex and NumVertices are the caller's hints: the draw is
    // bound by the vertices its indices name.
    DrawCall call;
    HRESULT hr = CheckDrawable(type, primitiveCount, &call.vertexCount);
    if (SUCCEEDED(hr) && (!state_.indices || numVertices == 0)) hr = D3DERR_INVALIDCALL;
    if (FAILED(hr)) return RecordCall("DrawIndexedPrimitive", args, hr);
    const IndexBuffer* indices = AsIndexBuffer(state_.indices);
    const UINT indexSize = IndexSize(indices->Format());
    if ((static_cast<uint64_t>(startIndex) + call.vertexCount) * indexSize > indices->Memory().Length())
        return RecordCall("DrawIndexedPrimitive", args, D3DERR_INVALIDCALL);
    const BYTE* firstIndex = indices->Memory().Data() + static_cast<size_t>(startIndex) * indexSize;
    uint64_t lowest = 0, highest = 0;
    if (!IndexedVertexRange(firstIndex, call.vertexCount, indices->Format(), baseVertexIndex, &lowest, &highest))
        return RecordCall("DrawIndexedPrimitive", args, D3DERR_INVALIDCALL);
    hr = ResolveVertexStreams(call, highest + 1);
    call.indexed = true;
    if (SUCCEEDED(hr)) hr = CheckVertexProcessing(call, lowest, highest - lowest + 1);
    if (FAILED(hr)) return RecordCall("DrawIndexedPrimitive", args, hr);
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.baseVertexIndex = baseVertexIndex;
    call.minVertexIndex = minVertexIndex;
    call.numVertices = numVertices;
    call.indices = firstIndex;
    call.indexFormat = indices->Format();
    SubmitDraw("DrawIndexedPrimitive", args, call);
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                                UINT vertexStride) {
    const std::initializer_list<uint64_t> args = {static_cast<uint64_t>(type), primitiveCount, PointerArg(vertexData),
                                                  vertexStride};
    if (primitiveCount == 0 && VerticesFor(type, 1)) return RecordCall("DrawPrimitiveUP", args, D3D_OK);
    DrawCall call;
    HRESULT hr = CheckDrawable(type, primitiveCount, &call.vertexCount);
    if (SUCCEEDED(hr) && (!vertexData || vertexStride == 0 || !DeclarationReadsStreamZeroOnly()))
        hr = D3DERR_INVALIDCALL;
    if (FAILED(hr)) return RecordCall("DrawPrimitiveUP", args, hr);
    const uint64_t bytes = static_cast<uint64_t>(call.vertexCount) * vertexStride;
    if (bytes > UINT_MAX) return RecordCall("DrawPrimitiveUP", args, D3DERR_INVALIDCALL);
    call.type = type;
    call.primitiveCount = primitiveCount;
    return SubmitUserMemoryDraw("DrawPrimitiveUP", args, call,
                                StreamData{static_cast<const BYTE*>(vertexData), static_cast<UINT>(bytes), vertexStride},
                                0, call.vertexCount);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                       UINT primitiveCount, const void* indexData, D3DFORMAT indexFormat,
                                       const void* vertexData, UINT vertexStride) {
    const std::initializer_list<uint64_t> args = {static_cast<uint64_t>(type), minVertexIndex, numVertices,
                                                  primitiveCount, PointerArg(indexData),
                                                  static_cast<uint64_t>(indexFormat), PointerArg(vertexData),
                                                  vertexStride};
    if (primitiveCount == 0 && VerticesFor(type, 1)) return RecordCall("DrawIndexedPrimitiveUP", args, D3D_OK);
    DrawCall call;
    HRESULT hr = CheckDrawable(type, primitiveCount, &call.vertexCount);
    if (SUCCEEDED(hr) && (!vertexData || !indexData || vertexStride == 0 || numVertices == 0 ||
                          (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) ||
                          !DeclarationReadsStreamZeroOnly()))
        hr = D3DERR_INVALIDCALL;
    const uint64_t bytes = (static_cast<uint64_t>(minVertexIndex) + numVertices) * vertexStride;
    if (SUCCEEDED(hr) && bytes > UINT_MAX) hr = D3DERR_INVALIDCALL;
    if (FAILED(hr)) return RecordCall("DrawIndexedPrimitiveUP", args, hr);
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.indexed = true;
    call.minVertexIndex = minVertexIndex;
    call.numVertices = numVertices;
    call.indices = static_cast<const BYTE*>(indexData);
    call.indexFormat = indexFormat;
    hr = SubmitUserMemoryDraw("DrawIndexedPrimitiveUP", args, call,
                              StreamData{static_cast<const BYTE*>(vertexData), static_cast<UINT>(bytes), vertexStride},
                              minVertexIndex, numVertices);
    if (SUCCEEDED(hr)) Bind<IDirect3DIndexBuffer9>(state_.indices, nullptr);
    return hr;
}

HRESULT Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9*, IDirect3DVertexDeclaration9*, DWORD) {
    return RecordCall("ProcessVertices", {}, D3DERR_INVALIDCALL);
}

}  // namespace lumiva::d3d9
