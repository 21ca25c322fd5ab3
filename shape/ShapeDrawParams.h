// The module-wide parameters a shape mesh draws with. The shape model
// publishes the model's world transform and scale; the instance publishes
// the device, its node matrices, the detail, the materials, the fade and the
// two draw bytes; the mesh-object drawing publishes the object's
// visibility. Meshes only read them.
#pragma once

#include <d3d9.h>

#include <cstdint>

class KShapeMaterialList;

struct KShapeDrawParams {
    IDirect3DDevice9* device = nullptr;
    // 16 floats per node in node form (translation in elements 3, 7, 11).
    const float* nodeMatrices = nullptr;
    uint32_t nodeCount = 0;
    int32_t detail = -1;
    const KShapeMaterialList* materials = nullptr;
    bool fade = false;
    float fadeAlpha = 1.0f;
    uint8_t drawBytes[2] = {};
    D3DMATRIX world = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
    float scale[3] = {1.0f, 1.0f, 1.0f};
    float visibility = 1.0f;

    // The visibility a translucent material blends with: the object's,
    // times the fade alpha while fading.
    float BlendVisibility() const { return fade ? visibility * fadeAlpha : visibility; }
};

extern KShapeDrawParams g_ShapeDrawParams;

// Back to the values above (tests, and between shape draws).
void ResetShapeDrawParams();
