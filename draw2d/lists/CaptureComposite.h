// Pastes part of a picture into a captured surface: near-black source pixels
// darken the target (each channel halved) instead of covering it.
#pragma once

#include <d3d9.h>

#include <cstdint>

struct KPixelArea {
    uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

// The pixel in 8888 form, from any of R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4,
// X8R8G8B8 and A8R8G8B8; false for other formats.
bool ReadPixel8888(const KPixelArea& area, int x, int y, uint32_t* colour);
// Each of R, G and B below 21.
bool IsNearBlack(uint32_t colour);

// Copies source rectangle (left, top, right, bottom) of the picture to (x, y)
// of the target. Both rectangles are clipped to their areas; formats other
// than the 32-bit and 16-bit ones above change nothing. Returns the pixels
// written.
int CompositePixels(const KPixelArea& picture, const RECT& source, KPixelArea* target, int x, int y);

class KShellServices;

// The whole operation for a KPictureEx record naming a JPEG picture: source
// rectangle r0..r3 of the picture's system-memory copy to point A of the
// captured surface. Nothing happens without a record, with the device lost,
// without the picture or its copy, or when either lock fails.
void CompositePictureOntoSurface(KShellServices& shell, void* record, IDirect3DSurface9* captured);
