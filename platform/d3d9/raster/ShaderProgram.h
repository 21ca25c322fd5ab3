// A vs.1.x vertex shader decoded once, when the device creates it, into the
// instruction records the vertex stage runs per vertex. Decoding checks the
// token stream against the vs.1.x rules, so the machine trusts the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace raster {

constexpr int kShaderTemps = 12;
constexpr int kShaderInputs = 16;
constexpr int kShaderConstantFile = 256;
constexpr int kShaderColours = 2;
constexpr int kShaderTexcoords = 8;
constexpr int kShaderMaxInstructions = 128;

enum class ShaderFile : uint8_t {
    kTemp,
    kInput,
    kConst,
    kAddress,    // a0
    kPosition,   // oPos
    kFog,        // oFog
    kPointSize,  // oPts
    kColour,     // oD0, oD1
    kTexcoord,   // oT0 to oT7
};

struct ShaderSource {
    ShaderFile file = ShaderFile::kTemp;
    uint16_t index = 0;
    bool relative = false;  // c[a0.x + index]
    bool negate = false;
    uint8_t swizzle[4] = {0, 1, 2, 3};
};

struct ShaderDest {
    ShaderFile file = ShaderFile::kTemp;
    uint16_t index = 0;
    uint8_t mask = 0xF;  // bit c: component c is written
};

struct ShaderInstruction {
    uint16_t opcode = 0;  // D3DSIO_*
    uint8_t sourceCount = 0;
    ShaderDest dest;
    ShaderSource source[3];
};

// An input register and the vertex element (by usage) that fills it.
struct ShaderInput {
    uint8_t reg = 0;
    uint8_t usage = 0;
    uint8_t usageIndex = 0;
};

struct VertexProgram {
    uint32_t version = 0;
    std::vector<ShaderInput> inputs;
    std::vector<ShaderInstruction> code;
    uint8_t coloursWritten = 0;     // bit per oD register
    uint8_t texcoordsWritten = 0;   // bit per oT register
};

// Decodes from the version token through the end token, reading at most
// maxTokens words. False, with `out` cleared, for anything the vs.1.x rules
// refuse; `length` then holds the words read through the end token.
bool DecodeVertexProgram(const uint32_t* tokens, size_t maxTokens, VertexProgram& out, size_t& length);

// What one run of a program produces. Unwritten registers keep their
// defaults: oD0 white, oD1 black, oT (0, 0, 0, 1).
struct ShaderOutputs {
    float position[4];
    float colour[kShaderColours][4];
    float texcoord[kShaderTexcoords][4];
};

// The float constants a draw reads: registers past `count` read as zero.
struct ShaderConstants {
    const float (*registers)[4] = nullptr;
    int count = 0;
};

// Runs the program on one vertex's input registers (unread ones need no
// value) in single precision, as the hardware does.
void RunVertexProgram(const VertexProgram& program, const float (&inputs)[kShaderInputs][4],
                      const ShaderConstants& constants, ShaderOutputs& out);

}  // namespace raster
