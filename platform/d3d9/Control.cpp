// The test-control surface of Control.h over the registry.
#include "d3d9/Control.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/Registry.h"
#include "d3d9/Surface.h"
#include "d3d9/Texture.h"
#include "d3d9/raster/Combiner.h"
#include "d3d9/raster/RasterWorkers.h"

namespace lumiva::d3d9 {
namespace {

void CopyText(char* out, size_t size, const char* text) {
    std::snprintf(out, size, "%s", text);
}

bool IsDisplayFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5 ||
           format == D3DFMT_X1R5G5B5;
}

bool IsRenderTargetFormat(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4: return true;
        default: return false;
    }
}

}  // namespace

D3DCAPS9 DefaultCaps(D3DDEVTYPE type, UINT ordinal) {
    D3DCAPS9 caps{};
    caps.DeviceType = type;
    caps.AdapterOrdinal = ordinal;
    caps.Caps2 = D3DCAPS2_FULLSCREENGAMMA | D3DCAPS2_CANCALIBRATEGAMMA | D3DCAPS2_DYNAMICTEXTURES |
                 D3DCAPS2_CANMANAGERESOURCE;
    caps.Caps3 = D3DCAPS3_COPY_TO_VIDMEM | D3DCAPS3_COPY_TO_SYSTEMMEM;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_EXECUTEVIDEOMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                   D3DDEVCAPS_TLVERTEXVIDEOMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX |
                   D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX |
                   D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_PUREDEVICE;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                             D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP;
    // The raster draws no fog, no user clip planes and no point sizes, so
    // the caps offer none of them.
    caps.RasterCaps =
        D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_SCISSORTEST;
    caps.ZCmpCaps = caps.AlphaCmpCaps = 0xFF;
    caps.SrcBlendCaps = caps.DestBlendCaps = 0x7FF;
    caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
    caps.TextureCaps =
        D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_PROJECTED;
    caps.TextureFilterCaps = caps.StretchRectFilterCaps =
        D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
        D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                              D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV;
    caps.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP;
    caps.MaxTextureWidth = caps.MaxTextureHeight = 2048;
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = 2048;
    caps.MaxAnisotropy = 1;
    caps.MaxVertexW = 1e10f;
    caps.GuardBandLeft = caps.GuardBandTop = -8192.0f;
    caps.GuardBandRight = caps.GuardBandBottom = 8192.0f;
    caps.StencilCaps = 0xFF;
    caps.FVFCaps = 8 | D3DFVFCAPS_DONOTSTRIPELEMENTS;
    caps.TextureOpCaps = raster::ImplementedTextureOpCaps();
    caps.MaxTextureBlendStages = caps.MaxSimultaneousTextures = 8;
    caps.VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                                D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
    caps.MaxActiveLights = 8;
    caps.MaxUserClipPlanes = 0;
    caps.MaxVertexBlendMatrices = 4;
    caps.MaxVertexBlendMatrixIndex = 0;
    caps.MaxPointSize = 1.0f;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = 16;
    caps.MaxStreamStride = 255;
    caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
    caps.MaxVertexShaderConst = 96;
    caps.PixelShaderVersion = D3DPS_VERSION(0, 0);
    caps.PixelShader1xMaxValue = 1.0f;
    caps.MasterAdapterOrdinal = ordinal;
    caps.NumberOfAdaptersInGroup = 1;
    caps.NumSimultaneousRTs = 1;
    return caps;
}

AdapterConfig DefaultAdapter(UINT ordinal) {
    AdapterConfig adapter;
    CopyText(adapter.identifier.Driver, sizeof adapter.identifier.Driver, "lumivasw.dll");
    CopyText(adapter.identifier.Description, sizeof adapter.identifier.Description, "Lumiva Software Device");
    std::snprintf(adapter.identifier.DeviceName, sizeof adapter.identifier.DeviceName, "\\\\.\\DISPLAY%u",
                  ordinal + 1);
    adapter.identifier.DriverVersion.HighPart = (6 << 16) | 14;
    adapter.identifier.DriverVersion.LowPart = (10 << 16) | 1;
    adapter.identifier.VendorId = 0x4C56;
    adapter.identifier.DeviceId = 0x0009;
    adapter.identifier.DeviceIdentifier = GUID{0x4c756d69, 0x7661, 0x0009, {0x53, 0x6f, 0x66, 0x74, 0, 0, 0, 1}};
    adapter.identifier.WHQLLevel = 1;
    const UINT sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5})
        for (const auto& size : sizes) adapter.modes.push_back(D3DDISPLAYMODE{size[0], size[1], 60, format});
    adapter.halCaps = DefaultCaps(D3DDEVTYPE_HAL, ordinal);
    adapter.refCaps = DefaultCaps(D3DDEVTYPE_REF, ordinal);
    return adapter;
}

void SetAdapters(std::vector<AdapterConfig> adapters) { Registry::Get().adapters = std::move(adapters); }
const std::vector<AdapterConfig>& Adapters() { return Registry::Get().adapters; }

HRESULT DefaultFormatCheck(UINT /*adapter*/, D3DDEVTYPE /*type*/, D3DFORMAT adapterFormat, DWORD usage,
                           D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    if (!IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    const DWORD queries = D3DUSAGE_QUERY_LEGACYBUMPMAP | D3DUSAGE_QUERY_SRGBREAD | D3DUSAGE_QUERY_FILTER |
                          D3DUSAGE_QUERY_SRGBWRITE | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING |
                          D3DUSAGE_QUERY_VERTEXTEXTURE | D3DUSAGE_QUERY_WRAPANDMIP;
    usage &= ~(queries | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP);
    switch (resourceType) {
        case D3DRTYPE_VERTEXBUFFER: return checkFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DRTYPE_INDEXBUFFER:
            return checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32 ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DRTYPE_SURFACE:
        case D3DRTYPE_TEXTURE: break;
        default: return D3DERR_NOTAVAILABLE;
    }
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        return resourceType == D3DRTYPE_SURFACE && IsDepthFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_RENDERTARGET) return IsRenderTargetFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (usage & ~D3DUSAGE_DMAP) return D3DERR_NOTAVAILABLE;
    return IsColorFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

void SetFormatCheck(FormatCheck check) { Registry::Get().formatCheck = std::move(check); }
void RejectFormat(D3DFORMAT format) { Registry::Get().rejectedFormats.push_back(format); }
void SetDeviceTypeCheck(DeviceTypeCheck check) { Registry::Get().deviceTypeCheck = std::move(check); }

void SetDirect3DCreateFails(bool fails) { Registry::Get().direct3DCreateFails = fails; }
void SetCreateDeviceResult(HRESULT result) { Registry::Get().createDeviceResult = result; }
void FailCreationAt(UINT n, HRESULT result, UINT count) { Registry::Get().FailCreationAt(n, result, count); }
UINT ResourceCreationCount() { return Registry::Get().creationCount; }
void FailBufferLockAt(UINT n, UINT count) { Registry::Get().FailBufferLockAt(n, count); }

void SetCooperativeLevel(HRESULT level) {
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    for (Device* device : registry.devices) device->SetCooperativeLevelForTests(level);
}

void SetTotalTextureMemory(uint64_t bytes) { Registry::Get().totalTextureMemory = bytes; }
uint64_t TotalTextureMemory() { return Registry::Get().totalTextureMemory; }
uint64_t UsedTextureMemory() { return Registry::Get().usedTextureMemory; }

void EnableRecording(bool enabled) { RecorderSwitch::Set(enabled); }
bool IsRecording() { return IsRecordingCalls(); }
const std::vector<RecordedCall>& RecordedCalls() { return Registry::Get().calls; }
std::vector<RecordedCall> RecordedCallsNamed(const std::string& name) {
    std::vector<RecordedCall> named;
    for (const RecordedCall& call : Registry::Get().calls)
        if (call.name == name) named.push_back(call);
    return named;
}
void ClearRecording() {
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    registry.ClearCalls();
}

namespace {
Image ImageOf(const PixelBuffer& pixels) {
    Image image;
    image.width = pixels.width;
    image.height = pixels.height;
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    if (pixels.format == D3DFMT_A8R8G8B8) {
        for (UINT y = 0; y < image.height; ++y)
            std::memcpy(&image.pixels[static_cast<size_t>(y) * image.width], pixels.Row(y), image.width * 4);
        return image;
    }
    for (UINT y = 0; y < image.height; ++y)
        for (UINT x = 0; x < image.width; ++x) image.pixels[static_cast<size_t>(y) * image.width + x] = pixels.ReadColor(x, y);
    return image;
}
}  // namespace

Image FrontBuffer() {
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    return ImageOf(registry.FrontBuffer());
}

Image SurfaceImage(IDirect3DSurface9* surface) {
    const Surface* s = AsSurface(surface);
    if (!s || s->IsDead() || !IsColorFormat(s->Format())) return Image{};
    s->OwnerDevice()->FlushDrawsUsing(s->Pixels().bytes.data());
    return ImageOf(s->Pixels());
}

bool SavePng(const Image& image, const std::string& path) {
    if (image.width == 0 || image.height == 0) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(image.width) * 4);
    bool ok = false;
    if (png && info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (UINT y = 0; y < image.height; ++y) {
            for (UINT x = 0; x < image.width; ++x) {
                const D3DCOLOR c = image.At(x, y);
                row[x * 4 + 0] = static_cast<png_byte>(c >> 16);
                row[x * 4 + 1] = static_cast<png_byte>(c >> 8);
                row[x * 4 + 2] = static_cast<png_byte>(c);
                row[x * 4 + 3] = static_cast<png_byte>(c >> 24);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return std::fclose(file) == 0 && ok;
}

bool SaveFrontBufferPng(const std::string& path) { return SavePng(FrontBuffer(), path); }

void SetNoRaster(bool noRaster) { Registry::Get().noRaster = noRaster; }
bool NoRaster() { return Registry::Get().noRaster; }

void SetRasterThreadCount(int count) { raster::SetRasterThreads(count); }
int RasterThreadCount() { return raster::RasterThreads(); }

std::vector<std::string> OverReleases() { return Registry::Get().overReleases; }
UINT LiveDeviceCount() { return static_cast<UINT>(Registry::Get().devices.size()); }
UINT LiveResourceCount() { return Registry::Get().liveResources; }
size_t RetiredObjectCount() { return Registry::Get().RetiredCount(); }

UINT LiveDefaultPoolResourceCount() {
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    UINT count = 0;
    for (const Device* device : registry.devices) count += device->LiveDefaultPoolResources();
    return count;
}

void FailNextReset(HRESULT result) {
    Registry& registry = Registry::Get();
    std::lock_guard guard(registry.lock);
    registry.nextResetFailure = result;
}

void ResetForTests() {
    Registry::Get().Reset();
    raster::SetRasterThreads(0);
    SetTextureExpansionEnabled(true);
}

}  // namespace lumiva::d3d9
