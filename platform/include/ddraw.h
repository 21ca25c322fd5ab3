// DirectDraw stand-in: only creation and the capability query, which
// reports the total video memory (see ddraw/Control.h).
#pragma once

#include <windows.h>

#define DD_OK S_OK
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_UNSUPPORTED E_NOTIMPL
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_NODIRECTDRAWHW MAKE_HRESULT(1, 0x876, 619)

inline constexpr GUID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};

typedef struct _DDSCAPS {
    DWORD dwCaps;
} DDSCAPS;

typedef struct _DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
} DDSCAPS2, *LPDDSCAPS2;

#define DD_ROP_SPACE (256 / 32)

typedef struct _DDCAPS_DX7 {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCKeyCaps;
    DWORD dwFXCaps;
    DWORD dwFXAlphaCaps;
    DWORD dwPalCaps;
    DWORD dwSVCaps;
    DWORD dwAlphaBltConstBitDepths;
    DWORD dwAlphaBltPixelBitDepths;
    DWORD dwAlphaBltSurfaceBitDepths;
    DWORD dwAlphaOverlayConstBitDepths;
    DWORD dwAlphaOverlayPixelBitDepths;
    DWORD dwAlphaOverlaySurfaceBitDepths;
    DWORD dwZBufferBitDepths;
    DWORD dwVidMemTotal;
    DWORD dwVidMemFree;
    DWORD dwMaxVisibleOverlays;
    DWORD dwCurrVisibleOverlays;
    DWORD dwNumFourCCCodes;
    DWORD dwAlignBoundarySrc;
    DWORD dwAlignSizeSrc;
    DWORD dwAlignBoundaryDest;
    DWORD dwAlignSizeDest;
    DWORD dwAlignStrideAlign;
    DWORD dwRops[DD_ROP_SPACE];
    DDSCAPS ddsOldCaps;
    DWORD dwMinOverlayStretch;
    DWORD dwMaxOverlayStretch;
    DWORD dwMinLiveVideoStretch;
    DWORD dwMaxLiveVideoStretch;
    DWORD dwMinHwCodecStretch;
    DWORD dwMaxHwCodecStretch;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwReserved3;
    DWORD dwSVBCaps;
    DWORD dwSVBCKeyCaps;
    DWORD dwSVBFXCaps;
    DWORD dwSVBRops[DD_ROP_SPACE];
    DWORD dwVSBCaps;
    DWORD dwVSBCKeyCaps;
    DWORD dwVSBFXCaps;
    DWORD dwVSBRops[DD_ROP_SPACE];
    DWORD dwSSBCaps;
    DWORD dwSSBCKeyCaps;
    DWORD dwSSBFXCaps;
    DWORD dwSSBRops[DD_ROP_SPACE];
    DWORD dwMaxVideoPorts;
    DWORD dwCurrVideoPorts;
    DWORD dwSVBCaps2;
    DWORD dwNLVBCaps;
    DWORD dwNLVBCaps2;
    DWORD dwNLVBCKeyCaps;
    DWORD dwNLVBFXCaps;
    DWORD dwNLVBRops[DD_ROP_SPACE];
    DDSCAPS2 ddsCaps;
} DDCAPS_DX7, DDCAPS, *LPDDCAPS;

static_assert(sizeof(DDCAPS) == 380);
static_assert(offsetof(DDCAPS, dwVidMemTotal) == 60);

// Named by the interface's slots; the stand-in never produces them.
struct IDirectDrawClipper;
struct IDirectDrawPalette;
struct IDirectDrawSurface7;
struct _DDSURFACEDESC2;
struct tagDDDEVICEIDENTIFIER2;
typedef struct _DDSURFACEDESC2 DDSURFACEDESC2, *LPDDSURFACEDESC2;
typedef struct tagDDDEVICEIDENTIFIER2 DDDEVICEIDENTIFIER2, *LPDDDEVICEIDENTIFIER2;
struct tagPALETTEENTRY;
typedef HRESULT(WINAPI* LPDDENUMMODESCALLBACK2)(LPDDSURFACEDESC2, LPVOID);
typedef HRESULT(WINAPI* LPDDENUMSURFACESCALLBACK7)(IDirectDrawSurface7*, LPDDSURFACEDESC2, LPVOID);

struct IDirectDraw7 : public IUnknown {
    STDMETHOD(Compact)() PURE;
    STDMETHOD(CreateClipper)(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) PURE;
    STDMETHOD(CreatePalette)(DWORD flags, tagPALETTEENTRY* entries, IDirectDrawPalette** palette, IUnknown* outer) PURE;
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC2 desc, IDirectDrawSurface7** surface, IUnknown* outer) PURE;
    STDMETHOD(DuplicateSurface)(IDirectDrawSurface7* source, IDirectDrawSurface7** copy) PURE;
    STDMETHOD(EnumDisplayModes)(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context, LPDDENUMMODESCALLBACK2 callback) PURE;
    STDMETHOD(EnumSurfaces)(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context, LPDDENUMSURFACESCALLBACK7 callback) PURE;
    STDMETHOD(FlipToGDISurface)() PURE;
    STDMETHOD(GetCaps)(LPDDCAPS driverCaps, LPDDCAPS helCaps) PURE;
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC2 desc) PURE;
    STDMETHOD(GetFourCCCodes)(LPDWORD count, LPDWORD codes) PURE;
    STDMETHOD(GetGDISurface)(IDirectDrawSurface7** surface) PURE;
    STDMETHOD(GetMonitorFrequency)(LPDWORD frequency) PURE;
    STDMETHOD(GetScanLine)(LPDWORD scanLine) PURE;
    STDMETHOD(GetVerticalBlankStatus)(LPBOOL isInVerticalBlank) PURE;
    STDMETHOD(Initialize)(GUID* guid) PURE;
    STDMETHOD(RestoreDisplayMode)() PURE;
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) PURE;
    STDMETHOD(SetDisplayMode)(DWORD width, DWORD height, DWORD bpp, DWORD refreshRate, DWORD flags) PURE;
    STDMETHOD(WaitForVerticalBlank)(DWORD flags, HANDLE event) PURE;
    STDMETHOD(GetAvailableVidMem)(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) PURE;
    STDMETHOD(GetSurfaceFromDC)(HDC dc, IDirectDrawSurface7** surface) PURE;
    STDMETHOD(RestoreAllSurfaces)() PURE;
    STDMETHOD(TestCooperativeLevel)() PURE;
    STDMETHOD(GetDeviceIdentifier)(LPDDDEVICEIDENTIFIER2 identifier, DWORD flags) PURE;
    STDMETHOD(StartModeTest)(LPSIZE modes, DWORD count, DWORD flags) PURE;
    STDMETHOD(EvaluateMode)(DWORD flags, DWORD* timeout) PURE;
};
typedef IDirectDraw7* LPDIRECTDRAW7;

HRESULT WINAPI DirectDrawCreateEx(GUID* guid, LPVOID* directDraw, REFIID iid, IUnknown* outer);
