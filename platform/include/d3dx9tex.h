// D3DX texture and surface helpers: image files in memory, resampling,
// format conversion and saving.
#pragma once

#include "d3d9.h"
#include "d3dx9core.h"
#include "d3dx9math.h"

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_DEFAULT_FLOAT FLT_MAX
#define D3DX_FROM_FILE ((UINT)-3)
#define D3DFMT_FROM_FILE ((D3DFORMAT)-3)

#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (1 << 19)
#define D3DX_FILTER_DITHER_DIFFUSION (2 << 19)
#define D3DX_FILTER_SRGB_IN (1 << 21)
#define D3DX_FILTER_SRGB_OUT (2 << 21)
#define D3DX_FILTER_SRGB (3 << 21)

#define D3DX_SKIP_DDS_MIP_LEVELS_MASK 0x1F
#define D3DX_SKIP_DDS_MIP_LEVELS_SHIFT 26

typedef enum _D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_HDR = 7,
    D3DXIFF_PFM = 8,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
} D3DXIMAGE_FILEFORMAT;

typedef struct _D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
} D3DXIMAGE_INFO;

// Size, format and kind of an image file held in memory.
HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID data, UINT size, D3DXIMAGE_INFO* info);

// --- Textures ---
// Fits size, levels and format to the device in place (see D3DXCreateTexture).
HRESULT D3DXCheckTextureRequirements(LPDIRECT3DDEVICE9 device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage,
                                     D3DFORMAT* format, D3DPOOL pool);
// Sizes are rounded up to powers of two only when the device's capabilities
// require it; 0 or D3DX_DEFAULT levels make a full chain.
HRESULT D3DXCreateTexture(LPDIRECT3DDEVICE9 device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, LPDIRECT3DTEXTURE9* texture);
HRESULT D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE9 device, LPCVOID srcData, UINT srcDataSize,
                                          LPDIRECT3DTEXTURE9* texture);
// width/height 0 or D3DX_DEFAULT take the file's size, format UNKNOWN the
// file's format; texels equal to colorKey (when not 0) become transparent
// black; srcInfo receives the file's own description.
HRESULT D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE9 device, LPCVOID srcData, UINT srcDataSize, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                            PALETTEENTRY* palette, LPDIRECT3DTEXTURE9* texture);
// The file is read through the host library's pak layer and data root.
HRESULT D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 device, LPCSTR srcFile, LPDIRECT3DTEXTURE9* texture);
HRESULT D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE9 device, LPCSTR srcFile, UINT width, UINT height, UINT mipLevels,
                                     DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                     LPDIRECT3DTEXTURE9* texture);

// --- Surfaces ---
// srcRect is required; srcPitch is bytes per row of pixels, or per row of
// 4 x 4 blocks for the DXT formats. destRect null means the whole surface.
HRESULT D3DXLoadSurfaceFromMemory(LPDIRECT3DSURFACE9 destSurface, const PALETTEENTRY* destPalette, const RECT* destRect,
                                  LPCVOID srcMemory, D3DFORMAT srcFormat, UINT srcPitch, const PALETTEENTRY* srcPalette,
                                  const RECT* srcRect, DWORD filter, D3DCOLOR colorKey);
HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE9 destSurface, const PALETTEENTRY* destPalette,
                                   const RECT* destRect, LPDIRECT3DSURFACE9 srcSurface, const PALETTEENTRY* srcPalette,
                                   const RECT* srcRect, DWORD filter, D3DCOLOR colorKey);
HRESULT D3DXLoadSurfaceFromFileInMemory(LPDIRECT3DSURFACE9 destSurface, const PALETTEENTRY* destPalette,
                                        const RECT* destRect, LPCVOID srcData, UINT srcDataSize, const RECT* srcRect,
                                        DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);

// --- Saving: DDS, BMP, PNG, JPG (quality 90) and TGA ---
HRESULT D3DXSaveSurfaceToFileInMemory(LPD3DXBUFFER* destBuffer, D3DXIMAGE_FILEFORMAT format,
                                      LPDIRECT3DSURFACE9 srcSurface, const PALETTEENTRY* srcPalette,
                                      const RECT* srcRect);
// The file is written under the host library's data root.
HRESULT D3DXSaveSurfaceToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT format, LPDIRECT3DSURFACE9 srcSurface,
                               const PALETTEENTRY* srcPalette, const RECT* srcRect);
// DDS keeps every level in the texture's format; other files hold level 0.
HRESULT D3DXSaveTextureToFileInMemory(LPD3DXBUFFER* destBuffer, D3DXIMAGE_FILEFORMAT format,
                                      LPDIRECT3DBASETEXTURE9 srcTexture, const PALETTEENTRY* srcPalette);
HRESULT D3DXSaveTextureToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT format, LPDIRECT3DBASETEXTURE9 srcTexture,
                               const PALETTEENTRY* srcPalette);
