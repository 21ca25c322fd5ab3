// Cutting a scene quad into one serpentine triangle strip of cells no larger
// than the light grid's, each vertex lit by the grid cell under it.
#pragma once

#include <d3d9.h>

#include "draw2d/scene/SceneVertex.h"

class KShellServices;

constexpr float kStripCellStep = 32.0f;
constexpr int kStripCapacity = 3000;

// Grid colour, and unless `colour` is opaque white its R, G and B times the
// grid's divided by 256 (the grid's alpha kept).
DWORD ModulateColor(DWORD grid, DWORD colour);
KSceneVertex LightVertexByGrid(KShellServices& shell, const KSceneVertex& vertex, DWORD colour);

// quad: top-left, top-right, bottom-right, bottom-left. Returns the vertices
// written to out, never more than capacity; 0 for a quad with non-finite
// corners, no extent, or a strip that would not fit.
int SplitQuadIntoStrip(KShellServices& shell, const KSceneVertex* quad, KSceneVertex* out, int capacity, DWORD colour);

// Copies `count` cut vertices into the shell's dynamic buffer and binds it as
// stream 0; *first is where they start. False when the buffer cannot take them.
bool UploadStrips(KShellServices& shell, IDirect3DDevice9* device, const KSceneVertex* vertices, int count, int* first);
