// The vertex stage: one input vertex becomes one clip-space vertex with its
// colours and texture coordinates, through the fixed-function transform,
// blending, lighting and coordinate generation, or through a vertex shader.
// A VertexSetup is folded once per draw; ProcessVertex runs per vertex.
#pragma once

#include <cstdint>
#include <memory>

#include "d3d9/raster/Interpolation.h"
#include "d3d9/raster/RasterTypes.h"
#include "d3d9/raster/ShaderProgram.h"
#include "d3d9/raster/TexcoordGeneration.h"
#include "d3d9/raster/VertexLayout.h"
#include "d3d9/raster/VertexLighting.h"
#include "d3d9/raster/VertexTransform.h"

namespace raster {

struct ClipVertex {
    double pos[4] = {0, 0, 0, 1};  // clip space; pre-transformed: x*w, y*w, z*w, w
    bool hasScreen = false;        // pre-transformed and not made by clipping
    double screen[4] = {};         // x, y, z, rhw as given
    float attr[kAttributeCount] = {};
};

// What a vertex shader reads: each declared input register's element.
struct ShaderBinding {
    const VertexProgram* program = nullptr;
    std::unique_ptr<ShaderRun> run;  // the program bound to the draw's constants
    struct Input {
        uint8_t reg;
        bool present;
        AttributeSlot slot;
    } inputs[kShaderInputs];
    int inputCount = 0;
};

struct VertexSetup {
    VertexLayout layout;
    const StreamView* streams = nullptr;
    bool pretransformed = false;
    int stageCount = 0;  // stages whose coordinates are produced
    StageCoordinates stages[kMaxStages];
    int texcoordSets = 0;  // sets read per vertex: those present and those the stages name

    // Fixed function.
    BlendTransforms transforms;
    int blendMatrices = 1;
    bool indexedBlend = false;
    bool needsCameraSpace = false;  // lighting or generated coordinates
    bool normalizeNormals = false;
    bool localViewer = true;
    bool lighting = false;
    LightingSetup light;

    ShaderBinding shader;  // program null: fixed function
};

// False when the layout or the streams' strides do not fit.
bool BuildVertexSetup(const DrawCommand& draw, int stageCount, VertexSetup& out);

// BuildVertexSetup in two steps: what the states and the vertex format give
// (false when the layout does not fit), kept between draws of the same
// states; then the draw's streams, false when a stride is below what the
// layout reads.
bool CompileVertexSetup(const DrawCommand& draw, int stageCount, VertexSetup& out);
bool BindVertexStreams(const DrawCommand& draw, VertexSetup& setup);

// False when any byte of the vertex lies outside its stream.
bool ProcessVertex(const VertexSetup& setup, uint32_t vertexNumber, ClipVertex& out);

// Up to kVertexBatch vertices at once (a vertex shader runs them side by
// side); ok[i] as ProcessVertex would return for vertices[i].
constexpr int kVertexBatch = kShaderLanes;
void ProcessVertices(const VertexSetup& setup, const uint32_t* vertices, int count, ClipVertex* const* out, bool* ok);

}  // namespace raster
