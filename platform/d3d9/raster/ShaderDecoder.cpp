// Token stream to instruction records, with the vs.1.x rules checked on the
// way: known instructions with their operand counts, registers each operand
// may name, masks and modifiers the model has, declarations first and once,
// no read of an undeclared input, an unwritten temporary component or an
// unset address register, one constant register an instruction, and a
// written position. Constant definitions (def) take no instruction slot.
#include <d3d9.h>

#include <cstring>

#include "d3d9/raster/ShaderProgram.h"

namespace raster {

namespace {

struct OpcodeShape {
    uint16_t opcode;
    uint8_t sources;
    uint8_t rows;      // matrix instructions: rows of the second source, else 0
    uint8_t columns;   // matrix instructions: components of each dot product
};

constexpr OpcodeShape kOpcodes[] = {
    {D3DSIO_NOP, 0, 0, 0},  {D3DSIO_MOV, 1, 0, 0},  {D3DSIO_ADD, 2, 0, 0},  {D3DSIO_SUB, 2, 0, 0},
    {D3DSIO_MAD, 3, 0, 0},  {D3DSIO_MUL, 2, 0, 0},  {D3DSIO_RCP, 1, 0, 0},  {D3DSIO_RSQ, 1, 0, 0},
    {D3DSIO_DP3, 2, 0, 0},  {D3DSIO_DP4, 2, 0, 0},  {D3DSIO_MIN, 2, 0, 0},  {D3DSIO_MAX, 2, 0, 0},
    {D3DSIO_SLT, 2, 0, 0},  {D3DSIO_SGE, 2, 0, 0},  {D3DSIO_FRC, 1, 0, 0},  {D3DSIO_M4x4, 2, 4, 4},
    {D3DSIO_M4x3, 2, 3, 4}, {D3DSIO_M3x4, 2, 4, 3}, {D3DSIO_M3x3, 2, 3, 3}, {D3DSIO_M3x2, 2, 2, 3},
    {D3DSIO_EXP, 1, 0, 0},  {D3DSIO_EXPP, 1, 0, 0}, {D3DSIO_LOG, 1, 0, 0},  {D3DSIO_LOGP, 1, 0, 0},
    {D3DSIO_LIT, 1, 0, 0},  {D3DSIO_DST, 2, 0, 0},
};

bool IsScalarSource(uint16_t opcode) {
    switch (opcode) {
        case D3DSIO_RCP:
        case D3DSIO_RSQ:
        case D3DSIO_EXP:
        case D3DSIO_EXPP:
        case D3DSIO_LOG:
        case D3DSIO_LOGP: return true;
        default: return false;
    }
}

const OpcodeShape* FindOpcode(uint32_t opcode) {
    for (const OpcodeShape& shape : kOpcodes)
        if (shape.opcode == opcode) return &shape;
    return nullptr;
}

uint32_t RegisterType(uint32_t token) {
    return ((token & D3DSP_REGTYPE_MASK) >> D3DSP_REGTYPE_SHIFT) | ((token & D3DSP_REGTYPE_MASK2) >> D3DSP_REGTYPE_SHIFT2);
}

class Decoder {
public:
    Decoder(const uint32_t* tokens, size_t maxTokens) : tokens_(tokens), max_(maxTokens) {}

    bool Run(VertexProgram& out, size_t& length) {
        if (!tokens_ || max_ == 0) return false;
        const uint32_t version = tokens_[0];
        if (version != D3DVS_VERSION(1, 0) && version != D3DVS_VERSION(1, 1)) return false;
        out.version = version;
        at_ = 1;
        bool declarationsOpen = true;
        while (true) {
            uint32_t token;
            if (!Next(token)) return false;
            const uint32_t opcode = token & D3DSI_OPCODE_MASK;
            if (opcode == D3DSIO_END) {
                if (token != D3DVS_END()) return false;
                break;
            }
            if (opcode == D3DSIO_COMMENT) {
                if (token & 0x80000000u) return false;
                const size_t words = (token & D3DSI_COMMENTSIZE_MASK) >> D3DSI_COMMENTSIZE_SHIFT;
                if (words > max_ - at_) return false;
                at_ += words;
                continue;
            }
            if (opcode == D3DSIO_DCL) {
                if (!declarationsOpen || !Declaration(token, out)) return false;
                continue;
            }
            if (opcode == D3DSIO_DEF) {
                if (!Definition(token, out)) return false;
                continue;
            }
            declarationsOpen = false;
            if (out.code.size() >= size_t(kShaderMaxInstructions)) return false;
            ShaderInstruction instruction;
            if (!Instruction(token, instruction)) return false;
            out.code.push_back(instruction);
        }
        if (!positionWritten_) return false;
        out.coloursWritten = coloursWritten_;
        out.texcoordsWritten = texcoordsWritten_;
        length = at_;
        return true;
    }

private:
    bool Next(uint32_t& token) {
        if (at_ >= max_) return false;
        token = tokens_[at_++];
        return true;
    }

    // Instruction tokens of vs.1.x carry no controls; their length field is
    // either unused (0) or exact.
    static bool PlainInstructionToken(uint32_t token, uint32_t parameters) {
        if (token & 0xF0FF0000u) return false;
        const uint32_t length = (token & D3DSI_INSTLENGTH_MASK) >> D3DSI_INSTLENGTH_SHIFT;
        return length == 0 || length == parameters;
    }

    bool Declaration(uint32_t token, VertexProgram& out) {
        uint32_t usageToken, destToken;
        if (!PlainInstructionToken(token, 2) || !Next(usageToken) || !Next(destToken)) return false;
        if (!(usageToken & 0x80000000u) || (usageToken & ~(0x80000000u | D3DSP_DCL_USAGE_MASK | D3DSP_DCL_USAGEINDEX_MASK)))
            return false;
        const uint32_t usage = usageToken & D3DSP_DCL_USAGE_MASK;
        const uint32_t usageIndex = (usageToken & D3DSP_DCL_USAGEINDEX_MASK) >> D3DSP_DCL_USAGEINDEX_SHIFT;
        if (usage > D3DDECLUSAGE_SAMPLE) return false;
        if (!(destToken & 0x80000000u) || RegisterType(destToken) != D3DSPR_INPUT) return false;
        if (destToken & (D3DSHADER_ADDRMODE_RELATIVE | D3DSP_DSTMOD_MASK | D3DSP_DSTSHIFT_MASK)) return false;
        const uint32_t reg = destToken & D3DSP_REGNUM_MASK;
        if (reg >= uint32_t(kShaderInputs) || (destToken & D3DSP_WRITEMASK_ALL) == 0) return false;
        if (declared_ & (1u << reg)) return false;
        for (const ShaderInput& input : out.inputs)
            if (input.usage == usage && input.usageIndex == usageIndex) return false;
        declared_ |= 1u << reg;
        out.inputs.push_back(ShaderInput{uint8_t(reg), uint8_t(usage), uint8_t(usageIndex)});
        return true;
    }

    // def c#, x, y, z, w: a whole constant register and four floats.
    bool Definition(uint32_t token, VertexProgram& out) {
        uint32_t destToken;
        if (!PlainInstructionToken(token, 5) || !Next(destToken)) return false;
        if (!(destToken & 0x80000000u) || RegisterType(destToken) != D3DSPR_CONST) return false;
        if (destToken & (D3DSHADER_ADDRMODE_RELATIVE | D3DSP_DSTMOD_MASK | D3DSP_DSTSHIFT_MASK | 0x0000C000u))
            return false;
        if ((destToken & D3DSP_WRITEMASK_ALL) != D3DSP_WRITEMASK_ALL) return false;
        const uint32_t reg = destToken & D3DSP_REGNUM_MASK;
        if (reg >= uint32_t(kShaderConstantFile)) return false;
        ShaderDefinition definition;
        definition.index = uint16_t(reg);
        for (float& value : definition.value) {
            uint32_t bits;
            if (!Next(bits)) return false;
            std::memcpy(&value, &bits, sizeof value);
        }
        out.definitions.push_back(definition);
        return true;
    }

    bool Instruction(uint32_t token, ShaderInstruction& out) {
        const OpcodeShape* shape = FindOpcode(token & D3DSI_OPCODE_MASK);
        if (!shape) return false;
        const uint32_t parameters = shape->sources + (shape->opcode == D3DSIO_NOP ? 0 : 1);
        if (!PlainInstructionToken(token, parameters)) return false;
        out.opcode = shape->opcode;
        out.sourceCount = shape->sources;
        if (shape->opcode == D3DSIO_NOP) return true;
        uint32_t destToken;
        if (!Next(destToken) || !Dest(destToken, *shape, out.dest)) return false;
        int constantRead = -1;
        for (int s = 0; s < shape->sources; ++s) {
            uint32_t sourceToken;
            if (!Next(sourceToken) || !Source(sourceToken, out.source[s])) return false;
            const ShaderSource& src = out.source[s];
            if (src.file == ShaderFile::kConst) {
                const int key = src.index | (src.relative ? 0x10000 : 0);
                if (constantRead >= 0 && constantRead != key) return false;
                constantRead = key;
            }
        }
        if (!CheckReads(*shape, out)) return false;
        NoteWrite(out.dest);
        return true;
    }

    bool Dest(uint32_t token, const OpcodeShape& shape, ShaderDest& out) {
        if (!(token & 0x80000000u)) return false;
        if (token & (D3DSHADER_ADDRMODE_RELATIVE | D3DSP_DSTMOD_MASK | D3DSP_DSTSHIFT_MASK | 0x0000C000u)) return false;
        const uint32_t reg = token & D3DSP_REGNUM_MASK;
        out.index = uint16_t(reg);
        out.mask = uint8_t((token & D3DSP_WRITEMASK_ALL) >> 16);
        if (out.mask == 0) return false;
        switch (RegisterType(token)) {
            case D3DSPR_TEMP:
                out.file = ShaderFile::kTemp;
                out.slot = uint16_t(kTempSlot + reg);
                if (reg >= uint32_t(kShaderTemps)) return false;
                break;
            case D3DSPR_ADDR:
                // Only mov writes a0, and only its x.
                out.file = ShaderFile::kAddress;
                if (reg != 0 || shape.opcode != D3DSIO_MOV || out.mask != 1) return false;
                break;
            case D3DSPR_RASTOUT:
                if (reg == D3DSRO_POSITION) out.file = ShaderFile::kPosition, out.slot = kPositionSlot;
                else if (reg == D3DSRO_FOG) out.file = ShaderFile::kFog, out.slot = kFogSlot;
                else if (reg == D3DSRO_POINT_SIZE) out.file = ShaderFile::kPointSize, out.slot = kPointSizeSlot;
                else return false;
                if (out.file != ShaderFile::kPosition && out.mask != 1) return false;
                break;
            case D3DSPR_ATTROUT:
                out.file = ShaderFile::kColour;
                out.slot = uint16_t(kColourSlot + reg);
                if (reg >= uint32_t(kShaderColours)) return false;
                break;
            case D3DSPR_TEXCRDOUT:
                out.file = ShaderFile::kTexcoord;
                out.slot = uint16_t(kTexcoordSlot + reg);
                if (reg >= uint32_t(kShaderTexcoords)) return false;
                break;
            default: return false;
        }
        // A matrix instruction writes exactly one component per row.
        if (shape.rows && out.mask != (1u << shape.rows) - 1) return false;
        return true;
    }

    bool Source(uint32_t token, ShaderSource& out) {
        if (!(token & 0x80000000u) || (token & 0x0000C000u)) return false;
        const uint32_t modifier = token & D3DSP_SRCMOD_MASK;
        if (modifier != D3DSPSM_NONE && modifier != D3DSPSM_NEG) return false;
        out.negate = modifier == D3DSPSM_NEG;
        out.relative = (token & D3DSHADER_ADDRMODE_RELATIVE) != 0;
        const uint32_t reg = token & D3DSP_REGNUM_MASK;
        out.index = uint16_t(reg);
        const uint32_t swizzle = (token & D3DVS_SWIZZLE_MASK) >> D3DVS_SWIZZLE_SHIFT;
        for (int c = 0; c < 4; ++c) out.swizzle[c] = uint8_t((swizzle >> (2 * c)) & 3);
        out.plain = !out.negate && (token & D3DVS_SWIZZLE_MASK) == D3DVS_NOSWIZZLE;
        switch (RegisterType(token)) {
            case D3DSPR_TEMP:
                out.file = ShaderFile::kTemp;
                out.slot = uint16_t(kTempSlot + reg);
                return reg < uint32_t(kShaderTemps) && !out.relative;
            case D3DSPR_INPUT:
                out.file = ShaderFile::kInput;
                out.slot = uint16_t(kInputSlot + reg);
                return reg < uint32_t(kShaderInputs) && !out.relative;
            case D3DSPR_CONST: out.file = ShaderFile::kConst; return reg < uint32_t(kShaderConstantFile);
            default: return false;
        }
    }

    // Components of source s that the instruction reads, as a mask per
    // register row.
    static uint8_t ComponentsRead(const OpcodeShape& shape, const ShaderInstruction& in, int s) {
        const ShaderSource& src = in.source[s];
        uint8_t mask = 0;
        auto take = [&](int c) { mask |= uint8_t(1u << src.swizzle[c]); };
        const uint8_t dest = in.dest.mask;
        switch (shape.opcode) {
            case D3DSIO_DP3: for (int c = 0; c < 3; ++c) take(c); break;
            case D3DSIO_DP4: for (int c = 0; c < 4; ++c) take(c); break;
            case D3DSIO_LIT:
                // y needs N.L; z needs N.L, N.H and the power.
                if (dest & 0x6) take(0);
                if (dest & 0x4) take(1), take(3);
                break;
            case D3DSIO_DST:
                // y = a.y * b.y, z = a.z, w = b.w.
                if (dest & 0x2) take(1);
                if (s == 0 && (dest & 0x4)) take(2);
                if (s == 1 && (dest & 0x8)) take(3);
                break;
            default:
                if (IsScalarSource(shape.opcode)) {
                    take(3);
                } else if (shape.rows) {
                    for (int c = 0; c < shape.columns; ++c) take(c);
                } else {
                    for (int c = 0; c < 4; ++c)
                        if (in.dest.mask & (1u << c)) take(c);
                }
                break;
        }
        return mask;
    }

    bool CheckReads(const OpcodeShape& shape, const ShaderInstruction& in) {
        for (int s = 0; s < shape.sources; ++s) {
            const ShaderSource& src = in.source[s];
            // The second source of a matrix instruction is a block of rows, read whole.
            const bool matrix = shape.rows && s == 1;
            const int rows = matrix ? shape.rows : 1;
            if (matrix) {
                if (src.negate) return false;
                for (int c = 0; c < 4; ++c)
                    if (src.swizzle[c] != c) return false;
            }
            const uint8_t read = ComponentsRead(shape, in, s);
            for (int r = 0; r < rows; ++r) {
                const int reg = src.index + r;
                switch (src.file) {
                    case ShaderFile::kTemp:
                        if (reg >= kShaderTemps || (tempsWritten_[reg] & read) != read) return false;
                        break;
                    case ShaderFile::kInput:
                        if (reg >= kShaderInputs || !(declared_ & (1u << reg))) return false;
                        break;
                    case ShaderFile::kConst:
                        if (!src.relative && reg >= kShaderConstantFile) return false;
                        if (src.relative && !addressWritten_) return false;
                        break;
                    default: return false;
                }
            }
        }
        return true;
    }

    void NoteWrite(const ShaderDest& dest) {
        switch (dest.file) {
            case ShaderFile::kTemp: tempsWritten_[dest.index] |= dest.mask; break;
            case ShaderFile::kAddress: addressWritten_ = true; break;
            case ShaderFile::kPosition: positionWritten_ = true; break;
            case ShaderFile::kColour: coloursWritten_ |= uint8_t(1u << dest.index); break;
            case ShaderFile::kTexcoord: texcoordsWritten_ |= uint8_t(1u << dest.index); break;
            default: break;
        }
    }

    const uint32_t* tokens_;
    size_t max_;
    size_t at_ = 0;
    uint32_t declared_ = 0;
    uint8_t tempsWritten_[kShaderTemps] = {};
    bool addressWritten_ = false;
    bool positionWritten_ = false;
    uint8_t coloursWritten_ = 0;
    uint8_t texcoordsWritten_ = 0;
};

}  // namespace

bool DecodeVertexProgram(const uint32_t* tokens, size_t maxTokens, VertexProgram& out, size_t& length) {
    out = VertexProgram{};
    length = 0;
    Decoder decoder(tokens, maxTokens);
    if (decoder.Run(out, length)) return true;
    out = VertexProgram{};
    return false;
}

}  // namespace raster
