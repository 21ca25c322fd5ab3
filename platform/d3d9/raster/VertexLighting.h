// Fixed-function lighting. Lights and materials come with the scene work; until
// then a lit vertex keeps its own colours (white diffuse, black specular
// without them).
#pragma once

namespace raster {

// Stub of the material path: leaves the vertex colours as fetched.
void LightVertex(float diffuse[4], float specular[4]);

}  // namespace raster
