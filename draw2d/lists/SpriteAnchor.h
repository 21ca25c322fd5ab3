// Where a screen list puts a sprite frame: anchoring at the picture's centre
// and the frame's own offset, in integer and float forms.
#pragma once

#include <cstdint>

class KSprImage;

// Flag bit 0: minus the centre, or (-160, -192) for a wide sprite centred at 0.
void AnchorSprite(const KSprImage& sprite, uint8_t flags, int* x, int* y);
void AnchorSpriteF(const KSprImage& sprite, uint8_t flags, float* x, float* y);
// Unless flag bit 1: plus the frame's offset.
void AddFrameOffset(const KSprImage& sprite, uint32_t frame, uint8_t flags, int* x, int* y);
// Unless flag bit 1: plus the frame's offset times the scale.
void AddFrameOffsetF(const KSprImage& sprite, uint32_t frame, uint8_t flags, float scaleX, float scaleY, float* x,
                     float* y);
