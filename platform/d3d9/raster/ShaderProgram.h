// A vs.1.x vertex shader decoded once, when the device creates it, into the
// instruction records the vertex stage runs per vertex. Decoding checks the
// token stream against the vs.1.x rules, so the machine trusts the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

// Every register but the constants and a0 lives in one file, at these slots.
constexpr int kTempSlot = 0;
constexpr int kInputSlot = kTempSlot + kShaderTemps;
constexpr int kPositionSlot = kInputSlot + kShaderInputs;
constexpr int kFogSlot = kPositionSlot + 1;
constexpr int kPointSizeSlot = kFogSlot + 1;
constexpr int kColourSlot = kPointSizeSlot + 1;
constexpr int kTexcoordSlot = kColourSlot + kShaderColours;
constexpr int kShaderRegisterFile = kTexcoordSlot + kShaderTexcoords;

struct ShaderSource {
    ShaderFile file = ShaderFile::kTemp;
    uint16_t index = 0;     // register number within its file
    uint16_t slot = 0;      // where it lives in the register file (not constants)
    bool relative = false;  // c[a0.x + index]
    bool negate = false;
    bool plain = true;      // no swizzle, no negation: read as it is
    uint8_t swizzle[4] = {0, 1, 2, 3};
};

struct ShaderDest {
    ShaderFile file = ShaderFile::kTemp;
    uint16_t index = 0;
    uint16_t slot = 0;
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

// A constant the program defines for itself (def): while the program is
// bound it replaces what the API set in that register.
struct ShaderDefinition {
    uint16_t index = 0;
    float value[4] = {};
};

struct VertexProgram {
    uint32_t version = 0;
    std::vector<ShaderInput> inputs;
    std::vector<ShaderDefinition> definitions;  // in order: a later one for a register wins
    std::vector<ShaderInstruction> code;
    uint8_t coloursWritten = 0;     // bit per oD register
    uint8_t texcoordsWritten = 0;   // bit per oT register
};

// Decodes from the version token through the end token, reading at most
// maxTokens words. False, with `out` cleared, for anything the vs.1.x rules
// refuse; `length` then holds the words read through the end token.
bool DecodeVertexProgram(const uint32_t* tokens, size_t maxTokens, VertexProgram& out, size_t& length);

// The float constants a draw reads: registers past `count` read as zero.
struct ShaderConstants {
    const float (*registers)[4] = nullptr;
    int count = 0;
};

// A program bound to one draw's constants and to registers of its own,
// run over up to kShaderLanes vertices at once: operands resolve once per
// draw and each instruction runs for every vertex of the batch before the
// next, in single precision as the hardware does. Fill the declared inputs
// of each lane, run, read each lane's outputs. Unwritten outputs keep their
// defaults: oD0 white, oD1 black, oT (0, 0, 0, 1). Belongs to one draw on
// one thread; it does not move.
constexpr int kShaderLanes = 8;

class ShaderRun {
public:
    ShaderRun(const VertexProgram& program, const ShaderConstants& constants);
    ShaderRun(const ShaderRun&) = delete;
    ShaderRun& operator=(const ShaderRun&) = delete;

    void SetInput(int reg, int lane, const float value[4]) {
        for (int c = 0; c < 4; ++c) file_[kInputSlot + reg][c][lane] = value[c];
    }
    void Run(int lanes);
    // Component c of an output register (a slot from kPositionSlot on).
    float Output(int slot, int c, int lane) const { return file_[slot][c][lane]; }

private:
    using Lanes = float[kShaderLanes];
    enum class Kind : uint8_t { kRegister, kUniform, kRelative };
    struct Source {
        Kind kind = Kind::kRegister;
        const Lanes* reg = nullptr;      // kRegister: the register's components
        const float* uniform = nullptr;  // kUniform: the constant
        int index = 0;                   // kRelative: the register number before a0.x
        bool plain = true;               // a register read as it is
        bool negate = false;
        uint8_t count = 0;               // the components read, in `components`
        uint8_t components[4] = {};
        uint8_t swizzle[4] = {0, 1, 2, 3};
    };
    struct Op {
        uint16_t opcode = 0;
        bool toAddress = false;
        Lanes* dest = nullptr;
        uint8_t mask = 0xF;
        int sources = 0;
        Source source[3];
        Source rows[4];  // matrix instructions: each row of the second source
        int rowCount = 0, columns = 0;
    };

    Source Resolve(const ShaderSource& s, int row, uint8_t read) const;
    inline const Lanes* Read(const Source& s, Lanes scratch[4], int lanes) const;
    inline void Execute(const Op& op, int lanes);

    ShaderConstants constants_;
    // The API's constants with the program's definitions laid over them;
    // empty when the program defines none.
    std::unique_ptr<float[][4]> defined_;
    std::vector<Op> ops_;
    float file_[kShaderRegisterFile][4][kShaderLanes] = {};
    int address_[kShaderLanes] = {};
};

}  // namespace raster
