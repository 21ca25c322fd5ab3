// Fixed-function lighting in camera space: ambient, emissive and the
// enabled directional, point and spot lights over the material, whose
// colours may come from the vertex (COLORVERTEX and the four
// *MATERIALSOURCE states). Results are clamped; alpha is the diffuse
// source's; specular only with SPECULARENABLE.
#pragma once

#include <vector>

#include "d3d9/raster/VertexLayout.h"
#include "d3d9/raster/VertexTransform.h"

namespace raster {

// One light moved into camera space, with its cone folded into cosines.
struct LightSource {
    uint32_t type = D3DLIGHT_DIRECTIONAL;
    double diffuse[3], specular[3], ambient[3];
    double position[3];  // point and spot
    double toLight[3];   // directional: unit vector towards the light
    double axis[3];      // spot: unit vector along the cone
    double range, attenuation[3];
    double cosHalfTheta, cosHalfPhi, falloff;
};

// Where a material colour comes from for this draw.
enum class ColourSource : uint8_t { kMaterial, kVertexDiffuse, kVertexSpecular };

struct LightingSetup {
    std::vector<LightSource> lights;
    double globalAmbient[3] = {};
    double material[4][4] = {};  // diffuse, ambient, specular, emissive (r, g, b, a)
    double power = 0.0;
    ColourSource diffuseSource = ColourSource::kMaterial, ambientSource = ColourSource::kMaterial,
                 specularSource = ColourSource::kMaterial, emissiveSource = ColourSource::kMaterial;
    bool specular = false;
    bool localViewer = true;
};

void BuildLighting(const StateBlock& states, const DMatrix& view, const VertexLayout& layout, LightingSetup& out);

// Lights one vertex: position and normal in camera space; the vertex's
// colours (0..255) in, the lit colours out.
void LightVertex(const LightingSetup& setup, const double position[3], const double normal[3], float diffuse[4],
                 float specular[4]);

}  // namespace raster
