// Direct3D 9 stand-in: the interfaces, in the platform's slot order, and the
// results. Implemented by the software device in platform/d3d9.
#pragma once

#include "d3d9caps.h"
#include "d3d9types.h"

#define D3D_SDK_VERSION 31
#define D3DADAPTER_DEFAULT 0
#define D3DENUM_WHQL_LEVEL 0x00000002L
#define D3DCURSOR_IMMEDIATE_UPDATE 0x00000001L

#define D3DCREATE_FPU_PRESERVE 0x00000002L
#define D3DCREATE_MULTITHREADED 0x00000004L
#define D3DCREATE_PUREDEVICE 0x00000010L
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020L
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040L
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080L
#define D3DCREATE_DISABLE_DRIVER_MANAGEMENT 0x00000100L
#define D3DCREATE_ADAPTERGROUP_DEVICE 0x00000200L

#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) MAKE_HRESULT(1, _FACD3D, code)
#define MAKE_D3DSTATUS(code) MAKE_HRESULT(0, _FACD3D, code)

#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_UNSUPPORTEDCOLORARG MAKE_D3DHRESULT(2074)
#define D3DERR_UNSUPPORTEDALPHAOPERATION MAKE_D3DHRESULT(2075)
#define D3DERR_UNSUPPORTEDALPHAARG MAKE_D3DHRESULT(2076)
#define D3DERR_TOOMANYOPERATIONS MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGTEXTUREFILTER MAKE_D3DHRESULT(2078)
#define D3DERR_UNSUPPORTEDFACTORVALUE MAKE_D3DHRESULT(2079)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_UNSUPPORTEDTEXTUREFILTER MAKE_D3DHRESULT(2082)
#define D3DERR_CONFLICTINGTEXTUREPALETTE MAKE_D3DHRESULT(2086)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINVALIDCALL MAKE_D3DHRESULT(2157)
#define D3DERR_WASSTILLDRAWING MAKE_D3DHRESULT(540)
#define D3DOK_NOAUTOGEN MAKE_D3DSTATUS(2159)

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DResource9;
struct IDirect3DBaseTexture9;
struct IDirect3DTexture9;
struct IDirect3DSurface9;
struct IDirect3DVertexBuffer9;
struct IDirect3DIndexBuffer9;
struct IDirect3DVertexDeclaration9;
struct IDirect3DVertexShader9;
struct IDirect3DPixelShader9;
// Named by the device's operations; the stand-in never creates them.
struct IDirect3DSwapChain9;
struct IDirect3DVolumeTexture9;
struct IDirect3DCubeTexture9;
struct IDirect3DStateBlock9;
struct IDirect3DQuery9;

typedef IDirect3D9* LPDIRECT3D9;
typedef IDirect3DDevice9* LPDIRECT3DDEVICE9;
typedef IDirect3DBaseTexture9* LPDIRECT3DBASETEXTURE9;
typedef IDirect3DTexture9* LPDIRECT3DTEXTURE9;
typedef IDirect3DSurface9* LPDIRECT3DSURFACE9;
typedef IDirect3DVertexBuffer9* LPDIRECT3DVERTEXBUFFER9;
typedef IDirect3DIndexBuffer9* LPDIRECT3DINDEXBUFFER9;
typedef IDirect3DVertexDeclaration9* LPDIRECT3DVERTEXDECLARATION9;
typedef IDirect3DVertexShader9* LPDIRECT3DVERTEXSHADER9;
typedef IDirect3DPixelShader9* LPDIRECT3DPIXELSHADER9;

inline constexpr GUID IID_IDirect3D9 = {0x81bdcbca, 0x64d4, 0x426d, {0xae, 0x8d, 0xad, 0x01, 0x47, 0xf4, 0x27, 0x5c}};
inline constexpr GUID IID_IDirect3DDevice9 = {0xd0223b96, 0xbf7a, 0x43fd, {0x92, 0xbd, 0xa4, 0x3b, 0x0d, 0x82, 0xb9, 0xeb}};
inline constexpr GUID IID_IDirect3DResource9 = {0x05eec05d, 0x8f7d, 0x4362, {0xb9, 0x99, 0xd1, 0xba, 0xf3, 0x57, 0xc7, 0x04}};
inline constexpr GUID IID_IDirect3DBaseTexture9 = {0x580ca87e, 0x1d3c, 0x4d54, {0x99, 0x1d, 0xb7, 0xd3, 0xe3, 0xc2, 0x98, 0xce}};
inline constexpr GUID IID_IDirect3DTexture9 = {0x85c31227, 0x3de5, 0x4f00, {0x9b, 0x3a, 0xf1, 0x1a, 0xc3, 0x8c, 0x18, 0xb5}};
inline constexpr GUID IID_IDirect3DSurface9 = {0x0cfbaf3a, 0x9ff6, 0x429a, {0x99, 0xb3, 0xa2, 0x79, 0x6a, 0xf8, 0xb8, 0x9b}};
inline constexpr GUID IID_IDirect3DVertexBuffer9 = {0xb64bb1b5, 0xfd70, 0x4df6, {0xbf, 0x91, 0x19, 0xd0, 0xa1, 0x24, 0x55, 0xe3}};
inline constexpr GUID IID_IDirect3DIndexBuffer9 = {0x7c9dd65e, 0xd3f7, 0x4529, {0xac, 0xee, 0x78, 0x58, 0x30, 0xac, 0xde, 0x35}};
inline constexpr GUID IID_IDirect3DVertexDeclaration9 = {0xdd13c59c, 0x36fa, 0x4098, {0xa8, 0xfb, 0xc7, 0xed, 0x39, 0xdc, 0x85, 0x46}};
inline constexpr GUID IID_IDirect3DVertexShader9 = {0xefc5557e, 0x6265, 0x4613, {0x8a, 0x94, 0x43, 0x85, 0x78, 0x89, 0xeb, 0x36}};
inline constexpr GUID IID_IDirect3DPixelShader9 = {0x6d3bdbdc, 0x5b02, 0x4415, {0xb8, 0x52, 0xce, 0x5e, 0x8b, 0xcc, 0xb2, 0x89}};

struct IDirect3D9 : public IUnknown {
    STDMETHOD(RegisterSoftwareDevice)(void* initializeFunction) PURE;
    STDMETHOD_(UINT, GetAdapterCount)() PURE;
    STDMETHOD(GetAdapterIdentifier)(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) PURE;
    STDMETHOD_(UINT, GetAdapterModeCount)(UINT adapter, D3DFORMAT format) PURE;
    STDMETHOD(EnumAdapterModes)(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode) PURE;
    STDMETHOD(GetAdapterDisplayMode)(UINT adapter, D3DDISPLAYMODE* mode) PURE;
    STDMETHOD(CheckDeviceType)(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                               D3DFORMAT backBufferFormat, BOOL windowed) PURE;
    STDMETHOD(CheckDeviceFormat)(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                                 D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) PURE;
    STDMETHOD(CheckDeviceMultiSampleType)(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat,
                                          BOOL windowed, D3DMULTISAMPLE_TYPE multiSampleType,
                                          DWORD* qualityLevels) PURE;
    STDMETHOD(CheckDepthStencilMatch)(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                      D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) PURE;
    STDMETHOD(CheckDeviceFormatConversion)(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT sourceFormat,
                                           D3DFORMAT targetFormat) PURE;
    STDMETHOD(GetDeviceCaps)(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) PURE;
    STDMETHOD_(HMONITOR, GetAdapterMonitor)(UINT adapter) PURE;
    STDMETHOD(CreateDevice)(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                            D3DPRESENT_PARAMETERS* presentationParameters,
                            IDirect3DDevice9** returnedDeviceInterface) PURE;
};

struct IDirect3DDevice9 : public IUnknown {
    STDMETHOD(TestCooperativeLevel)() PURE;
    STDMETHOD_(UINT, GetAvailableTextureMem)() PURE;
    STDMETHOD(EvictManagedResources)() PURE;
    STDMETHOD(GetDirect3D)(IDirect3D9** d3d) PURE;
    STDMETHOD(GetDeviceCaps)(D3DCAPS9* caps) PURE;
    STDMETHOD(GetDisplayMode)(UINT swapChain, D3DDISPLAYMODE* mode) PURE;
    STDMETHOD(GetCreationParameters)(D3DDEVICE_CREATION_PARAMETERS* parameters) PURE;
    STDMETHOD(SetCursorProperties)(UINT xHotSpot, UINT yHotSpot, IDirect3DSurface9* cursorBitmap) PURE;
    STDMETHOD_(void, SetCursorPosition)(int x, int y, DWORD flags) PURE;
    STDMETHOD_(BOOL, ShowCursor)(BOOL show) PURE;
    STDMETHOD(CreateAdditionalSwapChain)(D3DPRESENT_PARAMETERS* presentationParameters,
                                         IDirect3DSwapChain9** swapChain) PURE;
    STDMETHOD(GetSwapChain)(UINT swapChain, IDirect3DSwapChain9** result) PURE;
    STDMETHOD_(UINT, GetNumberOfSwapChains)() PURE;
    STDMETHOD(Reset)(D3DPRESENT_PARAMETERS* presentationParameters) PURE;
    STDMETHOD(Present)(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                       const RGNDATA* dirtyRegion) PURE;
    STDMETHOD(GetBackBuffer)(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                             IDirect3DSurface9** result) PURE;
    STDMETHOD(GetRasterStatus)(UINT swapChain, D3DRASTER_STATUS* status) PURE;
    STDMETHOD(SetDialogBoxMode)(BOOL enable) PURE;
    STDMETHOD_(void, SetGammaRamp)(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) PURE;
    STDMETHOD_(void, GetGammaRamp)(UINT swapChain, D3DGAMMARAMP* ramp) PURE;
    STDMETHOD(CreateTexture)(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                             IDirect3DTexture9** texture, HANDLE* sharedHandle) PURE;
    STDMETHOD(CreateVolumeTexture)(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                   D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                   HANDLE* sharedHandle) PURE;
    STDMETHOD(CreateCubeTexture)(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DCubeTexture9** texture, HANDLE* sharedHandle) PURE;
    STDMETHOD(CreateVertexBuffer)(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                  IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) PURE;
    STDMETHOD(CreateIndexBuffer)(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) PURE;
    STDMETHOD(CreateRenderTarget)(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                  DWORD multisampleQuality, BOOL lockable, IDirect3DSurface9** surface,
                                  HANDLE* sharedHandle) PURE;
    STDMETHOD(CreateDepthStencilSurface)(UINT width, UINT height, D3DFORMAT format,
                                         D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                         BOOL discard, IDirect3DSurface9** surface, HANDLE* sharedHandle) PURE;
    STDMETHOD(UpdateSurface)(IDirect3DSurface9* sourceSurface, const RECT* sourceRect,
                             IDirect3DSurface9* destinationSurface, const POINT* destPoint) PURE;
    STDMETHOD(UpdateTexture)(IDirect3DBaseTexture9* sourceTexture, IDirect3DBaseTexture9* destinationTexture) PURE;
    STDMETHOD(GetRenderTargetData)(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destSurface) PURE;
    STDMETHOD(GetFrontBufferData)(UINT swapChain, IDirect3DSurface9* destSurface) PURE;
    STDMETHOD(StretchRect)(IDirect3DSurface9* sourceSurface, const RECT* sourceRect, IDirect3DSurface9* destSurface,
                           const RECT* destRect, D3DTEXTUREFILTERTYPE filter) PURE;
    STDMETHOD(ColorFill)(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) PURE;
    STDMETHOD(CreateOffscreenPlainSurface)(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DSurface9** surface, HANDLE* sharedHandle) PURE;
    STDMETHOD(SetRenderTarget)(DWORD renderTargetIndex, IDirect3DSurface9* renderTarget) PURE;
    STDMETHOD(GetRenderTarget)(DWORD renderTargetIndex, IDirect3DSurface9** renderTarget) PURE;
    STDMETHOD(SetDepthStencilSurface)(IDirect3DSurface9* newZStencil) PURE;
    STDMETHOD(GetDepthStencilSurface)(IDirect3DSurface9** zStencilSurface) PURE;
    STDMETHOD(BeginScene)() PURE;
    STDMETHOD(EndScene)() PURE;
    STDMETHOD(Clear)(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) PURE;
    STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) PURE;
    STDMETHOD(GetTransform)(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) PURE;
    STDMETHOD(MultiplyTransform)(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) PURE;
    STDMETHOD(SetViewport)(const D3DVIEWPORT9* viewport) PURE;
    STDMETHOD(GetViewport)(D3DVIEWPORT9* viewport) PURE;
    STDMETHOD(SetMaterial)(const D3DMATERIAL9* material) PURE;
    STDMETHOD(GetMaterial)(D3DMATERIAL9* material) PURE;
    STDMETHOD(SetLight)(DWORD index, const D3DLIGHT9* light) PURE;
    STDMETHOD(GetLight)(DWORD index, D3DLIGHT9* light) PURE;
    STDMETHOD(LightEnable)(DWORD index, BOOL enable) PURE;
    STDMETHOD(GetLightEnable)(DWORD index, BOOL* enable) PURE;
    STDMETHOD(SetClipPlane)(DWORD index, const float* plane) PURE;
    STDMETHOD(GetClipPlane)(DWORD index, float* plane) PURE;
    STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE state, DWORD value) PURE;
    STDMETHOD(GetRenderState)(D3DRENDERSTATETYPE state, DWORD* value) PURE;
    STDMETHOD(CreateStateBlock)(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** stateBlock) PURE;
    STDMETHOD(BeginStateBlock)() PURE;
    STDMETHOD(EndStateBlock)(IDirect3DStateBlock9** stateBlock) PURE;
    STDMETHOD(SetClipStatus)(const D3DCLIPSTATUS9* clipStatus) PURE;
    STDMETHOD(GetClipStatus)(D3DCLIPSTATUS9* clipStatus) PURE;
    STDMETHOD(GetTexture)(DWORD stage, IDirect3DBaseTexture9** texture) PURE;
    STDMETHOD(SetTexture)(DWORD stage, IDirect3DBaseTexture9* texture) PURE;
    STDMETHOD(GetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) PURE;
    STDMETHOD(SetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) PURE;
    STDMETHOD(GetSamplerState)(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) PURE;
    STDMETHOD(SetSamplerState)(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) PURE;
    STDMETHOD(ValidateDevice)(DWORD* numPasses) PURE;
    STDMETHOD(SetPaletteEntries)(UINT paletteNumber, const PALETTEENTRY* entries) PURE;
    STDMETHOD(GetPaletteEntries)(UINT paletteNumber, PALETTEENTRY* entries) PURE;
    STDMETHOD(SetCurrentTexturePalette)(UINT paletteNumber) PURE;
    STDMETHOD(GetCurrentTexturePalette)(UINT* paletteNumber) PURE;
    STDMETHOD(SetScissorRect)(const RECT* rect) PURE;
    STDMETHOD(GetScissorRect)(RECT* rect) PURE;
    STDMETHOD(SetSoftwareVertexProcessing)(BOOL software) PURE;
    STDMETHOD_(BOOL, GetSoftwareVertexProcessing)() PURE;
    STDMETHOD(SetNPatchMode)(float segments) PURE;
    STDMETHOD_(float, GetNPatchMode)() PURE;
    STDMETHOD(DrawPrimitive)(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) PURE;
    STDMETHOD(DrawIndexedPrimitive)(D3DPRIMITIVETYPE primitiveType, INT baseVertexIndex, UINT minVertexIndex,
                                    UINT numVertices, UINT startIndex, UINT primitiveCount) PURE;
    STDMETHOD(DrawPrimitiveUP)(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount, const void* vertexData,
                               UINT vertexStride) PURE;
    STDMETHOD(DrawIndexedPrimitiveUP)(D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex, UINT numVertices,
                                      UINT primitiveCount, const void* indexData, D3DFORMAT indexDataFormat,
                                      const void* vertexData, UINT vertexStride) PURE;
    STDMETHOD(ProcessVertices)(UINT srcStartIndex, UINT destIndex, UINT vertexCount,
                               IDirect3DVertexBuffer9* destBuffer, IDirect3DVertexDeclaration9* vertexDecl,
                               DWORD flags) PURE;
    STDMETHOD(CreateVertexDeclaration)(const D3DVERTEXELEMENT9* vertexElements,
                                       IDirect3DVertexDeclaration9** declaration) PURE;
    STDMETHOD(SetVertexDeclaration)(IDirect3DVertexDeclaration9* declaration) PURE;
    STDMETHOD(GetVertexDeclaration)(IDirect3DVertexDeclaration9** declaration) PURE;
    STDMETHOD(SetFVF)(DWORD fvf) PURE;
    STDMETHOD(GetFVF)(DWORD* fvf) PURE;
    STDMETHOD(CreateVertexShader)(const DWORD* function, IDirect3DVertexShader9** shader) PURE;
    STDMETHOD(SetVertexShader)(IDirect3DVertexShader9* shader) PURE;
    STDMETHOD(GetVertexShader)(IDirect3DVertexShader9** shader) PURE;
    STDMETHOD(SetVertexShaderConstantF)(UINT startRegister, const float* constantData, UINT vector4fCount) PURE;
    STDMETHOD(GetVertexShaderConstantF)(UINT startRegister, float* constantData, UINT vector4fCount) PURE;
    STDMETHOD(SetVertexShaderConstantI)(UINT startRegister, const int* constantData, UINT vector4iCount) PURE;
    STDMETHOD(GetVertexShaderConstantI)(UINT startRegister, int* constantData, UINT vector4iCount) PURE;
    STDMETHOD(SetVertexShaderConstantB)(UINT startRegister, const BOOL* constantData, UINT boolCount) PURE;
    STDMETHOD(GetVertexShaderConstantB)(UINT startRegister, BOOL* constantData, UINT boolCount) PURE;
    STDMETHOD(SetStreamSource)(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT offsetInBytes,
                               UINT stride) PURE;
    STDMETHOD(GetStreamSource)(UINT streamNumber, IDirect3DVertexBuffer9** streamData, UINT* offsetInBytes,
                               UINT* stride) PURE;
    STDMETHOD(SetStreamSourceFreq)(UINT streamNumber, UINT setting) PURE;
    STDMETHOD(GetStreamSourceFreq)(UINT streamNumber, UINT* setting) PURE;
    STDMETHOD(SetIndices)(IDirect3DIndexBuffer9* indexData) PURE;
    STDMETHOD(GetIndices)(IDirect3DIndexBuffer9** indexData) PURE;
    STDMETHOD(CreatePixelShader)(const DWORD* function, IDirect3DPixelShader9** shader) PURE;
    STDMETHOD(SetPixelShader)(IDirect3DPixelShader9* shader) PURE;
    STDMETHOD(GetPixelShader)(IDirect3DPixelShader9** shader) PURE;
    STDMETHOD(SetPixelShaderConstantF)(UINT startRegister, const float* constantData, UINT vector4fCount) PURE;
    STDMETHOD(GetPixelShaderConstantF)(UINT startRegister, float* constantData, UINT vector4fCount) PURE;
    STDMETHOD(SetPixelShaderConstantI)(UINT startRegister, const int* constantData, UINT vector4iCount) PURE;
    STDMETHOD(GetPixelShaderConstantI)(UINT startRegister, int* constantData, UINT vector4iCount) PURE;
    STDMETHOD(SetPixelShaderConstantB)(UINT startRegister, const BOOL* constantData, UINT boolCount) PURE;
    STDMETHOD(GetPixelShaderConstantB)(UINT startRegister, BOOL* constantData, UINT boolCount) PURE;
    STDMETHOD(DrawRectPatch)(UINT handle, const float* numSegs, const D3DRECTPATCH_INFO* rectPatchInfo) PURE;
    STDMETHOD(DrawTriPatch)(UINT handle, const float* numSegs, const D3DTRIPATCH_INFO* triPatchInfo) PURE;
    STDMETHOD(DeletePatch)(UINT handle) PURE;
    STDMETHOD(CreateQuery)(D3DQUERYTYPE type, IDirect3DQuery9** query) PURE;
};

struct IDirect3DResource9 : public IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice9** device) PURE;
    STDMETHOD(SetPrivateData)(REFGUID refguid, const void* data, DWORD sizeOfData, DWORD flags) PURE;
    STDMETHOD(GetPrivateData)(REFGUID refguid, void* data, DWORD* sizeOfData) PURE;
    STDMETHOD(FreePrivateData)(REFGUID refguid) PURE;
    STDMETHOD_(DWORD, SetPriority)(DWORD priority) PURE;
    STDMETHOD_(DWORD, GetPriority)() PURE;
    STDMETHOD_(void, PreLoad)() PURE;
    STDMETHOD_(D3DRESOURCETYPE, GetType)() PURE;
};

struct IDirect3DBaseTexture9 : public IDirect3DResource9 {
    STDMETHOD_(DWORD, SetLOD)(DWORD lodNew) PURE;
    STDMETHOD_(DWORD, GetLOD)() PURE;
    STDMETHOD_(DWORD, GetLevelCount)() PURE;
    STDMETHOD(SetAutoGenFilterType)(D3DTEXTUREFILTERTYPE filterType) PURE;
    STDMETHOD_(D3DTEXTUREFILTERTYPE, GetAutoGenFilterType)() PURE;
    STDMETHOD_(void, GenerateMipSubLevels)() PURE;
};

struct IDirect3DTexture9 : public IDirect3DBaseTexture9 {
    STDMETHOD(GetLevelDesc)(UINT level, D3DSURFACE_DESC* desc) PURE;
    STDMETHOD(GetSurfaceLevel)(UINT level, IDirect3DSurface9** surfaceLevel) PURE;
    STDMETHOD(LockRect)(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) PURE;
    STDMETHOD(UnlockRect)(UINT level) PURE;
    STDMETHOD(AddDirtyRect)(const RECT* dirtyRect) PURE;
};

struct IDirect3DSurface9 : public IDirect3DResource9 {
    STDMETHOD(GetContainer)(REFIID riid, void** container) PURE;
    STDMETHOD(GetDesc)(D3DSURFACE_DESC* desc) PURE;
    STDMETHOD(LockRect)(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) PURE;
    STDMETHOD(UnlockRect)() PURE;
    STDMETHOD(GetDC)(HDC* hdc) PURE;
    STDMETHOD(ReleaseDC)(HDC hdc) PURE;
};

struct IDirect3DVertexBuffer9 : public IDirect3DResource9 {
    STDMETHOD(Lock)(UINT offsetToLock, UINT sizeToLock, void** data, DWORD flags) PURE;
    STDMETHOD(Unlock)() PURE;
    STDMETHOD(GetDesc)(D3DVERTEXBUFFER_DESC* desc) PURE;
};

struct IDirect3DIndexBuffer9 : public IDirect3DResource9 {
    STDMETHOD(Lock)(UINT offsetToLock, UINT sizeToLock, void** data, DWORD flags) PURE;
    STDMETHOD(Unlock)() PURE;
    STDMETHOD(GetDesc)(D3DINDEXBUFFER_DESC* desc) PURE;
};

struct IDirect3DVertexDeclaration9 : public IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice9** device) PURE;
    STDMETHOD(GetDeclaration)(D3DVERTEXELEMENT9* elements, UINT* numElements) PURE;
};

struct IDirect3DVertexShader9 : public IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice9** device) PURE;
    STDMETHOD(GetFunction)(void* data, UINT* sizeOfData) PURE;
};

struct IDirect3DPixelShader9 : public IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice9** device) PURE;
    STDMETHOD(GetFunction)(void* data, UINT* sizeOfData) PURE;
};

IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion);
