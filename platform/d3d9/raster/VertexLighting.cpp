#include "d3d9/raster/VertexLighting.h"

#include <algorithm>
#include <cmath>

namespace raster {

namespace {

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Scales v to unit length; a zero vector stays zero.
void Normalize(double v[3]) {
    const double length = std::sqrt(Dot(v, v));
    if (length > 0.0) {
        const double scale = 1.0 / length;
        for (int c = 0; c < 3; ++c) v[c] *= scale;
    }
}

void Colour(const D3DCOLORVALUE& in, double out[3]) {
    out[0] = in.r;
    out[1] = in.g;
    out[2] = in.b;
}

void Colour4(const D3DCOLORVALUE& in, double out[4]) {
    Colour(in, out);
    out[3] = in.a;
}

// A vector (w = 0) or point (w = 1) through the view.
void ToCamera(const D3DVECTOR& v, double w, const DMatrix& view, double out[3]) {
    const double in[4] = {v.x, v.y, v.z, w};
    double t[4];
    TransformRow(in, view, t);
    for (int c = 0; c < 3; ++c) out[c] = t[c];
}

ColourSource SourceOf(uint32_t state, bool colourVertex, const VertexLayout& layout) {
    if (!colourVertex) return ColourSource::kMaterial;
    // A vertex without the named colour lights with the material's.
    if (state == D3DMCS_COLOR1 && layout.diffuse.present) return ColourSource::kVertexDiffuse;
    if (state == D3DMCS_COLOR2 && layout.specular.present) return ColourSource::kVertexSpecular;
    return ColourSource::kMaterial;
}

LightSource Prepare(const D3DLIGHT9& light, const DMatrix& view) {
    LightSource s;
    s.type = light.Type;
    Colour(light.Diffuse, s.diffuse);
    Colour(light.Specular, s.specular);
    Colour(light.Ambient, s.ambient);
    ToCamera(light.Position, 1.0, view, s.position);
    ToCamera(light.Direction, 0.0, view, s.axis);
    Normalize(s.axis);
    for (int c = 0; c < 3; ++c) s.toLight[c] = -s.axis[c];
    s.range = light.Range;
    s.attenuation[0] = light.Attenuation0;
    s.attenuation[1] = light.Attenuation1;
    s.attenuation[2] = light.Attenuation2;
    s.cosHalfTheta = std::cos(double(light.Theta) * 0.5);
    s.cosHalfPhi = std::cos(double(light.Phi) * 0.5);
    s.falloff = light.Falloff;
    return s;
}

// Distance attenuation and spot cone of a positional light at `toLight`
// (unnormalised, from the vertex); 0 where it does not reach. Leaves the
// unit direction in `toLight`.
double Reach(const LightSource& light, double toLight[3]) {
    const double distance = std::sqrt(Dot(toLight, toLight));
    if (!(distance <= light.range)) return 0.0;
    if (distance > 0.0)
        for (int c = 0; c < 3; ++c) toLight[c] /= distance;
    const double* a = light.attenuation;
    const double denominator = a[0] + a[1] * distance + a[2] * distance * distance;
    // No attenuation given at all: the light is not dimmed.
    double reach = denominator > 0.0 ? 1.0 / denominator : 1.0;
    if (light.type == D3DLIGHT_SPOT) {
        const double rho = -Dot(toLight, light.axis);
        if (rho <= light.cosHalfPhi) return 0.0;
        if (rho <= light.cosHalfTheta) {
            const double t = (rho - light.cosHalfPhi) / (light.cosHalfTheta - light.cosHalfPhi);
            reach *= std::pow(t, light.falloff);
        }
    }
    return reach;
}

const double* Pick(ColourSource source, const double* material, const double diffuse[4], const double specular[4]) {
    switch (source) {
        case ColourSource::kVertexDiffuse: return diffuse;
        case ColourSource::kVertexSpecular: return specular;
        default: return material;
    }
}

float Channel(double v) { return float(std::clamp(v, 0.0, 1.0) * 255.0); }

}  // namespace

void BuildLighting(const StateBlock& st, const DMatrix& view, const VertexLayout& layout, LightingSetup& out) {
    out = LightingSetup{};
    const uint32_t ambient = st.render[D3DRS_AMBIENT];
    out.globalAmbient[0] = ((ambient >> 16) & 0xFF) / 255.0;
    out.globalAmbient[1] = ((ambient >> 8) & 0xFF) / 255.0;
    out.globalAmbient[2] = (ambient & 0xFF) / 255.0;
    Colour4(st.material.Diffuse, out.material[0]);
    Colour4(st.material.Ambient, out.material[1]);
    Colour4(st.material.Specular, out.material[2]);
    Colour4(st.material.Emissive, out.material[3]);
    out.power = st.material.Power;
    const bool colourVertex = st.render[D3DRS_COLORVERTEX] != 0;
    out.diffuseSource = SourceOf(st.render[D3DRS_DIFFUSEMATERIALSOURCE], colourVertex, layout);
    out.ambientSource = SourceOf(st.render[D3DRS_AMBIENTMATERIALSOURCE], colourVertex, layout);
    out.specularSource = SourceOf(st.render[D3DRS_SPECULARMATERIALSOURCE], colourVertex, layout);
    out.emissiveSource = SourceOf(st.render[D3DRS_EMISSIVEMATERIALSOURCE], colourVertex, layout);
    out.specular = st.render[D3DRS_SPECULARENABLE] != 0;
    out.localViewer = st.render[D3DRS_LOCALVIEWER] != 0;
    for (uint32_t i = 0; i < st.lightCount; ++i) out.lights.push_back(Prepare(st.lights[i], view));
}

void LightVertex(const LightingSetup& setup, const double position[3], const double normal[3], float diffuse[4],
                 float specular[4]) {
    double vertexDiffuse[4], vertexSpecular[4];
    for (int c = 0; c < 4; ++c) {
        vertexDiffuse[c] = diffuse[c] / 255.0;
        vertexSpecular[c] = specular[c] / 255.0;
    }
    const double* diffuseColour = Pick(setup.diffuseSource, setup.material[0], vertexDiffuse, vertexSpecular);
    const double* ambientColour = Pick(setup.ambientSource, setup.material[1], vertexDiffuse, vertexSpecular);
    const double* specularColour = Pick(setup.specularSource, setup.material[2], vertexDiffuse, vertexSpecular);
    const double* emissiveColour = Pick(setup.emissiveSource, setup.material[3], vertexDiffuse, vertexSpecular);

    // The eye's direction matters only to the specular highlight.
    double toEye[3] = {0.0, 0.0, -1.0};
    if (setup.specular && setup.localViewer) {
        for (int c = 0; c < 3; ++c) toEye[c] = -position[c];
        Normalize(toEye);
    }
    double ambientSum[3] = {}, diffuseSum[3] = {}, specularSum[3] = {};
    for (const LightSource& light : setup.lights) {
        double toLight[3];
        double reach = 1.0;
        if (light.type == D3DLIGHT_DIRECTIONAL) {
            for (int c = 0; c < 3; ++c) toLight[c] = light.toLight[c];
        } else {
            for (int c = 0; c < 3; ++c) toLight[c] = light.position[c] - position[c];
            reach = Reach(light, toLight);
            if (reach == 0.0) continue;
        }
        for (int c = 0; c < 3; ++c) ambientSum[c] += reach * light.ambient[c];
        const double facing = Dot(normal, toLight);
        if (!(facing > 0.0)) continue;
        for (int c = 0; c < 3; ++c) diffuseSum[c] += reach * facing * light.diffuse[c];
        if (!setup.specular) continue;
        double half[3];
        for (int c = 0; c < 3; ++c) half[c] = toLight[c] + toEye[c];
        Normalize(half);
        const double highlight = Dot(normal, half);
        if (!(highlight > 0.0)) continue;
        const double shine = std::pow(highlight, setup.power);
        for (int c = 0; c < 3; ++c) specularSum[c] += reach * shine * light.specular[c];
    }
    for (int c = 0; c < 3; ++c) {
        diffuse[c] = Channel(emissiveColour[c] + ambientColour[c] * (setup.globalAmbient[c] + ambientSum[c]) +
                             diffuseColour[c] * diffuseSum[c]);
        specular[c] = setup.specular ? Channel(specularColour[c] * specularSum[c]) : 0.0f;
    }
    diffuse[3] = Channel(diffuseColour[3]);
}

}  // namespace raster
