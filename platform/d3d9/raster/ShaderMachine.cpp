// The vs.1.x machine: decoded instructions bound to a draw's constants and
// run over a batch of vertices, one instruction for all of them at a time.
// The address register is set by mov, rounded down as vs.1.1 hardware does;
// relative constant reads outside the draw's constants read zero. The
// program's own constants (def) are laid over the draw's when it is bound.
#include <d3d9.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "d3d9/raster/ShaderProgram.h"

namespace raster {

namespace {

constexpr float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
// a0 values beyond this reach no register; clamping keeps the sums in range.
constexpr int kAddressLimit = 1 << 20;

constexpr float kOutputDefaults[kShaderRegisterFile - kPositionSlot][4] = {
    {0, 0, 0, 1}, {0, 0, 0, 0}, {0, 0, 0, 0},                                            // oPos, oFog, oPts
    {1, 1, 1, 1}, {0, 0, 0, 0},                                                          // oD0, oD1
    {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1},  // oT0 to oT5
    {0, 0, 0, 1}, {0, 0, 0, 1}};                                                         // oT6, oT7

// The matrix instructions: rows written and components of each product.
bool MatrixShape(uint16_t opcode, int& rows, int& columns) {
    switch (opcode) {
        case D3DSIO_M4x4: rows = 4, columns = 4; return true;
        case D3DSIO_M4x3: rows = 3, columns = 4; return true;
        case D3DSIO_M3x4: rows = 4, columns = 3; return true;
        case D3DSIO_M3x3: rows = 3, columns = 3; return true;
        case D3DSIO_M3x2: rows = 2, columns = 3; return true;
        default: return false;
    }
}

// The components of a source an instruction reads.
uint8_t ComponentsRead(uint16_t opcode, uint8_t destMask, int columns) {
    switch (opcode) {
        case D3DSIO_DP3: return 0x7;
        case D3DSIO_DP4: return 0xF;
        case D3DSIO_RCP:
        case D3DSIO_RSQ:
        case D3DSIO_EXP:
        case D3DSIO_EXPP:
        case D3DSIO_LOG:
        case D3DSIO_LOGP: return 0x8;
        case D3DSIO_LIT: return 0xB;
        case D3DSIO_DST: return 0xE;
        default: return columns ? uint8_t((1u << columns) - 1) : destMask;
    }
}

float FloatBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t BitsOf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// Partial precision: the lowest eight bits of the mantissa are dropped.
float Partial(float v) { return FloatBits(BitsOf(v) & 0xFFFFFF00u); }

// expp of vs.1.1: 2^floor(w), the fraction of w, 2^w at partial precision, 1.
void PartialExp(float w, float out[4]) {
    const float whole = std::floor(w);
    out[0] = std::exp2(whole);
    out[1] = w - whole;
    out[2] = Partial(std::exp2(w));
    out[3] = 1.0f;
}

// logp of vs.1.1 on |w|: its exponent, its mantissa in [1, 2), log2 at
// partial precision, 1; zero gives -FLT_MAX for the logarithms.
void PartialLog(float w, float out[4]) {
    const float v = std::fabs(w);
    if (v == 0.0f) {
        out[0] = out[2] = -FLT_MAX;
        out[1] = out[3] = 1.0f;
        return;
    }
    const uint32_t bits = BitsOf(v);
    out[0] = float(int(bits >> 23) - 127);
    out[1] = FloatBits((bits & 0x7FFFFFu) | 0x3F800000u);
    out[2] = Partial(std::log2(v));
    out[3] = 1.0f;
}

// lit: x = 1, y = N.L when positive, z = N.H ^ power when both are, w = 1;
// the power is held inside +-128 (8.8 fixed point).
void Lighting(float normalLight, float normalHalf, float power, float out[4]) {
    constexpr float kMaxPower = 127.9961f;
    power = std::clamp(power, -kMaxPower, kMaxPower);
    out[0] = out[3] = 1.0f;
    out[1] = normalLight > 0.0f ? normalLight : 0.0f;
    out[2] = normalLight > 0.0f && normalHalf > 0.0f ? std::pow(normalHalf, power) : 0.0f;
}

using Lanes = float[kShaderLanes];

// A dot product per lane of the first n components.
void Dot(const Lanes* a, const Lanes* b, int n, int lanes, float* out) {
    for (int l = 0; l < lanes; ++l) out[l] = a[0][l] * b[0][l];
    for (int c = 1; c < n; ++c)
        for (int l = 0; l < lanes; ++l) out[l] += a[c][l] * b[c][l];
}

// Component-wise and scalar instructions into r, for the components of
// `mask`; false for none of them.
bool Arithmetic(uint16_t opcode, const Lanes* a, const Lanes* b, const Lanes* c, uint8_t mask, int lanes,
                Lanes* r) {
    switch (opcode) {
        case D3DSIO_DP3:
        case D3DSIO_DP4: {
            float d[kShaderLanes];
            Dot(a, b, opcode == D3DSIO_DP3 ? 3 : 4, lanes, d);
            for (int k = 0; k < 4; ++k)
                if (mask & (1u << k)) std::memcpy(r[k], d, sizeof d);
            return true;
        }
        case D3DSIO_RCP:
        case D3DSIO_RSQ: {
            // Scalar instructions read the last component of their swizzle.
            float d[kShaderLanes];
            for (int l = 0; l < lanes; ++l) {
                const float v = opcode == D3DSIO_RCP ? a[3][l] : std::fabs(a[3][l]);
                d[l] = v == 1.0f ? 1.0f : opcode == D3DSIO_RCP ? 1.0f / v : 1.0f / std::sqrt(v);
            }
            for (int k = 0; k < 4; ++k)
                if (mask & (1u << k)) std::memcpy(r[k], d, sizeof d);
            return true;
        }
        case D3DSIO_EXP:
        case D3DSIO_LOG: {
            float d[kShaderLanes];
            for (int l = 0; l < lanes; ++l) {
                const float v = a[3][l];
                if (opcode == D3DSIO_EXP) d[l] = std::exp2(v);
                else d[l] = v == 0.0f ? -FLT_MAX : std::log2(std::fabs(v));
            }
            for (int k = 0; k < 4; ++k)
                if (mask & (1u << k)) std::memcpy(r[k], d, sizeof d);
            return true;
        }
        case D3DSIO_EXPP:
        case D3DSIO_LOGP:
        case D3DSIO_LIT:
        case D3DSIO_DST: {
            // Each lane's four results at once, then the masked ones kept.
            for (int l = 0; l < lanes; ++l) {
                float v[4];
                if (opcode == D3DSIO_EXPP) PartialExp(a[3][l], v);
                else if (opcode == D3DSIO_LOGP) PartialLog(a[3][l], v);
                else if (opcode == D3DSIO_LIT) Lighting(a[0][l], a[1][l], a[3][l], v);
                else v[0] = 1.0f, v[1] = a[1][l] * b[1][l], v[2] = a[2][l], v[3] = b[3][l];
                for (int k = 0; k < 4; ++k)
                    if (mask & (1u << k)) r[k][l] = v[k];
            }
            return true;
        }
        default: break;
    }
    for (int k = 0; k < 4; ++k) {
        if (!(mask & (1u << k))) continue;
        const float* x = a[k];
        const float* y = b ? b[k] : nullptr;
        const float* z = c ? c[k] : nullptr;
        float* o = r[k];
        switch (opcode) {
            case D3DSIO_MOV: for (int l = 0; l < lanes; ++l) o[l] = x[l]; break;
            case D3DSIO_ADD: for (int l = 0; l < lanes; ++l) o[l] = x[l] + y[l]; break;
            case D3DSIO_SUB: for (int l = 0; l < lanes; ++l) o[l] = x[l] - y[l]; break;
            case D3DSIO_MUL: for (int l = 0; l < lanes; ++l) o[l] = x[l] * y[l]; break;
            case D3DSIO_MAD: for (int l = 0; l < lanes; ++l) o[l] = x[l] * y[l] + z[l]; break;
            case D3DSIO_MIN: for (int l = 0; l < lanes; ++l) o[l] = y[l] < x[l] ? y[l] : x[l]; break;
            case D3DSIO_MAX: for (int l = 0; l < lanes; ++l) o[l] = y[l] > x[l] ? y[l] : x[l]; break;
            case D3DSIO_SLT: for (int l = 0; l < lanes; ++l) o[l] = x[l] < y[l] ? 1.0f : 0.0f; break;
            case D3DSIO_SGE: for (int l = 0; l < lanes; ++l) o[l] = x[l] >= y[l] ? 1.0f : 0.0f; break;
            case D3DSIO_FRC: for (int l = 0; l < lanes; ++l) o[l] = x[l] - std::floor(x[l]); break;
            default: return false;
        }
    }
    return true;
}

}  // namespace

// Components the instruction does not read take the register's own, so a
// swizzle that differs only there reads the register as it is.
ShaderRun::Source ShaderRun::Resolve(const ShaderSource& s, int row, uint8_t read) const {
    Source out;
    out.negate = s.negate;
    bool identity = true;
    for (int c = 0; c < 4; ++c) {
        out.swizzle[c] = read & (1u << c) ? s.swizzle[c] : uint8_t(c);
        identity = identity && out.swizzle[c] == c;
        if (read & (1u << c)) out.components[out.count++] = uint8_t(c);
    }
    if (s.file != ShaderFile::kConst) {
        out.kind = Kind::kRegister;
        out.reg = file_[s.slot + row];
        out.plain = identity && !s.negate;
    } else if (s.relative) {
        out.kind = Kind::kRelative;
        out.index = s.index + row;
        out.plain = false;
    } else {
        const int index = s.index + row;
        out.kind = Kind::kUniform;
        out.uniform = index < constants_.count ? constants_.registers[index] : kZero;
        out.plain = false;
    }
    return out;
}

ShaderRun::ShaderRun(const VertexProgram& program, const ShaderConstants& constants) : constants_(constants) {
    if (!program.definitions.empty()) {
        int count = constants.registers ? constants.count : 0;
        for (const ShaderDefinition& d : program.definitions) count = std::max(count, int(d.index) + 1);
        defined_.reset(new float[size_t(count)][4]());
        if (constants.registers)
            std::memcpy(defined_.get(), constants.registers, sizeof(float[4]) * size_t(constants.count));
        for (const ShaderDefinition& d : program.definitions) std::memcpy(defined_[d.index], d.value, sizeof d.value);
        constants_ = ShaderConstants{defined_.get(), count};
    }
    for (const ShaderInstruction& in : program.code) {
        if (in.opcode == D3DSIO_NOP) continue;
        Op op;
        op.opcode = in.opcode;
        op.toAddress = in.dest.file == ShaderFile::kAddress;
        op.dest = op.toAddress ? nullptr : file_[in.dest.slot];
        op.mask = in.dest.mask;
        op.sources = in.sourceCount;
        MatrixShape(in.opcode, op.rowCount, op.columns);
        const uint8_t read = ComponentsRead(in.opcode, in.dest.mask, op.columns);
        for (int s = 0; s < in.sourceCount; ++s) op.source[s] = Resolve(in.source[s], 0, read);
        for (int row = 0; row < op.rowCount; ++row) op.rows[row] = Resolve(in.source[1], row, 0xF);
        ops_.push_back(op);
    }
}

// The source's read components for every lane: the register itself when
// read plainly, else swizzled (and negated) into `scratch`.
__attribute__((always_inline)) inline const ShaderRun::Lanes* ShaderRun::Read(const Source& s, Lanes scratch[4],
                                                                            int lanes) const {
    if (s.plain) return s.reg;
    const float sign = s.negate ? -1.0f : 1.0f;
    switch (s.kind) {
        case Kind::kRegister:
            for (int i = 0; i < s.count; ++i) {
                const int c = s.components[i];
                const float* from = s.reg[s.swizzle[c]];
                for (int l = 0; l < lanes; ++l) scratch[c][l] = sign * from[l];
            }
            break;
        case Kind::kUniform:
            for (int i = 0; i < s.count; ++i) {
                const int c = s.components[i];
                const float v = sign * s.uniform[s.swizzle[c]];
                for (int l = 0; l < lanes; ++l) scratch[c][l] = v;
            }
            break;
        case Kind::kRelative:
            for (int l = 0; l < lanes; ++l) {
                const int index = s.index + address_[l];
                const float* reg = index >= 0 && index < constants_.count ? constants_.registers[index] : kZero;
                for (int i = 0; i < s.count; ++i) {
                    const int c = s.components[i];
                    scratch[c][l] = sign * reg[s.swizzle[c]];
                }
            }
            break;
    }
    return scratch;
}

__attribute__((always_inline)) inline void ShaderRun::Execute(const Op& op, int lanes) {
    Lanes r[4], fa[4], fb[4], fc[4];
    if (op.rowCount) {
        const Lanes* a = Read(op.source[0], fa, lanes);
        for (int row = 0; row < op.rowCount; ++row) {
            const Lanes* b = Read(op.rows[row], fb, lanes);
            Dot(a, b, op.columns, lanes, r[row]);
        }
    } else {
        const Lanes* a = Read(op.source[0], fa, lanes);
        const Lanes* b = op.sources > 1 ? Read(op.source[1], fb, lanes) : nullptr;
        const Lanes* c = op.sources > 2 ? Read(op.source[2], fc, lanes) : nullptr;
        if (!Arithmetic(op.opcode, a, b, c, op.toAddress ? 1 : op.mask, lanes, r)) return;
    }
    if (op.toAddress) {
        for (int l = 0; l < lanes; ++l) {
            const float rounded = std::floor(r[0][l]);
            address_[l] = rounded >= float(kAddressLimit) || !(rounded > -float(kAddressLimit)) ? kAddressLimit
                                                                                                 : int(rounded);
        }
        return;
    }
    for (int c = 0; c < 4; ++c)
        if (op.mask & (1u << c)) std::memcpy(op.dest[c], r[c], size_t(lanes) * sizeof(float));
}

void ShaderRun::Run(int lanes) {
    for (int slot = kPositionSlot; slot < kShaderRegisterFile; ++slot)
        for (int c = 0; c < 4; ++c)
            for (int l = 0; l < lanes; ++l) file_[slot][c][l] = kOutputDefaults[slot - kPositionSlot][c];
    for (const Op& op : ops_) Execute(op, lanes);
}

}  // namespace raster
