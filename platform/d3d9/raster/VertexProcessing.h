// Vertex fetch, transform, the (stub) lighting and texture coordinate
// selection: one input vertex becomes one clip-space vertex.
#pragma once

#include <cstdint>

#include "d3d9/raster/Interpolation.h"
#include "d3d9/raster/RasterTypes.h"
#include "d3d9/raster/VertexLayout.h"

namespace raster {

struct ClipVertex {
    double pos[4] = {0, 0, 0, 1};  // clip space; pre-transformed: x*w, y*w, z*w, w
    bool hasScreen = false;        // pre-transformed and not made by clipping
    double screen[4] = {};         // x, y, z, rhw as given
    float attr[kAttributeCount] = {};
};

struct DMatrix {
    double m[4][4];
};

struct StageCoordinates {
    int sourceSet = 0;       // TEXCOORDINDEX low bits
    uint32_t generate = 0;   // TEXCOORDINDEX high bits (TCI mode)
    uint32_t transformFlags = D3DTTFF_DISABLE;
    DMatrix transform{};
};

struct VertexSetup {
    VertexLayout layout;
    const StreamView* streams = nullptr;
    bool pretransformed = false;
    int stageCount = 0;  // stages whose coordinates are produced
    StageCoordinates stages[kMaxStages];
    DMatrix world[kMaxBlendMatrices];
    const Matrix* palette = nullptr;  // indexed blending, when the device gives all its matrices
    uint32_t paletteCount = 0;
    DMatrix viewProjection{};
    DMatrix view{};
    bool needsCameraSpace = false;
    uint32_t vertexBlend = D3DVBF_DISABLE;
    bool indexedBlend = false;
    bool lighting = false;
};

// False when the layout or the streams' strides do not fit.
bool BuildVertexSetup(const DrawCommand& draw, int stageCount, VertexSetup& out);

// False when any byte of the vertex lies outside its stream.
bool ProcessVertex(const VertexSetup& setup, uint32_t vertexNumber, ClipVertex& out);

DMatrix ToDouble(const Matrix& m);
DMatrix Multiply(const DMatrix& a, const DMatrix& b);

}  // namespace raster
