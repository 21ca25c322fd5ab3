// Pixel helpers of the capture operations: sizes and conversions of the
// back-buffer formats, and clipping a rectangle against a surface.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

// 4 for A8R8G8B8 and X8R8G8B8, 2 for R5G6B5, X1R5G5B5 and A1R5G5B5, 0 for
// formats the captures do not handle.
int CapturePixelBytes(D3DFORMAT format);

// One pixel of a capture format as A8R8G8B8, and back.
D3DCOLOR ReadCapturePixel(const uint8_t* at, D3DFORMAT format);
void WriteCapturePixel(uint8_t* at, D3DFORMAT format, D3DCOLOR colour);

// The part [first, last) of a run of `length` items starting at `origin`
// that lies within 0..limit - 1, in offsets from the run's start.
struct CaptureSpan {
    int first;
    int last;
    bool Empty() const { return last <= first; }
};
CaptureSpan ClipCaptureSpan(int origin, int length, int limit);
