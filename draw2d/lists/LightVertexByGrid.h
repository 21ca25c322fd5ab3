// Scene vertex lit by the shell's light grid, for tessellated pictures.
#pragma once

#include <cstdint>

class KDrawShell;

struct KSceneVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};

// Copies in to out with the light-grid colour under (x, y), modulated by
// factor unless it is 0xFFFFFFFF; returns the colour.
uint32_t LightVertexByGrid(KDrawShell& shell, KSceneVertex* out, const KSceneVertex& in, uint32_t factor);
