// Result codes shared inside the D3DX stand-in.
#pragma once

#include "windows.h"

// The device's D3DERR_INVALIDCALL, for code that does not pull in the device headers.
inline constexpr HRESULT kD3dxInvalidCall = HRESULT(0x8876086CL);
