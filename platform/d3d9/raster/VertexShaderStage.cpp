// The vertex stage with a vertex shader: its declared inputs bound to the
// draw's elements by usage, a batch of vertices run side by side, and the
// outputs taken as the rest of the pipeline reads them.
#include "d3d9/raster/VertexShaderStage.h"

#include <algorithm>
#include <memory>

#include "d3d9/raster/VertexFetch.h"

namespace raster {

namespace {

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

}  // namespace

void BindShader(const DrawCommand& draw, const VertexLayout& layout, ShaderBinding& out) {
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

void ShadeVertices(const VertexSetup& setup, const uint32_t* vertices, int count, ClipVertex* const* out, bool* ok) {
    for (int lane = 0; lane < count; ++lane) ok[lane] = FetchShaderInputs(setup, vertices[lane], lane);
    setup.shader.run->Run(count);
    for (int lane = 0; lane < count; ++lane)
        if (ok[lane]) TakeShaderOutputs(setup, lane, *out[lane]);
}

}  // namespace raster
