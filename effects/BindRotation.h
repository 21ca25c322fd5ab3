// The orientation a model hands its bound effects. While a model updates
// its bound effects with its bind flag set, g_UseBindRotation is set, and
// every effect node then orients its elements by g_BindRotation (written by
// a bound effect in bind mode 1 from its socket) instead of by its own
// direction.
#pragma once

#include <windows.h>
#include <d3dx9math.h>

extern BYTE g_UseBindRotation;
extern D3DXMATRIX g_BindRotation;

// Both back to their state at load: off, identity.
void ResetBindRotationForTests();
