// The Direct3D half of the drawing shell's start-up and shutdown: holder,
// device choice, display mode and device, with the failure reports the host
// sees. The shell's Create runs CreateDirect3D first; every failure path and
// the shell's Release end in RestoreGammaAndReleaseDirect3D.
#pragma once

// Sets the screen size and window mode, then creates everything. On a
// failure it logs, shows the string-table message and releases what exists.
bool CreateDirect3D(int width, int height, bool fullScreen);

// Gamma ramp back (only when one was saved), device torn down, holder released.
void RestoreGammaAndReleaseDirect3D();

// Device, holder, video policy, screen settings and CPU source back to their
// state at module load.
void ResetDirect3DForTests();
