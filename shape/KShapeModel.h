// A .dts shape as a mesh of the model system. The model manager loads one
// per file name and gives each model an instance of it; every frame the
// model's update hands over the instance and its drawing values, then calls
// Render through the mesh's table, which advances, animates and draws the
// instance and forgets it again.
//
//   KShapeModel.cpp       the object, loading the shape and its ".dds" skins
//   ShapeModelRender.cpp  Render and the depth quad
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>

#include "scene/KMesh.h"
#include "shape/KShape.h"

class KShapeInstance;

// The model's five shape parameters, in the order it hands them over.
enum : int { kShapeQuadSwitch, kShapeQuadWidth, kShapeQuadHeight, kShapeQuadCentreX, kShapeQuadCentreY, kShapeParams };

class KShapeModel : public KMesh {
public:
    KShapeModel();

    // Ignores its arguments. Draws the depth quad when switched on, then the
    // handed-over instance at detail 0 with the device's world transform,
    // which it gives back. E_FAIL without an instance. Leaves the shell's
    // default states either way.
    HRESULT Render(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite) override;
    // A name whose extension starts with ".dts" (any case): the shape, and a
    // skin "<folder><material>.dds" for every named material (null when
    // missing or bad). 0, or E_FAIL for another name, a file that cannot be
    // read whole or a shape the reader refuses.
    HRESULT Load(const char* fileName) override;
    // A handed-over instance belongs to its model, which deletes it.
    ~KShapeModel() override;

    // A new instance of the shape with its materials, on the model's device.
    // The caller owns it.
    KShapeInstance* CreateInstance();
    // What the model's update gives before each Render: the instance, when
    // its threads last moved (timeGetTime ms), the ms per second of
    // animation (below 1: 1000), the five shape parameters and the scale.
    void HandOver(KShapeInstance* handed, DWORD start, int32_t timeDivisor, const int32_t params[kShapeParams],
                  const D3DXVECTOR3& modelScale);

    KShape shape;
    KShapeInstance* instance = nullptr;  // null outside a draw
    DWORD startTime = 0;
    int32_t divisor = 1000;
    int32_t quadSwitch = 1;
    int32_t quadWidth = 64;
    int32_t quadHeight = 128;
    int32_t quadCentreX = 0;
    int32_t quadCentreY = 0;
    D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};

private:
    void LoadSkins(const char* folder);
    void DrawDepthQuad();
    void DrawInstance();
};
