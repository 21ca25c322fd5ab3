// Creating resources: argument checks, the format answers of the adapter,
// injected failures and the texture-memory budget.
#include "d3d9/Buffers.h"
#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/Registry.h"
#include "d3d9/ShaderObjects.h"
#include "d3d9/Surface.h"
#include "d3d9/Texture.h"

namespace lumiva::d3d9 {
namespace {

bool IsPowerOfTwo(UINT n) { return n && !(n & (n - 1)); }

bool IsValidPool(D3DPOOL pool) { return pool >= D3DPOOL_DEFAULT && pool <= D3DPOOL_SCRATCH; }

constexpr size_t kMaxShaderTokens = 1 << 16;

}  // namespace

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** texture, HANDLE* shared) {
    const std::initializer_list<uint64_t> args = {width, height, levels, usage, static_cast<uint64_t>(format),
                                                  static_cast<uint64_t>(pool)};
    auto fail = [&](HRESULT hr) { return RecordCall("CreateTexture", args, hr); };
    if (!texture) return fail(D3DERR_INVALIDCALL);
    *texture = nullptr;
    if (shared || width == 0 || height == 0 || !IsValidPool(pool)) return fail(D3DERR_INVALIDCALL);
    if (!IsColorFormat(format)) return fail(D3DERR_INVALIDCALL);
    if (width > caps_.MaxTextureWidth || height > caps_.MaxTextureHeight) return fail(D3DERR_INVALIDCALL);
    if (levels > Texture::FullChainLength(width, height)) return fail(D3DERR_INVALIDCALL);
    if (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP)) return fail(D3DERR_INVALIDCALL);
    if ((usage & D3DUSAGE_RENDERTARGET) && (pool != D3DPOOL_DEFAULT || IsBlockFormat(format)))
        return fail(D3DERR_INVALIDCALL);
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return fail(D3DERR_INVALIDCALL);
    // Block formats are stored whole blocks: the top level comes in multiples of 4.
    if (IsBlockFormat(format) && (width % 4 || height % 4)) return fail(D3DERR_INVALIDCALL);
    const bool pow2Only = caps_.TextureCaps & D3DPTEXTURECAPS_POW2;
    const bool conditional = caps_.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    if (pow2Only && !(IsPowerOfTwo(width) && IsPowerOfTwo(height)) && !(conditional && levels == 1))
        return fail(D3DERR_INVALIDCALL);
    if ((caps_.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) return fail(D3DERR_INVALIDCALL);
    Registry& registry = Registry::Get();
    const D3DFORMAT display = registry.CurrentDisplayMode(adapter_).Format;
    if (FAILED(registry.CheckFormat(adapter_, type_, display, usage & ~D3DUSAGE_DYNAMIC, D3DRTYPE_TEXTURE, format)))
        return fail(D3DERR_INVALIDCALL);

    const HRESULT injected = registry.CountCreation();
    if (FAILED(injected)) return fail(injected);
    const UINT levelCount = levels ? levels : Texture::FullChainLength(width, height);
    if (pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED) {
        if (!registry.ChargeTextureMemory(Texture::ByteCount(format, width, height, levelCount)))
            return fail(D3DERR_OUTOFVIDEOMEMORY);
    }
    *texture = new Texture(this, width, height, levelCount, usage, format, pool);
    return RecordCall("CreateTexture", {width, height, levels, usage, static_cast<uint64_t>(format),
                                        static_cast<uint64_t>(pool), PointerArg(*texture)},
                      D3D_OK);
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
    const std::initializer_list<uint64_t> args = {length, usage, fvf, static_cast<uint64_t>(pool)};
    if (!buffer) return RecordCall("CreateVertexBuffer", args, D3DERR_INVALIDCALL);
    *buffer = nullptr;
    if (shared || length == 0 || !IsValidPool(pool) || pool == D3DPOOL_SCRATCH)
        return RecordCall("CreateVertexBuffer", args, D3DERR_INVALIDCALL);
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED)
        return RecordCall("CreateVertexBuffer", args, D3DERR_INVALIDCALL);
    const HRESULT injected = Registry::Get().CountCreation();
    if (FAILED(injected)) return RecordCall("CreateVertexBuffer", args, injected);
    *buffer = new VertexBuffer(this, length, usage, fvf, pool);
    return RecordCall("CreateVertexBuffer", {length, usage, fvf, static_cast<uint64_t>(pool), PointerArg(*buffer)},
                      D3D_OK);
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE* shared) {
    const std::initializer_list<uint64_t> args = {length, usage, static_cast<uint64_t>(format),
                                                  static_cast<uint64_t>(pool)};
    if (!buffer) return RecordCall("CreateIndexBuffer", args, D3DERR_INVALIDCALL);
    *buffer = nullptr;
    if (shared || length == 0 || !IsValidPool(pool) || pool == D3DPOOL_SCRATCH ||
        (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return RecordCall("CreateIndexBuffer", args, D3DERR_INVALIDCALL);
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED)
        return RecordCall("CreateIndexBuffer", args, D3DERR_INVALIDCALL);
    const HRESULT injected = Registry::Get().CountCreation();
    if (FAILED(injected)) return RecordCall("CreateIndexBuffer", args, injected);
    *buffer = new IndexBuffer(this, length, usage, format, pool);
    return RecordCall("CreateIndexBuffer", args, D3D_OK);
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                   DWORD /*quality*/, BOOL lockable, IDirect3DSurface9** surface, HANDLE* shared) {
    const std::initializer_list<uint64_t> args = {width, height, static_cast<uint64_t>(format)};
    if (!surface) return RecordCall("CreateRenderTarget", args, D3DERR_INVALIDCALL);
    *surface = nullptr;
    Registry& registry = Registry::Get();
    const D3DFORMAT display = registry.CurrentDisplayMode(adapter_).Format;
    if (shared || width == 0 || height == 0 || multiSample != D3DMULTISAMPLE_NONE || !IsColorFormat(format) ||
        IsBlockFormat(format) ||
        FAILED(registry.CheckFormat(adapter_, type_, display, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, format)))
        return RecordCall("CreateRenderTarget", args, D3DERR_INVALIDCALL);
    const HRESULT injected = registry.CountCreation();
    if (FAILED(injected)) return RecordCall("CreateRenderTarget", args, injected);
    *surface = new Surface(this, SurfaceRole::RenderTarget, format, width, height, D3DPOOL_DEFAULT,
                           D3DUSAGE_RENDERTARGET, lockable);
    return RecordCall("CreateRenderTarget", args, D3D_OK);
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          DWORD /*quality*/, BOOL /*discard*/, IDirect3DSurface9** surface,
                                          HANDLE* shared) {
    const std::initializer_list<uint64_t> args = {width, height, static_cast<uint64_t>(format)};
    if (!surface) return RecordCall("CreateDepthStencilSurface", args, D3DERR_INVALIDCALL);
    *surface = nullptr;
    Registry& registry = Registry::Get();
    const D3DFORMAT display = registry.CurrentDisplayMode(adapter_).Format;
    if (shared || width == 0 || height == 0 || multiSample != D3DMULTISAMPLE_NONE || !IsDepthFormat(format) ||
        FAILED(registry.CheckFormat(adapter_, type_, display, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format)))
        return RecordCall("CreateDepthStencilSurface", args, D3DERR_INVALIDCALL);
    const HRESULT injected = registry.CountCreation();
    if (FAILED(injected)) return RecordCall("CreateDepthStencilSurface", args, injected);
    const bool lockable = format == D3DFMT_D16_LOCKABLE || format == D3DFMT_D32F_LOCKABLE;
    *surface = new Surface(this, SurfaceRole::DepthStencil, format, width, height, D3DPOOL_DEFAULT,
                           D3DUSAGE_DEPTHSTENCIL, lockable);
    return RecordCall("CreateDepthStencilSurface", args, D3D_OK);
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE* shared) {
    const std::initializer_list<uint64_t> args = {width, height, static_cast<uint64_t>(format),
                                                  static_cast<uint64_t>(pool)};
    if (!surface) return RecordCall("CreateOffscreenPlainSurface", args, D3DERR_INVALIDCALL);
    *surface = nullptr;
    if (shared || width == 0 || height == 0 || !IsValidPool(pool) || pool == D3DPOOL_MANAGED ||
        !IsColorFormat(format))
        return RecordCall("CreateOffscreenPlainSurface", args, D3DERR_INVALIDCALL);
    Registry& registry = Registry::Get();
    if (pool == D3DPOOL_DEFAULT) {
        const D3DFORMAT display = registry.CurrentDisplayMode(adapter_).Format;
        if (FAILED(registry.CheckFormat(adapter_, type_, display, 0, D3DRTYPE_SURFACE, format)))
            return RecordCall("CreateOffscreenPlainSurface", args, D3DERR_INVALIDCALL);
    }
    const HRESULT injected = registry.CountCreation();
    if (FAILED(injected)) return RecordCall("CreateOffscreenPlainSurface", args, injected);
    *surface = new Surface(this, SurfaceRole::OffscreenPlain, format, width, height, pool, 0, true);
    return RecordCall("CreateOffscreenPlainSurface", args, D3D_OK);
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                        IDirect3DVertexDeclaration9** declaration) {
    if (!declaration) return D3DERR_INVALIDCALL;
    *declaration = nullptr;
    std::vector<D3DVERTEXELEMENT9> parsed;
    if (!VertexDeclaration::ParseElements(elements, &parsed))
        return RecordCall("CreateVertexDeclaration", {PointerArg(elements)}, D3DERR_INVALIDCALL);
    *declaration = new VertexDeclaration(this, std::move(parsed));
    return RecordCall("CreateVertexDeclaration", {PointerArg(*declaration)}, D3D_OK);
}

HRESULT Device::CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) {
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    // Decoding walks the tokens by their structure, so an end token inside a
    // comment does not end the shader.
    auto program = std::make_shared<raster::VertexProgram>();
    size_t length = 0;
    if (!function || !raster::DecodeVertexProgram(function, kMaxShaderTokens, *program, length) ||
        function[0] > caps_.VertexShaderVersion)
        return RecordCall("CreateVertexShader", {PointerArg(function)}, D3DERR_INVALIDCALL);
    *shader = new VertexShader(this, std::vector<DWORD>(function, function + length), IID_IDirect3DVertexShader9,
                               "IDirect3DVertexShader9", std::move(program));
    return RecordCall("CreateVertexShader", {PointerArg(*shader)}, D3D_OK);
}

HRESULT Device::CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) {
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    std::vector<DWORD> tokens;
    if (!PixelShader::ParseTokens(function, 0xFFFF0000, &tokens) || tokens[0] > caps_.PixelShaderVersion)
        return RecordCall("CreatePixelShader", {PointerArg(function)}, D3DERR_INVALIDCALL);
    *shader = new PixelShader(this, std::move(tokens), IID_IDirect3DPixelShader9, "IDirect3DPixelShader9");
    return RecordCall("CreatePixelShader", {PointerArg(*shader)}, D3D_OK);
}

}  // namespace lumiva::d3d9
