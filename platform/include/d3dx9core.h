// D3DX core objects: the reference-counted byte buffer.
#pragma once

#include "windows.h"

// {8BA5FB08-5195-40E2-AC58-0D989C3A0102}
inline constexpr IID IID_ID3DXBuffer = {0x8ba5fb08, 0x5195, 0x40e2, {0xac, 0x58, 0x0d, 0x98, 0x9c, 0x3a, 0x01, 0x02}};

DECLARE_INTERFACE_(ID3DXBuffer, IUnknown) {
    STDMETHOD_(LPVOID, GetBufferPointer)() PURE;
    STDMETHOD_(DWORD, GetBufferSize)() PURE;

protected:
    ~ID3DXBuffer() = default;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

// A zero-filled buffer of size bytes with one reference.
HRESULT D3DXCreateBuffer(DWORD size, LPD3DXBUFFER* buffer);
