// The vs.1.x machine: decoded instructions over float registers. The
// address register is set by mov, rounded down as vs.1.1 hardware does;
// relative constant reads outside the draw's constants read zero.
#include <d3d9.h>

#include <cmath>
#include <cstring>

#include "d3d9/raster/ShaderProgram.h"

namespace raster {

namespace {

constexpr float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
// a0 values beyond this reach no register; clamping keeps the sums in range.
constexpr int kAddressLimit = 1 << 20;

struct Machine {
    const float (*inputs)[4];
    ShaderConstants constants;
    float temps[kShaderTemps][4];
    int address = 0;
    ShaderOutputs* out;
    float fog[4], pointSize[4];

    const float* Register(const ShaderSource& s, int row) const {
        switch (s.file) {
            case ShaderFile::kTemp: return temps[s.index + row];
            case ShaderFile::kInput: return inputs[s.index + row];
            default: {
                const int index = s.index + row + (s.relative ? address : 0);
                return index >= 0 && index < constants.count ? constants.registers[index] : kZero;
            }
        }
    }

    void Fetch(const ShaderSource& s, int row, float v[4]) const {
        const float* r = Register(s, row);
        for (int c = 0; c < 4; ++c) v[c] = r[s.swizzle[c]];
        if (s.negate)
            for (int c = 0; c < 4; ++c) v[c] = -v[c];
    }

    float* Target(const ShaderDest& d) {
        switch (d.file) {
            case ShaderFile::kTemp: return temps[d.index];
            case ShaderFile::kPosition: return out->position;
            case ShaderFile::kColour: return out->colour[d.index];
            case ShaderFile::kTexcoord: return out->texcoord[d.index];
            case ShaderFile::kFog: return fog;
            default: return pointSize;
        }
    }

    void Write(const ShaderDest& d, const float v[4]) {
        if (d.file == ShaderFile::kAddress) {
            const float rounded = std::floor(v[0]);
            address = rounded >= float(kAddressLimit) || !(rounded > -float(kAddressLimit)) ? kAddressLimit
                                                                                             : int(rounded);
            return;
        }
        float* target = Target(d);
        for (int c = 0; c < 4; ++c)
            if (d.mask & (1u << c)) target[c] = v[c];
    }

    static float Dot(const float* a, const float* b, int n) {
        float sum = a[0] * b[0];
        for (int c = 1; c < n; ++c) sum += a[c] * b[c];
        return sum;
    }

    void Execute(const ShaderInstruction& in) {
        float a[4], b[4], c[4], r[4];
        switch (in.opcode) {
            case D3DSIO_NOP: return;
            case D3DSIO_M4x4:
            case D3DSIO_M4x3:
            case D3DSIO_M3x4:
            case D3DSIO_M3x3:
            case D3DSIO_M3x2: {
                const bool four = in.opcode == D3DSIO_M4x4 || in.opcode == D3DSIO_M4x3;
                const int rows = in.opcode == D3DSIO_M4x4 || in.opcode == D3DSIO_M3x4 ? 4
                                 : in.opcode == D3DSIO_M3x2                            ? 2
                                                                                       : 3;
                Fetch(in.source[0], 0, a);
                for (int row = 0; row < rows; ++row) {
                    Fetch(in.source[1], row, b);
                    r[row] = Dot(a, b, four ? 4 : 3);
                }
                Write(in.dest, r);
                return;
            }
            default: break;
        }
        if (in.sourceCount > 0) Fetch(in.source[0], 0, a);
        if (in.sourceCount > 1) Fetch(in.source[1], 0, b);
        if (in.sourceCount > 2) Fetch(in.source[2], 0, c);
        switch (in.opcode) {
            case D3DSIO_MOV: std::memcpy(r, a, sizeof r); break;
            case D3DSIO_ADD: for (int i = 0; i < 4; ++i) r[i] = a[i] + b[i]; break;
            case D3DSIO_SUB: for (int i = 0; i < 4; ++i) r[i] = a[i] - b[i]; break;
            case D3DSIO_MUL: for (int i = 0; i < 4; ++i) r[i] = a[i] * b[i]; break;
            case D3DSIO_MAD: for (int i = 0; i < 4; ++i) r[i] = a[i] * b[i] + c[i]; break;
            case D3DSIO_MIN: for (int i = 0; i < 4; ++i) r[i] = b[i] < a[i] ? b[i] : a[i]; break;
            case D3DSIO_MAX: for (int i = 0; i < 4; ++i) r[i] = b[i] > a[i] ? b[i] : a[i]; break;
            case D3DSIO_SLT: for (int i = 0; i < 4; ++i) r[i] = a[i] < b[i] ? 1.0f : 0.0f; break;
            case D3DSIO_SGE: for (int i = 0; i < 4; ++i) r[i] = a[i] >= b[i] ? 1.0f : 0.0f; break;
            case D3DSIO_FRC: for (int i = 0; i < 4; ++i) r[i] = a[i] - std::floor(a[i]); break;
            case D3DSIO_DP3: r[0] = r[1] = r[2] = r[3] = Dot(a, b, 3); break;
            case D3DSIO_DP4: r[0] = r[1] = r[2] = r[3] = Dot(a, b, 4); break;
            // Scalar instructions read the last component of their swizzle.
            case D3DSIO_RCP: r[0] = r[1] = r[2] = r[3] = a[3] == 1.0f ? 1.0f : 1.0f / a[3]; break;
            case D3DSIO_RSQ: {
                const float m = std::fabs(a[3]);
                r[0] = r[1] = r[2] = r[3] = m == 1.0f ? 1.0f : 1.0f / std::sqrt(m);
                break;
            }
            default: return;
        }
        Write(in.dest, r);
    }
};

}  // namespace

void RunVertexProgram(const VertexProgram& program, const float (&inputs)[kShaderInputs][4],
                      const ShaderConstants& constants, ShaderOutputs& out) {
    for (int c = 0; c < 4; ++c) {
        out.position[c] = c == 3 ? 1.0f : 0.0f;
        out.colour[0][c] = 1.0f;
        out.colour[1][c] = 0.0f;
    }
    for (auto& t : out.texcoord) {
        t[0] = t[1] = t[2] = 0.0f;
        t[3] = 1.0f;
    }
    Machine m{inputs, constants, {}, 0, &out, {}, {}};
    for (const ShaderInstruction& in : program.code) m.Execute(in);
}

}  // namespace raster
