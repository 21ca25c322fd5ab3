#include "d3d9/Texture.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "d3d9/Recorder.h"
#include "d3d9/raster/TexelFormats.h"

namespace lumiva::d3d9 {

UINT Texture::FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++levels;
    }
    return levels;
}

uint64_t Texture::ByteCount(D3DFORMAT format, UINT width, UINT height, UINT levels) {
    uint64_t total = 0;
    for (UINT level = 0; level < levels; ++level) {
        total += ImageByteCount(format, std::max(1u, width >> level), std::max(1u, height >> level));
    }
    return total;
}

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : ResourceBase(device, pool, usage, pool == D3DPOOL_DEFAULT), format_(format) {
    if (levels == 0) levels = FullChainLength(width, height);
    bytes_ = ByteCount(format, width, height, levels);
    for (UINT level = 0; level < levels; ++level) {
        levels_.push_back(std::make_unique<Surface>(this, device, format, std::max(1u, width >> level),
                                                    std::max(1u, height >> level), pool, usage, level));
    }
    dirtyRect_ = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
}

Texture* AsTexture(IDirect3DBaseTexture9* texture) { return static_cast<Texture*>(texture); }
const Texture* AsTexture(const IDirect3DBaseTexture9* texture) { return static_cast<const Texture*>(texture); }

HRESULT Texture::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(static_cast<IDirect3DTexture9*>(this), riid, object, IID_IDirect3DTexture9, IID_IDirect3DBaseTexture9, IID_IDirect3DResource9);
}

DWORD Texture::SetLOD(DWORD lod) {
    const DWORD old = lod_;
    if (pool_ == D3DPOOL_MANAGED) lod_ = std::min<DWORD>(lod, LevelCount() - 1);
    return old;
}

HRESULT Texture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) {
    if (filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) return D3DERR_INVALIDCALL;
    autoGenFilter_ = filter;
    return D3D_OK;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= LevelCount() || IsDead()) return D3DERR_INVALIDCALL;
    return levels_[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= LevelCount() || IsDead()) return D3DERR_INVALIDCALL;
    *surface = levels_[level].get();
    AddRef();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (level >= LevelCount() || IsDead()) return D3DERR_INVALIDCALL;
    return levels_[level]->LockRect(lockedRect, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= LevelCount() || IsDead()) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
}

HRESULT Texture::AddDirtyRect(const RECT* dirtyRect) {
    RECT r;
    const bool valid = !IsDead() && ResolveRect(dirtyRect, Width(), Height(), &r);
    if (valid) MarkDirty(r);
    return RecordCall("Texture::AddDirtyRect", {PointerArg(static_cast<IDirect3DTexture9*>(this)), PointerArg(dirtyRect)},
                      valid ? D3D_OK : D3DERR_INVALIDCALL);
}

void Texture::MarkDirty(const RECT& r) {
    if (!dirty_) {
        dirtyRect_ = r;
    } else {
        dirtyRect_.left = std::min(dirtyRect_.left, r.left);
        dirtyRect_.top = std::min(dirtyRect_.top, r.top);
        dirtyRect_.right = std::max(dirtyRect_.right, r.right);
        dirtyRect_.bottom = std::max(dirtyRect_.bottom, r.bottom);
    }
    dirty_ = true;
}

namespace {

std::atomic<bool> g_expansion{true};

// 16-bit formats, and block-compressed ones: a copy takes 4 to 8 times the
// blocks' memory, but every texel read from the blocks decodes a palette,
// while from the copy it is one load, and the copy gives the block formats
// every 32-bit span (whole rows, rectangles, the scene spans' level picks).
bool ExpandsTo32Bits(D3DFORMAT format) {
    return format == D3DFMT_A4R4G4B4 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 ||
           format == D3DFMT_A1R5G5B5 || raster::IsBlockFormat(format);
}

// Draws since the last write before a level set of this many texels is
// expanded: about as many texels decoded as the copy costs, if each draw
// decodes a 256 x 256 picture's worth (a texture written every frame and
// drawn a few times stays as it is).
uint64_t DrawsToExpand(uint64_t texels) { return std::max<uint64_t>(2, texels / 65536); }

raster::SurfaceView ViewOf(const PixelBuffer& p) {
    return raster::SurfaceView{p.format, p.width, p.height, static_cast<int32_t>(p.pitch),
                               const_cast<uint8_t*>(p.bytes.data())};
}

}  // namespace

void SetTextureExpansionEnabled(bool enabled) { g_expansion.store(enabled, std::memory_order_relaxed); }

uint64_t Texture::LevelWrites() const {
    uint64_t writes = 0;
    for (const auto& level : levels_) writes += level->WriteCount();
    return writes;
}

bool Texture::UseExpandedLevels(const Surface* renderTarget) {
    if (!ExpandsTo32Bits(format_) || !g_expansion.load(std::memory_order_relaxed) || IsDead()) return false;
    for (const auto& level : levels_)
        if (level->IsLocked() || level.get() == renderTarget) return false;
    const uint64_t writes = LevelWrites();
    if (writes != expanded_.writes) {
        expanded_.current = false;
        expanded_.writes = writes;
        expanded_.draws = 0;
    }
    if (expanded_.current) return true;
    uint64_t texels = 0;
    for (const auto& level : levels_) texels += uint64_t(level->Width()) * level->Height();
    if (++expanded_.draws < DrawsToExpand(texels)) return false;
    expanded_.current = ExpandLevels();
    return expanded_.current;
}

// The copies are decoded again in place, never freed while the texture
// lives: a draw still in flight may read them. Without memory for them the
// levels are sampled as they are.
bool Texture::ExpandLevels() try {
    if (expanded_.levels.empty()) {
        std::vector<PixelBuffer> out(levels_.size());
        for (size_t l = 0; l < levels_.size(); ++l) {
            const PixelBuffer& from = Level(static_cast<UINT>(l));
            out[l].Allocate(D3DFMT_A8R8G8B8, from.width, from.height);
            if (out[l].Empty()) return false;
        }
        expanded_.levels = std::move(out);
    }
    for (size_t l = 0; l < levels_.size(); ++l) {
        PixelBuffer& to = expanded_.levels[l];
        if (!raster::DecodeToArgb(ViewOf(Level(static_cast<UINT>(l))), to.bytes.data(), int32_t(to.pitch)))
            return false;
    }
    return true;
} catch (const std::bad_alloc&) {
    return false;
}

void Texture::OnFinalRelease() {
    for (auto& level : levels_) level->ReleaseLevel();
    expanded_ = Expansion{};
    DetachFromDevice();
}

}  // namespace lumiva::d3d9
