// Test control of the software Direct3D 9 device: what the machine offers
// (adapters, modes, capabilities, format answers), injected failures, the
// texture-memory budget, the call recorder, the front buffer on the virtual
// desktop, and the "no raster" switch. ResetForTests returns it all to the
// defaults below.
//
// Texture memory: available memory starts at the total (default 128 MiB)
// and every texture in the default or managed pool takes the exact bytes of
// its levels while it lives: for each level of size max(1, w >> i) x
// max(1, h >> i), width x bytes per pixel x height for plain formats, and
// ceil(w / 4) x ceil(h / 4) x 8 (DXT1) or 16 (DXT2 to DXT5) bytes for the
// block formats (a level smaller than 4 still takes one block). No row
// padding. System-memory textures, surfaces and buffers take nothing.
// GetAvailableTextureMem reports total - used.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <d3d9.h>

#include "d3d9/State.h"

namespace lumiva::d3d9 {

// --- Adapters ---
struct AdapterConfig {
    D3DADAPTER_IDENTIFIER9 identifier{};
    // The adapter's current (desktop) mode. Width or Height 0 takes the
    // virtual desktop's size.
    D3DDISPLAYMODE displayMode{0, 0, 60, D3DFMT_X8R8G8B8};
    // Every mode the adapter offers, all formats together;
    // GetAdapterModeCount and EnumAdapterModes list those of one format in
    // this order.
    std::vector<D3DDISPLAYMODE> modes;
    bool hasHal = true;
    bool hasRef = true;
    D3DCAPS9 halCaps{};
    D3DCAPS9 refCaps{};
};

// A HAL adapter with hardware transform and lighting, vs_1_1, 1024x1024
// textures without power-of-two limits, modes 640x480 to 1600x1200 in
// X8R8G8B8 and R5G6B5, and a REF device beside it.
AdapterConfig DefaultAdapter(UINT ordinal = 0);
D3DCAPS9 DefaultCaps(D3DDEVTYPE type, UINT ordinal = 0);
void SetAdapters(std::vector<AdapterConfig> adapters);
const std::vector<AdapterConfig>& Adapters();

// --- Format and device-type answers ---
using FormatCheck = std::function<HRESULT(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                          D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)>;
// The default: the stored colour formats for textures and surfaces (render
// targets in A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5 and A4R4G4B4),
// the depth formats for depth-stencil use, on any adapter format of 16 or
// 32 bits. An empty function restores it.
HRESULT DefaultFormatCheck(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                           D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat);
void SetFormatCheck(FormatCheck check);
// Shortcut over the default: `format` is refused for every usage.
void RejectFormat(D3DFORMAT format);

using DeviceTypeCheck = std::function<HRESULT(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                              D3DFORMAT backBufferFormat, BOOL windowed)>;
// Default: X8R8G8B8, R5G6B5 and X1R5G5B5 displays with a matching back buffer
// (or A8R8G8B8 on X8R8G8B8). An empty function restores it.
void SetDeviceTypeCheck(DeviceTypeCheck check);

// --- Creation results ---
// Direct3DCreate9 returns null while set.
void SetDirect3DCreateFails(bool fails);
// CreateDevice returns this (without a device) unless it is D3D_OK.
void SetCreateDeviceResult(HRESULT result);
// The nth resource creation from now (1 = the next) and the count - 1 after
// it fail with `result`. Every Create* of a texture, surface, vertex or index
// buffer counts, whatever the pool.
void FailCreationAt(UINT n, HRESULT result = D3DERR_OUTOFVIDEOMEMORY, UINT count = 1);
// Resource creations since the last reset.
UINT ResourceCreationCount();
// The nth vertex or index buffer Lock from now (1 = the next) and the
// count - 1 after it fail with D3DERR_INVALIDCALL and hand out no memory.
void FailBufferLockAt(UINT n, UINT count = 1);

// --- Cooperative level ---
// Puts every live device into D3D_OK, D3DERR_DEVICELOST or
// D3DERR_DEVICENOTRESET. A lost device refuses Reset and Present with
// D3DERR_DEVICELOST; a not-reset device refuses Present until a Reset
// succeeds, which brings it back to D3D_OK.
void SetCooperativeLevel(HRESULT level);
// The next Reset of any device fails with `result` and leaves that device
// not reset, as a Reset the driver refuses; the switch is used up by it.
void FailNextReset(HRESULT result = D3DERR_INVALIDCALL);

// --- Texture memory ---
void SetTotalTextureMemory(uint64_t bytes);
uint64_t TotalTextureMemory();
uint64_t UsedTextureMemory();

// --- Call recorder ---
// Device operations appear under their own names ("SetRenderState"); the
// others under the object's kind: "Direct3D::CheckDeviceFormat",
// "Direct3D::CheckDeviceType", "Direct3D::CreateDevice",
// "VertexBuffer::Lock" / "::Unlock" and "IndexBuffer::Lock" / "::Unlock"
// (buffer, offset, size, flags), "Texture::LockRect" / "Surface::LockRect"
// (object, level, left, top, right, bottom, flags), their UnlockRect
// (object, level), and "Texture::AddDirtyRect".
// D3DX meshes add "Mesh::DrawSubset" (mesh, attribute) after the device
// calls the subset's draw made.
struct RecordedCall {
    std::string name;            // e.g. "SetRenderState"
    std::vector<uint64_t> args;  // integers as given; floats as their bits;
                                 // pointers as addresses, or the pointed-to
                                 // values for matrices, viewports and rects
    HRESULT result = D3D_OK;
    // Draw calls only: the pipeline state at the draw.
    std::shared_ptr<const DeviceState> state;
};
// Draws with equal states share one snapshot. Past 4096 distinct snapshots
// the recorder says so on stderr and switches itself off (IsRecording()
// turns false); ClearRecording starts the count afresh.
void EnableRecording(bool enabled);
bool IsRecording();
const std::vector<RecordedCall>& RecordedCalls();
std::vector<RecordedCall> RecordedCallsNamed(const std::string& name);
void ClearRecording();

// --- Pixels ---
struct Image {
    UINT width = 0;
    UINT height = 0;
    std::vector<D3DCOLOR> pixels;  // A8R8G8B8, row by row
    D3DCOLOR At(UINT x, UINT y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
// The front buffer: what Present put on the virtual desktop (desktop-sized,
// or the full-screen mode's size).
Image FrontBuffer();
// Any colour surface's pixels, decoded; empty for others.
Image SurfaceImage(IDirect3DSurface9* surface);
bool SavePng(const Image& image, const std::string& path);
bool SaveFrontBufferPng(const std::string& path);

// Draws, clears and presents validate and record but touch no pixels.
void SetNoRaster(bool noRaster);
bool NoRaster();

// Threads that rasterize a large draw, the caller included: 1 draws on the
// calling thread alone; 0 (the start) means the processor count. Results are
// the same for every count.
void SetRasterThreadCount(int count);
int RasterThreadCount();

// --- Reference counting ---
// One entry (the interface name) per Release or AddRef on an object whose
// count had already reached zero.
std::vector<std::string> OverReleases();
// Devices and resources alive now.
UINT LiveDeviceCount();
UINT LiveResourceCount();
// Default-pool resources alive now on all devices (those that block Reset).
UINT LiveDefaultPoolResourceCount();
// Objects whose last reference went, kept a while to catch a late Release;
// never more than kRetiredObjectLimit, the oldest freed first.
constexpr size_t kRetiredObjectLimit = 4096;
size_t RetiredObjectCount();

void ResetForTests();

}  // namespace lumiva::d3d9
