#include "d3d9/raster/VertexProcessing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "d3d9/raster/VertexFetch.h"

namespace raster {

namespace {

// Blend matrices for a VERTEXBLEND value; indexed blending with blending
// off still uses world matrix 0 alone.
int BlendMatrixCount(uint32_t vertexBlend) {
    if (vertexBlend >= D3DVBF_1WEIGHTS && vertexBlend <= D3DVBF_3WEIGHTS) return int(vertexBlend) + 1;
    return 1;
}

void BindShaderInputs(const DrawCommand& draw, const VertexLayout& layout, ShaderBinding& out) {
    out.program = draw.vertexProgram;
    const ShaderConstants constants{draw.shaderConstants,
                                    draw.shaderConstants ? int(std::min<uint32_t>(draw.shaderConstantCount, 256)) : 0};
    out.run = std::make_unique<ShaderRun>(*draw.vertexProgram, constants);
    for (const ShaderInput& input : draw.vertexProgram->inputs) {
        ShaderBinding::Input& bound = out.inputs[out.inputCount++];
        bound.reg = input.reg;
        const AttributeSlot* slot = layout.Find(input.usage, input.usageIndex);
        bound.present = slot != nullptr;
        if (slot) bound.slot = *slot;
    }
}

void FoldStages(const StateBlock& st, bool generated, int stageCount, VertexSetup& out) {
    out.stageCount = stageCount;
    for (int s = 0; s < stageCount; ++s) {
        StageCoordinates& sc = out.stages[s];
        const uint32_t index = st.stage[s][D3DTSS_TEXCOORDINDEX];
        sc.sourceSet = int(index & 0xFFFF) % kMaxStages;
        sc.generate = generated ? (index & 0xFFFF0000u) : 0;
        sc.transformFlags = generated ? st.stage[s][D3DTSS_TEXTURETRANSFORMFLAGS] : uint32_t(D3DTTFF_DISABLE);
        sc.transform = ToDouble(st.texture[s]);
        if (sc.generate) out.needsCameraSpace = true;
    }
}

float Saturated255(float v) { return (v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f) * 255.0f; }

// The shader's inputs of one vertex into a lane; false when one lies
// outside its stream.
bool FetchShaderInputs(const VertexSetup& setup, uint32_t vertex, int lane) {
    const ShaderBinding& shader = setup.shader;
    for (int i = 0; i < shader.inputCount; ++i) {
        const ShaderBinding::Input& in = shader.inputs[i];
        float value[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        if (in.present && !ReadElement(setup.streams, in.slot, vertex, value)) return false;
        shader.run->SetInput(in.reg, lane, value);
    }
    return true;
}

void TakeShaderOutputs(const VertexSetup& setup, int lane, ClipVertex& out) {
    const ShaderRun& run = *setup.shader.run;
    for (int c = 0; c < 4; ++c) {
        out.pos[c] = run.Output(kPositionSlot, c, lane);
        out.attr[kDiffuseR + c] = Saturated255(run.Output(kColourSlot, c, lane));
        out.attr[kSpecularR + c] = Saturated255(run.Output(kColourSlot + 1, c, lane));
    }
    out.hasScreen = false;
    // Stage s reads the output its TEXCOORDINDEX names.
    for (int s = 0; s < setup.stageCount; ++s) {
        const int slot = kTexcoordSlot + setup.stages[s].sourceSet;
        out.attr[kTexcoord0 + 2 * s] = run.Output(slot, 0, lane);
        out.attr[kTexcoord0 + 2 * s + 1] = run.Output(slot, 1, lane);
    }
}

void ProcessWithShader(const VertexSetup& setup, const uint32_t* vertices, int count, ClipVertex* const* out,
                       bool* ok) {
    for (int lane = 0; lane < count; ++lane) ok[lane] = FetchShaderInputs(setup, vertices[lane], lane);
    setup.shader.run->Run(count);
    for (int lane = 0; lane < count; ++lane)
        if (ok[lane]) TakeShaderOutputs(setup, lane, *out[lane]);
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
    out = VertexSetup{};
    const bool ok = draw.declaration ? LayoutFromDeclaration(draw.declaration, out.layout)
                                     : LayoutFromFvf(draw.fvf, out.layout);
    if (!ok) return false;
    for (int s = 0; s < kMaxStreams; ++s) {
        const uint32_t need = out.layout.streamBytes[s];
        if (need == 0) continue;
        if (!draw.streams[s].data || draw.streams[s].stride < need) return false;
    }
    out.streams = draw.streams;
    const StateBlock& st = *draw.states;
    if (draw.vertexProgram) {
        out.pretransformed = false;
        BindShaderInputs(draw, out.layout, out.shader);
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
    if (setup.shader.program) return ProcessWithShader(setup, vertices, count, out, ok);
    for (int i = 0; i < count; ++i) ok[i] = ProcessVertex(setup, vertices[i], *out[i]);
}

bool ProcessVertex(const VertexSetup& setup, uint32_t vertex, ClipVertex& out) {
    if (setup.shader.program) {
        ClipVertex* const target = &out;
        bool ok = false;
        ProcessWithShader(setup, &vertex, 1, &target, &ok);
        return ok;
    }
    const VertexLayout& layout = setup.layout;
    BlendInputs blend;
    if (!ReadElement(setup.streams, layout.position, vertex, blend.position)) return false;

    float diffuse[4] = {255, 255, 255, 255}, specular[4] = {0, 0, 0, 0};
    if (layout.diffuse.present && !ReadColour(setup.streams, layout.diffuse, vertex, diffuse)) return false;
    if (layout.specular.present && !ReadColour(setup.streams, layout.specular, vertex, specular)) return false;

    float sets[kMaxStages][4] = {};
    for (int set = 0; set < kMaxStages; ++set) {
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
