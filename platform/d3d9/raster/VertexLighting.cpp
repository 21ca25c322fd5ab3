#include "d3d9/raster/VertexLighting.h"

namespace raster {

void LightVertex(float[4], float[4]) {}

}  // namespace raster
