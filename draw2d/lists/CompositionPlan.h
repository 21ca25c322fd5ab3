// Where a group of small pictures goes: its box on screen, which compose
// texture takes it, and the one quad that shows it.
#pragma once

#include <cstdint>

struct KGroupBox {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty = true;
};

void WidenGroupBox(KGroupBox* box, int32_t x, int32_t y, int32_t width, int32_t height);
// Touching counts: a box whose right edge is 0 is on screen.
bool GroupBoxTouchesScreen(const KGroupBox& box, int32_t screenWidth, int32_t screenHeight);
// 128 or 256 when the box fits that compose texture, else 0.
int ComposeTextureSizeFor(const KGroupBox& box);

// Screen vertex with texture coordinates (stride 28).
struct KComposeVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};

// Triangle strip top-left, top-right, bottom-left, bottom-right; texture
// coordinates stay half a 256 texel inside the used part.
void BuildComposeQuad(const KGroupBox& box, int textureSize, uint32_t colour, KComposeVertex quad[4]);
