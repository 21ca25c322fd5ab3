// The preview picture: the host names a cached picture, has it drawn into
// between BeginPreviewRender and EndPreviewRender, then composites it onto
// the back buffer through a mask (CapturePreview).
#pragma once

#include <windows.h>
#include <d3d9.h>

struct KPrimPicture;

// The record SetPreviewObject keeps, and the render target BeginPreviewRender
// saved (null when none).
KPrimPicture* PreviewObject();
IDirect3DSurface9* SavedPreviewTarget();

// Drops the target a Begin saved without its End; the shell's Release calls
// it while the device is still there.
void ReleaseSavedPreviewTarget();

// Forgets the preview object and the saved target (without releasing it:
// the device it came from may be gone).
void ResetPreviewForTests();
