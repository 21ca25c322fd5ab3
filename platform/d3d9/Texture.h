// A 2D texture: a chain of level surfaces, texture-memory accounting for
// the default and managed pools, and the dirty region UpdateTexture uploads.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "d3d9/Resource.h"
#include "d3d9/Surface.h"

namespace lumiva::d3d9 {

class Texture final : public ResourceBase<IDirect3DTexture9> {
public:
    // Levels 0 means the whole chain down to 1 x 1.
    static UINT FullChainLength(UINT width, UINT height);
    // Bytes the texture takes: the sum of its levels' ImageByteCount.
    static uint64_t ByteCount(D3DFORMAT format, UINT width, UINT height, UINT levels);

    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }

    DWORD STDMETHODCALLTYPE SetLOD(DWORD lod) override;
    DWORD STDMETHODCALLTYPE GetLOD() override { return lod_; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT STDMETHODCALLTYPE SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) override;
    D3DTEXTUREFILTERTYPE STDMETHODCALLTYPE GetAutoGenFilterType() override { return autoGenFilter_; }
    void STDMETHODCALLTYPE GenerateMipSubLevels() override {}

    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* dirtyRect) override;

    D3DFORMAT Format() const { return format_; }
    UINT Width() const { return levels_.empty() ? 0 : levels_[0]->Width(); }
    UINT Height() const { return levels_.empty() ? 0 : levels_[0]->Height(); }
    UINT LevelCount() const { return static_cast<UINT>(levels_.size()); }
    Surface* LevelSurface(UINT level) const { return levels_[level].get(); }
    const PixelBuffer& Level(UINT level) const { return std::as_const(*levels_[level]).Pixels(); }

    // For a draw that samples the texture: true when every level is to be
    // read from ExpandedLevel, an A8R8G8B8 copy of a 16-bit or
    // block-compressed texture's level
    // (sampled, it gives the same texels, without decoding each one). The
    // copy is made once the texture has been drawn from often enough since
    // its last write to pay for it, and is never used while a level is
    // locked or is the draw's render target, nor after any level was written.
    bool UseExpandedLevels(const Surface* renderTarget);
    const PixelBuffer& ExpandedLevel(UINT level) const { return expanded_.levels[level]; }
    // Whether the last UseExpandedLevels found the copies current.
    bool ExpandedLevelsCurrent() const { return expanded_.current; }
    uint64_t Bytes() const { return bytes_; }
    uint64_t TextureMemoryBytes() const override {
        return pool_ == D3DPOOL_DEFAULT || pool_ == D3DPOOL_MANAGED ? bytes_ : 0;
    }

    bool HasDirtyRegion() const { return dirty_; }
    const RECT& DirtyRegion() const { return dirtyRect_; }
    void ClearDirtyRegion() { dirty_ = false; }
    // Grows the region the next UpdateTexture uploads (level-0 coordinates).
    void MarkDirty(const RECT& rect);

protected:
    void OnFinalRelease() override;
    const char* InterfaceName() const override { return "IDirect3DTexture9"; }

private:
    D3DFORMAT format_;
    uint64_t bytes_;
    std::vector<std::unique_ptr<Surface>> levels_;
    DWORD lod_ = 0;
    D3DTEXTUREFILTERTYPE autoGenFilter_ = D3DTEXF_LINEAR;
    bool dirty_ = true;
    RECT dirtyRect_{};

    uint64_t LevelWrites() const;
    bool ExpandLevels();
    struct Expansion {
        std::vector<PixelBuffer> levels;  // empty until first made
        bool current = false;             // levels hold the texels as they are now
        uint64_t writes = 0;              // LevelWrites when made or when counting began
        uint64_t draws = 0;               // draws since then
    };
    Expansion expanded_;
};

// Whether textures keep expanded copies of 16-bit and block-compressed
// levels (default on); for tests comparing both ways.
void SetTextureExpansionEnabled(bool enabled);

// Null for a null pointer; otherwise the device's own texture object.
Texture* AsTexture(IDirect3DBaseTexture9* texture);
const Texture* AsTexture(const IDirect3DBaseTexture9* texture);

}  // namespace lumiva::d3d9
