// Render targets and depth buffers, clears, and the copies between surfaces
// and textures.
#include <algorithm>

#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/Registry.h"
#include "d3d9/Surface.h"
#include "d3d9/SurfaceCopy.h"
#include "d3d9/Texture.h"

namespace lumiva::d3d9 {
namespace {

RECT WholeRect(const Surface& surface) {
    return RECT{0, 0, static_cast<LONG>(surface.Width()), static_cast<LONG>(surface.Height())};
}

// Block-format rectangles grow to whole blocks, clamped to the image.
RECT AlignToBlocks(RECT r, const PixelBuffer& pixels) {
    if (!IsBlockFormat(pixels.format)) return r;
    r.left &= ~3;
    r.top &= ~3;
    r.right = std::min<LONG>((r.right + 3) & ~3, static_cast<LONG>(pixels.width));
    r.bottom = std::min<LONG>((r.bottom + 3) & ~3, static_cast<LONG>(pixels.height));
    return r;
}

bool BlockAligned(const RECT& r, const PixelBuffer& pixels) {
    if (!IsBlockFormat(pixels.format)) return true;
    return r.left % 4 == 0 && r.top % 4 == 0 && (r.right % 4 == 0 || static_cast<UINT>(r.right) == pixels.width) &&
           (r.bottom % 4 == 0 || static_cast<UINT>(r.bottom) == pixels.height);
}

}  // namespace

// --- Render targets ---

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* renderTarget) {
    FlushDraws();  // kept draws land before this reads or changes pixels or targets
    const std::initializer_list<uint64_t> args = {index, PointerArg(renderTarget)};
    Surface* surface = AsSurface(renderTarget);
    if (index >= std::max<DWORD>(1, caps_.NumSimultaneousRTs) || (index == 0 && !surface))
        return RecordCall("SetRenderTarget", args, D3DERR_INVALIDCALL);
    if (surface && (surface->IsDead() || !surface->IsRenderTargetCapable()))
        return RecordCall("SetRenderTarget", args, D3DERR_INVALIDCALL);
    if (index > 0) return RecordCall("SetRenderTarget", args, D3DERR_INVALIDCALL);
    // What was drawn into the old target counts as written to it.
    if (Surface* old = AsSurface(state_.renderTarget)) old->NoteWrite();
    BindState(state_.renderTarget, renderTarget);
    // The viewport and scissor follow the new target.
    SetFullViewport(surface);
    state_.scissorRect = WholeRect(*surface);
    return RecordCall("SetRenderTarget", args, D3D_OK);
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** renderTarget) {
    if (!renderTarget) return D3DERR_INVALIDCALL;
    *renderTarget = nullptr;
    if (index >= std::max<DWORD>(1, caps_.NumSimultaneousRTs)) return D3DERR_INVALIDCALL;
    if (index > 0 || !state_.renderTarget) return D3DERR_NOTFOUND;
    *renderTarget = state_.renderTarget;
    (*renderTarget)->AddRef();
    return RecordCall("GetRenderTarget", {index, PointerArg(*renderTarget)}, D3D_OK);
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* depthStencil) {
    FlushDraws();
    Surface* surface = AsSurface(depthStencil);
    if (surface && (surface->IsDead() || surface->Role() != SurfaceRole::DepthStencil))
        return RecordCall("SetDepthStencilSurface", {PointerArg(depthStencil)}, D3DERR_INVALIDCALL);
    BindState(state_.depthStencil, depthStencil);
    return RecordCall("SetDepthStencilSurface", {PointerArg(depthStencil)}, D3D_OK);
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** depthStencil) {
    if (!depthStencil) return D3DERR_INVALIDCALL;
    *depthStencil = state_.depthStencil;
    if (!*depthStencil) return D3DERR_NOTFOUND;
    (*depthStencil)->AddRef();
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** result) {
    if (!result) return D3DERR_INVALIDCALL;
    *result = nullptr;
    if (swapChain != 0 || backBuffer >= parameters_.BackBufferCount || type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    *result = backBuffer_;
    backBuffer_->AddRef();
    return RecordCall("GetBackBuffer", {swapChain, backBuffer, PointerArg(*result)}, D3D_OK);
}

// --- Clear ---

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    FlushDraws();
    const std::initializer_list<uint64_t> args = {count, PointerArg(rects), flags, color, FloatArg(z), stencil};
    const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (!flags || (flags & ~known) || (count && !rects) || !(z >= 0.0f && z <= 1.0f))
        return RecordCall("Clear", args, D3DERR_INVALIDCALL);
    Surface* depth = AsSurface(state_.depthStencil);
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depth) return RecordCall("Clear", args, D3DERR_INVALIDCALL);
    if ((flags & D3DCLEAR_STENCIL) && !FormatHasStencil(depth->Format()))
        return RecordCall("Clear", args, D3DERR_INVALIDCALL);
    if (IsLost() || Registry::Get().noRaster) return RecordCall("Clear", args, D3D_OK);

    Surface* target = AsSurface(state_.renderTarget);
    const D3DVIEWPORT9& v = state_.viewport;
    RECT area{static_cast<LONG>(v.X), static_cast<LONG>(v.Y), static_cast<LONG>(v.X + v.Width),
              static_cast<LONG>(v.Y + v.Height)};
    if (state_.renderStates[D3DRS_SCISSORTESTENABLE]) IntersectRects(area, state_.scissorRect, &area);

    auto clearOne = [&](const RECT& region) {
        RECT clipped;
        if ((flags & D3DCLEAR_TARGET) && IntersectRects(region, WholeRect(*target), &clipped))
            FillColor(target->Pixels(), clipped, color);
        if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && IntersectRects(region, WholeRect(*depth), &clipped))
            FillDepthStencil(depth->Pixels(), clipped, flags & D3DCLEAR_ZBUFFER, z, flags & D3DCLEAR_STENCIL, stencil);
    };
    if (count == 0) {
        clearOne(area);
    } else {
        for (DWORD i = 0; i < count; ++i) {
            RECT r{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2}, clipped;
            if (IntersectRects(r, area, &clipped)) clearOne(clipped);
        }
    }
    return RecordCall("Clear", args, D3D_OK);
}

HRESULT Device::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) {
    FlushDraws();
    Surface* s = AsSurface(surface);
    RECT area;
    if (!s || s->IsDead() || s->Pool() != D3DPOOL_DEFAULT || s->IsLocked() ||
        !(s->Role() == SurfaceRole::OffscreenPlain || s->IsRenderTargetCapable()) || IsBlockFormat(s->Format()) ||
        !ResolveRect(rect, s->Width(), s->Height(), &area))
        return RecordCall("ColorFill", {PointerArg(surface), color}, D3DERR_INVALIDCALL);
    FillColor(s->Pixels(), area, color);
    return RecordCall("ColorFill", {PointerArg(surface), color}, D3D_OK);
}

// --- Copies ---

HRESULT Device::UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* destination,
                              const POINT* destPoint) {
    FlushDraws();
    const std::initializer_list<uint64_t> args = {PointerArg(source), PointerArg(destination)};
    Surface* src = AsSurface(source);
    Surface* dst = AsSurface(destination);
    if (!src || !dst || src->IsDead() || dst->IsDead() || src->Pool() != D3DPOOL_SYSTEMMEM ||
        dst->Pool() != D3DPOOL_DEFAULT || src->Format() != dst->Format() || src->IsLocked() || dst->IsLocked() ||
        dst->Role() == SurfaceRole::DepthStencil)
        return RecordCall("UpdateSurface", args, D3DERR_INVALIDCALL);
    RECT area;
    if (!ResolveRect(sourceRect, src->Width(), src->Height(), &area) || !BlockAligned(area, src->Pixels()))
        return RecordCall("UpdateSurface", args, D3DERR_INVALIDCALL);
    const POINT to = destPoint ? *destPoint : POINT{0, 0};
    RECT placed{to.x, to.y, to.x + (area.right - area.left), to.y + (area.bottom - area.top)};
    RECT check;
    if (!ResolveRect(&placed, dst->Width(), dst->Height(), &check) || !BlockAligned(placed, dst->Pixels()))
        return RecordCall("UpdateSurface", args, D3DERR_INVALIDCALL);
    CopyRect(src->Pixels(), area, dst->Pixels(), to);
    return RecordCall("UpdateSurface", args, D3D_OK);
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination) {
    FlushDraws();
    const std::initializer_list<uint64_t> args = {PointerArg(source), PointerArg(destination)};
    Texture* src = AsTexture(source);
    Texture* dst = AsTexture(destination);
    if (!src || !dst || src->IsDead() || dst->IsDead() || src->Pool() != D3DPOOL_SYSTEMMEM ||
        dst->Pool() != D3DPOOL_DEFAULT || src->Format() != dst->Format() || src->Width() != dst->Width() ||
        src->Height() != dst->Height() || src->LevelCount() < dst->LevelCount())
        return RecordCall("UpdateTexture", args, D3DERR_INVALIDCALL);
    for (UINT level = 0; level < dst->LevelCount(); ++level)
        if (src->LevelSurface(level)->IsLocked() || dst->LevelSurface(level)->IsLocked())
            return RecordCall("UpdateTexture", args, D3DERR_INVALIDCALL);
    // Only what changed since the last upload goes across.
    if (!src->HasDirtyRegion()) return RecordCall("UpdateTexture", args, D3D_OK);
    const RECT dirty = src->DirtyRegion();
    for (UINT level = 0; level < dst->LevelCount(); ++level) {
        const PixelBuffer& from = src->Level(level);
        RECT r{dirty.left >> level, dirty.top >> level, std::max<LONG>((dirty.right + (1 << level) - 1) >> level, 1),
               std::max<LONG>((dirty.bottom + (1 << level) - 1) >> level, 1)};
        r.right = std::min<LONG>(r.right, static_cast<LONG>(from.width));
        r.bottom = std::min<LONG>(r.bottom, static_cast<LONG>(from.height));
        r = AlignToBlocks(r, from);
        if (r.left >= r.right || r.top >= r.bottom) continue;
        CopyRect(from, r, dst->LevelSurface(level)->Pixels(), POINT{r.left, r.top});
    }
    src->ClearDirtyRegion();
    return RecordCall("UpdateTexture", args, D3D_OK);
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination) {
    FlushDraws();
    const std::initializer_list<uint64_t> args = {PointerArg(renderTarget), PointerArg(destination)};
    Surface* src = AsSurface(renderTarget);
    Surface* dst = AsSurface(destination);
    if (!src || !dst || src->IsDead() || dst->IsDead() || !src->IsRenderTargetCapable() ||
        dst->Pool() != D3DPOOL_SYSTEMMEM || src->Format() != dst->Format() || src->Width() != dst->Width() ||
        src->Height() != dst->Height() || dst->IsLocked())
        return RecordCall("GetRenderTargetData", args, D3DERR_INVALIDCALL);
    if (!IsLost()) CopyRect(src->Pixels(), WholeRect(*src), dst->Pixels(), POINT{0, 0});
    return RecordCall("GetRenderTargetData", args, IsLost() ? D3DERR_DEVICELOST : D3D_OK);
}

HRESULT Device::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* destination,
                            const RECT* destRect, D3DTEXTUREFILTERTYPE filter) {
    FlushDraws();
    const std::initializer_list<uint64_t> args = {PointerArg(source), PointerArg(destination),
                                                  static_cast<uint64_t>(filter)};
    Surface* src = AsSurface(source);
    Surface* dst = AsSurface(destination);
    RECT from, to;
    if (!src || !dst || src == dst || src->IsDead() || dst->IsDead() || src->Pool() != D3DPOOL_DEFAULT ||
        dst->Pool() != D3DPOOL_DEFAULT || src->IsLocked() || dst->IsLocked() ||
        src->Role() == SurfaceRole::DepthStencil || dst->Role() == SurfaceRole::DepthStencil ||
        !(dst->IsRenderTargetCapable() || dst->Role() == SurfaceRole::OffscreenPlain) || IsBlockFormat(dst->Format()) ||
        (filter != D3DTEXF_NONE && filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) ||
        !ResolveRect(sourceRect, src->Width(), src->Height(), &from) ||
        !ResolveRect(destRect, dst->Width(), dst->Height(), &to))
        return RecordCall("StretchRect", args, D3DERR_INVALIDCALL);
    if (!IsLost()) StretchCopy(src->Pixels(), from, dst->Pixels(), to);
    return RecordCall("StretchRect", args, D3D_OK);
}

}  // namespace lumiva::d3d9
