// Software composition of a group of small sprite frames into one of the
// shell's A4R4G4B4 compose textures, and the single quad that shows it.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "draw2d/lists/CompositionPlan.h"

class KShellServices;

// One frame placed at (x, y) on screen: run-length data with its palette, or
// a DXT5 image (128-byte DDS header, then blocks).
struct KComposeFrame {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    const uint8_t* runData = nullptr;
    size_t runSize = 0;
    const uint16_t* palette = nullptr;
    uint32_t colorCount = 0;
    const uint8_t* dxt5 = nullptr;
    size_t dxt5Size = 0;
};

// Clears the part of the texture the box covers and decodes every frame into
// it relative to the box's top-left. False (nothing further written) when the
// texture cannot be locked or its surface taken; frames without data, or
// whose DXT5 data is short, are left out.
bool ComposeFramesIntoTexture(IDirect3DTexture9* texture, const KGroupBox& box,
                              const std::vector<KComposeFrame>& frames);

// Draws the composed box as one quad through the shared dynamic vertex
// buffer: colour ADD for blend mode 3, else MODULATE4X (a grey 0x40 colour
// leaves the texels as they are); stage and sampler states go back to
// MODULATE, SELECTARG1 and POINT afterwards.
void DrawComposedQuad(KShellServices& shell, IDirect3DTexture9* texture, const KGroupBox& box, int textureSize,
                      uint32_t colour, uint8_t blendMode);
