// Texture coordinates of each stage: a set of the vertex, or one generated
// from camera space (TCI_*), then the stage's texture transform.
#pragma once

#include <cstdint>

#include "d3d9/raster/VertexLayout.h"
#include "d3d9/raster/VertexTransform.h"

namespace raster {

struct StageCoordinates {
    int sourceSet = 0;       // TEXCOORDINDEX low bits
    uint32_t generate = 0;   // TEXCOORDINDEX high bits (TCI mode)
    uint32_t transformFlags = D3DTTFF_DISABLE;
    DMatrix transform{};
};

// The camera-space values generation reads.
struct CameraVertex {
    double position[3];
    double normal[3];
    bool localViewer;
};

// u and v of one stage.
void StageTexcoord(const StageCoordinates& stage, const VertexLayout& layout, const float (&sets)[kMaxStages][4],
                   const CameraVertex& camera, float out[2]);

}  // namespace raster
