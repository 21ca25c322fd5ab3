// The formats the software device stores, one table entry each: storage
// size, and conversion of a pixel to and from A8R8G8B8.
#pragma once

#include <cstdint>

#include <d3d9types.h>

namespace lumiva::d3d9 {

enum class FormatKind { Color, BlockCompressed, Depth, Index };

struct FormatInfo {
    D3DFORMAT format;
    const char* name;
    FormatKind kind;
    UINT bytesPerPixel;  // 0 for block-compressed formats
    UINT bytesPerBlock;  // a 4 x 4 block; 0 for the others
    bool hasAlpha;
    UINT depthBits;
    UINT stencilBits;
};

// Null for a format the device does not store.
const FormatInfo* FindFormat(D3DFORMAT format);

bool IsColorFormat(D3DFORMAT format);  // includes the block-compressed ones
bool IsBlockFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
bool FormatHasStencil(D3DFORMAT format);

// Bytes of one row of pixels (one row of 4 x 4 blocks for DXT).
UINT RowPitch(D3DFORMAT format, UINT width);
// Rows of storage: the height, or the number of block rows for DXT.
UINT RowCount(D3DFORMAT format, UINT height);
// Exact storage of a width x height image: RowPitch x RowCount.
uint64_t ImageByteCount(D3DFORMAT format, UINT width, UINT height);

// Plain colour formats only (not DXT, depth or index).
D3DCOLOR DecodePixel(D3DFORMAT format, const BYTE* pixel);
void EncodePixel(D3DFORMAT format, D3DCOLOR color, BYTE* pixel);

// DXT1 to DXT5: the 16 texels of one block, row by row, as A8R8G8B8.
void DecodeBlock(D3DFORMAT format, const BYTE* block, D3DCOLOR texels[16]);

// Depth formats: depth as 0..1 and the stencil value (0 without stencil).
float DecodeDepth(D3DFORMAT format, const BYTE* pixel);
void EncodeDepth(D3DFORMAT format, float depth, BYTE* pixel);
DWORD DecodeStencil(D3DFORMAT format, const BYTE* pixel);
void EncodeStencil(D3DFORMAT format, DWORD stencil, BYTE* pixel);

}  // namespace lumiva::d3d9
