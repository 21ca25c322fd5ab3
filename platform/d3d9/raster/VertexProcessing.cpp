#include "d3d9/raster/VertexProcessing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "d3d9/raster/VertexFetch.h"
#include "d3d9/raster/VertexShaderStage.h"

namespace raster {

namespace {

// Blend matrices for a VERTEXBLEND value; indexed blending with blending
// off still uses world matrix 0 alone.
int BlendMatrixCount(uint32_t vertexBlend) {
    if (vertexBlend >= D3DVBF_1WEIGHTS && vertexBlend <= D3DVBF_3WEIGHTS) return int(vertexBlend) + 1;
    return 1;
}

void FoldStages(const StateBlock& st, bool generated, int stageCount, VertexSetup& out) {
    out.stageCount = stageCount;
    out.texcoordSets = 0;
    for (int set = 0; set < kMaxStages; ++set)
        if (out.layout.texcoord[set].present) out.texcoordSets = set + 1;
    for (int s = 0; s < stageCount; ++s) {
        StageCoordinates& sc = out.stages[s];
        const uint32_t index = st.stage[s][D3DTSS_TEXCOORDINDEX];
        sc.sourceSet = int(index & 0xFFFF) % kMaxStages;
        sc.generate = generated ? (index & 0xFFFF0000u) : 0;
        sc.transformFlags = generated ? st.stage[s][D3DTSS_TEXTURETRANSFORMFLAGS] : uint32_t(D3DTTFF_DISABLE);
        sc.transform = ToDouble(st.texture[s]);
        if (sc.generate) out.needsCameraSpace = true;
        out.texcoordSets = std::max(out.texcoordSets, sc.sourceSet + 1);
    }
}

void Pretransformed(const float pos[4], ClipVertex& out) {
    double rhw = pos[3];
    if (!std::isfinite(rhw) || rhw <= 0.0) rhw = 1.0;
    const double w = 1.0 / rhw;
    out.pos[0] = pos[0] * w;
    out.pos[1] = pos[1] * w;
    out.pos[2] = pos[2] * w;
    out.pos[3] = w;
    out.hasScreen = true;
    out.screen[0] = pos[0];
    out.screen[1] = pos[1];
    out.screen[2] = pos[2];
    out.screen[3] = rhw;
}

// Weights, indices and normal as blending reads them.
bool FetchBlendInputs(const VertexSetup& setup, uint32_t vertex, BlendInputs& in) {
    const VertexLayout& layout = setup.layout;
    for (int i = 0; i < 4; ++i) {
        in.weights[i] = 0.0f;
        in.indices[i] = float(i);
        in.normal[i] = 0.0f;
    }
    if (layout.blendWeights.present && !ReadElement(setup.streams, layout.blendWeights, vertex, in.weights))
        return false;
    if (layout.blendIndices.present) {
        // Colour indices are whole bytes: read them unscaled.
        const bool colour = layout.blendIndices.type == D3DDECLTYPE_D3DCOLOR;
        if (colour ? !ReadColour(setup.streams, layout.blendIndices, vertex, in.indices)
                   : !ReadElement(setup.streams, layout.blendIndices, vertex, in.indices))
            return false;
    }
    return !layout.normal.present || ReadElement(setup.streams, layout.normal, vertex, in.normal);
}

}  // namespace

bool BuildVertexSetup(const DrawCommand& draw, int stageCount, VertexSetup& out) {
    return CompileVertexSetup(draw, stageCount, out) && BindVertexStreams(draw, out);
}

bool BindVertexStreams(const DrawCommand& draw, VertexSetup& setup) {
    for (int s = 0; s < kMaxStreams; ++s) {
        const uint32_t need = setup.layout.streamBytes[s];
        if (need == 0) continue;
        if (!draw.streams[s].data || draw.streams[s].stride < need) return false;
    }
    setup.streams = draw.streams;
    return true;
}

// Only what this draw's path reads is set; the rest keeps the last draw's.
bool CompileVertexSetup(const DrawCommand& draw, int stageCount, VertexSetup& out) {
    out.shader.program = nullptr;
    out.shader.run.reset();
    out.shader.inputCount = 0;
    out.blendMatrices = 1;
    out.indexedBlend = false;
    out.needsCameraSpace = false;
    out.lighting = false;
    const bool ok = draw.declaration ? LayoutFromDeclaration(draw.declaration, out.layout)
                                     : LayoutFromFvf(draw.fvf, out.layout);
    if (!ok) return false;
    out.streams = nullptr;
    const StateBlock& st = *draw.states;
    if (draw.vertexProgram) {
        out.pretransformed = false;
        BindShader(draw, out.layout, out.shader);
        FoldStages(st, false, stageCount, out);
        return true;
    }
    if (!out.layout.position.present) return false;
    out.pretransformed = out.layout.pretransformed;
    FoldStages(st, !out.pretransformed, stageCount, out);
    if (out.pretransformed) return true;  // no transforms or lighting

    const uint32_t vertexBlend = st.render[D3DRS_VERTEXBLEND];
    out.blendMatrices = BlendMatrixCount(vertexBlend);
    out.indexedBlend = st.render[D3DRS_INDEXEDVERTEXBLENDENABLE] != 0 && vertexBlend != D3DVBF_DISABLE;
    out.transforms.Init(st, out.indexedBlend);
    out.normalizeNormals = st.render[D3DRS_NORMALIZENORMALS] != 0;
    out.localViewer = st.render[D3DRS_LOCALVIEWER] != 0;
    out.lighting = st.render[D3DRS_LIGHTING] != 0;
    if (out.lighting) {
        out.needsCameraSpace = true;
        BuildLighting(st, out.transforms.View(), out.layout, out.light);
    }
    return true;
}

void ProcessVertices(const VertexSetup& setup, const uint32_t* vertices, int count, ClipVertex* const* out, bool* ok) {
    if (setup.shader.program) return ShadeVertices(setup, vertices, count, out, ok);
    for (int i = 0; i < count; ++i) ok[i] = ProcessVertex(setup, vertices[i], *out[i]);
}

bool ProcessVertex(const VertexSetup& setup, uint32_t vertex, ClipVertex& out) {
    if (setup.shader.program) {
        ClipVertex* const target = &out;
        bool ok = false;
        ShadeVertices(setup, &vertex, 1, &target, &ok);
        return ok;
    }
    const VertexLayout& layout = setup.layout;
    BlendInputs blend;
    if (!ReadElement(setup.streams, layout.position, vertex, blend.position)) return false;

    float diffuse[4] = {255, 255, 255, 255}, specular[4] = {0, 0, 0, 0};
    if (layout.diffuse.present && !ReadColour(setup.streams, layout.diffuse, vertex, diffuse)) return false;
    if (layout.specular.present && !ReadColour(setup.streams, layout.specular, vertex, specular)) return false;

    // Only the sets the layout holds or a stage reads; a stage reading a
    // set the layout lacks reads zeros.
    float sets[kMaxStages][4];
    for (int set = 0; set < setup.texcoordSets; ++set) {
        sets[set][0] = sets[set][1] = sets[set][2] = sets[set][3] = 0.0f;
        if (layout.texcoord[set].present && !ReadElement(setup.streams, layout.texcoord[set], vertex, sets[set]))
            return false;
    }

    CameraVertex camera{{0, 0, 0}, {0, 0, 0}, setup.localViewer};
    if (setup.pretransformed) {
        Pretransformed(blend.position, out);
    } else {
        if (!FetchBlendInputs(setup, vertex, blend)) return false;
        TransformedVertex t;
        BlendVertex(setup.transforms, setup.blendMatrices, setup.indexedBlend, setup.needsCameraSpace, blend, t);
        for (int c = 0; c < 4; ++c) out.pos[c] = t.clip[c];
        out.hasScreen = false;
        if (setup.needsCameraSpace) {
            if (setup.normalizeNormals) {
                const double length = std::sqrt(t.normal[0] * t.normal[0] + t.normal[1] * t.normal[1] +
                                                t.normal[2] * t.normal[2]);
                if (length > 0)
                    for (double& c : t.normal) c /= length;
            }
            std::memcpy(camera.position, t.camera, sizeof camera.position);
            std::memcpy(camera.normal, t.normal, sizeof camera.normal);
        }
        if (setup.lighting) LightVertex(setup.light, camera.position, camera.normal, diffuse, specular);
    }

    for (int c = 0; c < 4; ++c) {
        out.attr[kDiffuseR + c] = diffuse[c];
        out.attr[kSpecularR + c] = specular[c];
    }
    for (int s = 0; s < setup.stageCount; ++s)
        StageTexcoord(setup.stages[s], layout, sets, camera, &out.attr[kTexcoord0 + 2 * s]);
    return true;
}

}  // namespace raster
