// One prepared line at a time into vs.1.x tokens: the version line, dcl_*
// declarations, def constants, then instructions with their operands (masks,
// swizzles, negation, c[a0.x + n]). The checks are those of the vs.1.x
// model, so what assembles is what the device accepts.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "d3d9.h"
#include "d3dx9/ShaderAssembler.h"

namespace lumiva::d3dx9 {

namespace {

constexpr uint32_t kTemps = 12, kInputs = 16, kConstants = 256, kColours = 2, kTexcoords = 8;
constexpr size_t kMaxInstructions = 128;

struct Mnemonic {
    const char* name;
    uint32_t opcode;
    int sources;
    int rows;     // matrix instructions: rows written, else 0
    int columns;  // matrix instructions: components of each dot product
};

constexpr Mnemonic kMnemonics[] = {
    {"nop", D3DSIO_NOP, 0, 0, 0},   {"mov", D3DSIO_MOV, 1, 0, 0},   {"add", D3DSIO_ADD, 2, 0, 0},
    {"sub", D3DSIO_SUB, 2, 0, 0},   {"mad", D3DSIO_MAD, 3, 0, 0},   {"mul", D3DSIO_MUL, 2, 0, 0},
    {"rcp", D3DSIO_RCP, 1, 0, 0},   {"rsq", D3DSIO_RSQ, 1, 0, 0},   {"dp3", D3DSIO_DP3, 2, 0, 0},
    {"dp4", D3DSIO_DP4, 2, 0, 0},   {"min", D3DSIO_MIN, 2, 0, 0},   {"max", D3DSIO_MAX, 2, 0, 0},
    {"slt", D3DSIO_SLT, 2, 0, 0},   {"sge", D3DSIO_SGE, 2, 0, 0},   {"frc", D3DSIO_FRC, 1, 0, 0},
    {"m4x4", D3DSIO_M4x4, 2, 4, 4}, {"m4x3", D3DSIO_M4x3, 2, 3, 4}, {"m3x4", D3DSIO_M3x4, 2, 4, 3},
    {"m3x3", D3DSIO_M3x3, 2, 3, 3}, {"m3x2", D3DSIO_M3x2, 2, 2, 3}, {"exp", D3DSIO_EXP, 1, 0, 0},
    {"expp", D3DSIO_EXPP, 1, 0, 0}, {"log", D3DSIO_LOG, 1, 0, 0},   {"logp", D3DSIO_LOGP, 1, 0, 0},
    {"lit", D3DSIO_LIT, 1, 0, 0},   {"dst", D3DSIO_DST, 2, 0, 0},
};

// Instructions that read one component: the last of the source's swizzle.
bool ReadsScalar(uint32_t opcode) {
    return opcode == D3DSIO_RCP || opcode == D3DSIO_RSQ || opcode == D3DSIO_EXP || opcode == D3DSIO_EXPP ||
           opcode == D3DSIO_LOG || opcode == D3DSIO_LOGP;
}

// A decimal float as the text writes it, finite; false for anything else.
bool ParseFloat(const std::string& s, float& out) {
    const char* end = s.data() + s.size();
    const char* begin = s.data() + (!s.empty() && s[0] == '+' ? 1 : 0);
    const auto [at, error] = std::from_chars(begin, end, out);
    return !s.empty() && error == std::errc() && at == end && std::isfinite(out);
}

constexpr const char* kUsageNames[] = {"position", "blendweight", "blendindices", "normal",   "psize",
                                       "texcoord", "tangent",     "binormal",     "tessfactor", "positiont",
                                       "color",    "fog",         "depth",        "sample"};

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string WithoutSpaces(const std::string& s) {
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c))) out += c;
    return out;
}

// A whole decimal number of at most four digits.
bool ParseNumber(const std::string& s, uint32_t& out) {
    if (s.empty() || s.size() > 4) return false;
    out = 0;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        out = out * 10 + uint32_t(c - '0');
    }
    return true;
}

int ComponentOf(char c) {
    switch (c) {
        case 'x': case 'r': return 0;
        case 'y': case 'g': return 1;
        case 'z': case 'b': return 2;
        case 'w': case 'a': return 3;
        default: return -1;
    }
}

struct Register {
    uint32_t type = D3DSPR_TEMP;
    uint32_t number = 0;
    bool relative = false;
};

struct Operand {
    Register reg;
    bool negate = false;
    bool hasSuffix = false;
    std::string suffix;  // after the dot
};

uint32_t RegisterToken(const Register& r) {
    return 0x80000000u | ((r.type << D3DSP_REGTYPE_SHIFT) & D3DSP_REGTYPE_MASK) |
           ((r.type << D3DSP_REGTYPE_SHIFT2) & D3DSP_REGTYPE_MASK2) | (r.number & D3DSP_REGNUM_MASK) |
           (r.relative ? D3DSHADER_ADDRMODE_RELATIVE : 0u);
}

std::string RegisterName(const Register& r) {
    switch (r.type) {
        case D3DSPR_TEMP: return "r" + std::to_string(r.number);
        case D3DSPR_INPUT: return "v" + std::to_string(r.number);
        case D3DSPR_CONST: return "c" + std::to_string(r.number);
        case D3DSPR_ADDR: return "a0";
        case D3DSPR_RASTOUT: return r.number == D3DSRO_POSITION ? "oPos" : r.number == D3DSRO_FOG ? "oFog" : "oPts";
        case D3DSPR_ATTROUT: return "oD" + std::to_string(r.number);
        default: return "oT" + std::to_string(r.number);
    }
}

class Assembler {
public:
    Assembler(std::vector<uint32_t>& tokens, std::vector<std::string>& errors) : tokens_(tokens), errors_(errors) {}

    void Line(const SourceLine& line) {
        line_ = line.number;
        const std::string text = Lower(line.text);
        const size_t space = text.find_first_of(" \t");
        const std::string word = text.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : text.substr(space + 1);
        if (text[0] == '#') {
            Fail("preprocessor lines are not supported");
        } else if (!versionSeen_) {
            Version(word, rest);
        } else if (word.rfind("dcl_", 0) == 0) {
            Declaration(word.substr(4), rest);
        } else if (word == "def") {
            Definition(rest);
        } else {
            Instruction(word, rest);
        }
    }

    void Finish(int lastLine) {
        line_ = lastLine;
        if (!versionSeen_) Fail("no version line (vs.1.1)");
        else if (!positionWritten_) Fail("oPos is never written");
        tokens_.push_back(D3DVS_END());
    }

private:
    bool Fail(const std::string& message) {
        errors_.push_back("(" + std::to_string(line_) + "): error: " + message);
        return false;
    }

    void Version(const std::string& word, const std::string& rest) {
        if (!rest.empty() || (word != "vs.1.1" && word != "vs_1_1" && word != "vs.1.0" && word != "vs_1_0")) {
            Fail("the first line must be the version (vs.1.1)");
            versionSeen_ = true;  // one fault is enough
            return;
        }
        versionSeen_ = true;
        tokens_.push_back(word.back() == '1' ? D3DVS_VERSION(1, 1) : D3DVS_VERSION(1, 0));
    }

    void Declaration(const std::string& name, const std::string& rest) {
        if (!declarationsOpen_) {
            Fail("declarations must come before the instructions");
            return;
        }
        size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
        uint32_t usageIndex = 0;
        if (digits < name.size() && (!ParseNumber(name.substr(digits), usageIndex) || usageIndex > 15)) {
            Fail("usage index out of range in dcl_" + name);
            return;
        }
        const std::string usageName = name.substr(0, digits);
        const auto found = std::find(std::begin(kUsageNames), std::end(kUsageNames), usageName);
        if (found == std::end(kUsageNames)) {
            Fail("unknown usage dcl_" + name);
            return;
        }
        const uint32_t usage = uint32_t(found - std::begin(kUsageNames));
        std::vector<Operand> operands;
        if (!Operands(rest, 1, operands)) return;
        const Operand& op = operands[0];
        if (op.reg.type != D3DSPR_INPUT || op.reg.relative) {
            Fail("dcl names an input register v0 to v15");
            return;
        }
        uint32_t mask = 0xF;
        if (op.hasSuffix && !ParseMask(op.suffix, mask)) return;
        if (declared_ & (1u << op.reg.number)) {
            Fail(RegisterName(op.reg) + " is declared twice");
            return;
        }
        const uint32_t key = usage << 4 | usageIndex;
        if (std::find(usages_.begin(), usages_.end(), key) != usages_.end()) {
            Fail("dcl_" + name + " is declared twice");
            return;
        }
        declared_ |= 1u << op.reg.number;
        usages_.push_back(key);
        tokens_.push_back(D3DSIO_DCL);
        tokens_.push_back(0x80000000u | usage | usageIndex << D3DSP_DCL_USAGEINDEX_SHIFT);
        tokens_.push_back(RegisterToken(op.reg) | mask << 16);
    }

    // def c#, x, y, z, w: takes no instruction slot and may come anywhere
    // after the version.
    void Definition(const std::string& rest) {
        std::vector<std::string> parts = Split(WithoutSpaces(rest));
        if (parts.size() != 5) {
            Fail("def takes a constant register and four numbers");
            return;
        }
        Register r;
        if (!ParseRegister(parts[0], r)) return;
        if (r.type != D3DSPR_CONST || r.relative) {
            Fail("def names a constant register c0 to c255");
            return;
        }
        std::vector<uint32_t> encoded{D3DSIO_DEF, RegisterToken(r) | D3DSP_WRITEMASK_ALL};
        for (size_t i = 1; i < parts.size(); ++i) {
            float value = 0.0f;
            if (!ParseFloat(parts[i], value)) {
                Fail("bad number '" + parts[i] + "' in def");
                return;
            }
            uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            encoded.push_back(bits);
        }
        tokens_.insert(tokens_.end(), encoded.begin(), encoded.end());
    }

    void Instruction(const std::string& word, const std::string& rest) {
        const Mnemonic* m = nullptr;
        for (const Mnemonic& candidate : kMnemonics)
            if (word == candidate.name) m = &candidate;
        if (!m) {
            Fail("unknown instruction '" + word + "'");
            return;
        }
        declarationsOpen_ = false;
        if (++instructions_ > kMaxInstructions) {
            if (instructions_ == kMaxInstructions + 1) Fail("more than 128 instructions");
            return;
        }
        std::vector<Operand> operands;
        const int count = m->opcode == D3DSIO_NOP ? 0 : m->sources + 1;
        if (!Operands(rest, count, operands)) return;
        std::vector<uint32_t> encoded{m->opcode};
        if (count == 0) {
            tokens_.insert(tokens_.end(), encoded.begin(), encoded.end());
            return;
        }
        uint32_t destMask = 0;
        if (!Dest(*m, operands[0], destMask)) return;
        encoded.push_back(RegisterToken(operands[0].reg) | destMask << 16);
        int constantKey = -1;
        for (int s = 0; s < m->sources; ++s) {
            const Operand& op = operands[size_t(s) + 1];
            uint8_t swizzle[4];
            if (!Source(*m, s, op, destMask, swizzle, constantKey)) return;
            const uint32_t bits = uint32_t(swizzle[0] | swizzle[1] << 2 | swizzle[2] << 4 | swizzle[3] << 6);
            encoded.push_back(RegisterToken(op.reg) | bits << D3DVS_SWIZZLE_SHIFT |
                              (op.negate ? uint32_t(D3DSPSM_NEG) : 0u));
        }
        NoteWrite(operands[0].reg, destMask);
        tokens_.insert(tokens_.end(), encoded.begin(), encoded.end());
    }

    bool Dest(const Mnemonic& m, const Operand& op, uint32_t& mask) {
        const Register& r = op.reg;
        if (op.negate || r.relative) return Fail("a destination takes no modifier or relative address");
        const uint32_t rows = m.rows ? (1u << m.rows) - 1 : 0xF;
        mask = rows;
        const bool scalar = r.type == D3DSPR_ADDR || (r.type == D3DSPR_RASTOUT && r.number != D3DSRO_POSITION);
        if (scalar) mask = 1;
        if (op.hasSuffix && !ParseMask(op.suffix, mask)) return false;
        switch (r.type) {
            case D3DSPR_TEMP:
            case D3DSPR_RASTOUT:
            case D3DSPR_ATTROUT:
            case D3DSPR_TEXCRDOUT: break;
            case D3DSPR_ADDR:
                if (m.opcode != D3DSIO_MOV) return Fail("only mov writes a0");
                break;
            default: return Fail(RegisterName(r) + " cannot be written");
        }
        if (scalar && mask != 1) return Fail(RegisterName(r) + " takes only .x");
        if (m.rows && mask != rows) return Fail(std::string(m.name) + " writes exactly " + MaskName(rows));
        return true;
    }

    bool Source(const Mnemonic& m, int s, const Operand& op, uint32_t destMask, uint8_t swizzle[4], int& constantKey) {
        const Register& r = op.reg;
        for (int c = 0; c < 4; ++c) swizzle[c] = uint8_t(c);
        if (op.hasSuffix && !ParseSwizzle(op.suffix, swizzle)) return false;
        const bool matrixRows = m.rows && s == 1;
        if (matrixRows && (op.negate || op.hasSuffix)) return Fail("the matrix of " + std::string(m.name) + " takes no modifier");
        const int rows = matrixRows ? m.rows : 1;
        switch (r.type) {
            case D3DSPR_TEMP: {
                const uint8_t read = ComponentsRead(m, s, destMask, swizzle);
                for (int row = 0; row < rows; ++row) {
                    const uint32_t reg = r.number + uint32_t(row);
                    if (reg >= kTemps) return Fail("r" + std::to_string(reg) + " does not exist");
                    if ((tempsWritten_[reg] & read) != read)
                        return Fail("r" + std::to_string(reg) + " is read before it is written");
                }
                break;
            }
            case D3DSPR_INPUT:
                for (int row = 0; row < rows; ++row) {
                    const uint32_t reg = r.number + uint32_t(row);
                    if (reg >= kInputs || !(declared_ & (1u << reg)))
                        return Fail("v" + std::to_string(reg) + " is read but not declared");
                }
                break;
            case D3DSPR_CONST: {
                if (r.relative && !addressWritten_) return Fail("a0 is used before it is written");
                if (!r.relative && r.number + uint32_t(rows) > kConstants) return Fail("constant out of range");
                const int key = int(r.number) | (r.relative ? 0x10000 : 0);
                if (constantKey >= 0 && constantKey != key) return Fail("an instruction reads one constant register");
                constantKey = key;
                break;
            }
            default: return Fail(RegisterName(r) + " cannot be read");
        }
        return true;
    }

    // Components of a source an instruction reads, as a register mask.
    static uint8_t ComponentsRead(const Mnemonic& m, int s, uint32_t destMask, const uint8_t swizzle[4]) {
        uint8_t read = 0;
        auto take = [&](int c) { read |= uint8_t(1u << swizzle[c]); };
        if (m.opcode == D3DSIO_LIT) {
            // y needs N.L; z needs N.L, N.H and the power.
            if (destMask & 0x6) take(0);
            if (destMask & 0x4) take(1), take(3);
            return read;
        }
        if (m.opcode == D3DSIO_DST) {
            // y = a.y * b.y, z = a.z, w = b.w.
            if (destMask & 0x2) take(1);
            if (s == 0 && (destMask & 0x4)) take(2);
            if (s == 1 && (destMask & 0x8)) take(3);
            return read;
        }
        int first = 0, count = 4;
        if (m.opcode == D3DSIO_DP3) count = 3;
        if (ReadsScalar(m.opcode)) first = 3, count = 1;
        if (m.rows) count = m.columns;
        const bool componentwise = !m.rows && m.opcode != D3DSIO_DP3 && m.opcode != D3DSIO_DP4 && !ReadsScalar(m.opcode);
        for (int c = first; c < first + count; ++c)
            if (!componentwise || (destMask & (1u << c))) take(c);
        return read;
    }

    void NoteWrite(const Register& r, uint32_t mask) {
        if (r.type == D3DSPR_TEMP) tempsWritten_[r.number] |= uint8_t(mask);
        if (r.type == D3DSPR_ADDR) addressWritten_ = true;
        if (r.type == D3DSPR_RASTOUT && r.number == D3DSRO_POSITION) positionWritten_ = true;
    }

    static std::string MaskName(uint32_t mask) {
        std::string name = ".";
        for (int c = 0; c < 4; ++c)
            if (mask & (1u << c)) name += "xyzw"[c];
        return name;
    }

    // Components in order, each once.
    bool ParseMask(const std::string& text, uint32_t& mask) {
        mask = 0;
        int last = -1;
        for (char ch : text) {
            const int c = ComponentOf(ch);
            if (c <= last) return Fail("bad write mask ." + text);
            mask |= 1u << c;
            last = c;
        }
        if (text.empty() || text.size() > 4) return Fail("bad write mask ." + text);
        return true;
    }

    // One to four components; a short swizzle repeats its last.
    bool ParseSwizzle(const std::string& text, uint8_t swizzle[4]) {
        if (text.empty() || text.size() > 4) return Fail("bad swizzle ." + text);
        for (size_t i = 0; i < 4; ++i) {
            const int c = ComponentOf(text[std::min(i, text.size() - 1)]);
            if (c < 0) return Fail("bad swizzle ." + text);
            swizzle[i] = uint8_t(c);
        }
        return true;
    }

    // The comma-separated parts of a line's operands; none for an empty one.
    static std::vector<std::string> Split(const std::string& compact) {
        std::vector<std::string> parts;
        if (compact.empty()) return parts;
        size_t start = 0;
        while (true) {
            const size_t comma = compact.find(',', start);
            parts.push_back(compact.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        return parts;
    }

    bool Operands(const std::string& text, int count, std::vector<Operand>& out) {
        const std::vector<std::string> parts = Split(WithoutSpaces(text));
        if (int(parts.size()) != count)
            return Fail("expected " + std::to_string(count) + " operands, found " + std::to_string(parts.size()));
        for (const std::string& part : parts) {
            Operand op;
            if (!ParseOperand(part, op)) return false;
            out.push_back(op);
        }
        return true;
    }

    bool ParseOperand(std::string text, Operand& op) {
        if (!text.empty() && text[0] == '-') {
            op.negate = true;
            text.erase(0, 1);
        }
        size_t nameEnd = text.find('.');
        const size_t bracket = text.find('[');
        if (bracket != std::string::npos) {
            const size_t close = text.find(']', bracket);
            if (close == std::string::npos) return Fail("missing ] in " + text);
            nameEnd = text.find('.', close);
        }
        const std::string name = text.substr(0, nameEnd);
        if (nameEnd != std::string::npos) {
            op.hasSuffix = true;
            op.suffix = text.substr(nameEnd + 1);
        }
        return ParseRegister(name, op.reg);
    }

    bool ParseRegister(const std::string& name, Register& r) {
        uint32_t n = 0;
        auto numbered = [&](const char* prefix, uint32_t type, uint32_t limit) {
            const size_t length = std::char_traits<char>::length(prefix);
            if (name.compare(0, length, prefix) != 0 || !ParseNumber(name.substr(length), n)) return false;
            r.type = type;
            r.number = n;
            return n < limit;
        };
        if (name == "a0") return r.type = D3DSPR_ADDR, true;
        if (name == "opos") return r.type = D3DSPR_RASTOUT, r.number = D3DSRO_POSITION, true;
        if (name == "ofog") return r.type = D3DSPR_RASTOUT, r.number = D3DSRO_FOG, true;
        if (name == "opts") return r.type = D3DSPR_RASTOUT, r.number = D3DSRO_POINT_SIZE, true;
        if (name.rfind("c[", 0) == 0 && name.back() == ']') return ParseRelative(name.substr(2, name.size() - 3), r);
        if (numbered("r", D3DSPR_TEMP, kTemps) || numbered("v", D3DSPR_INPUT, kInputs) ||
            numbered("c", D3DSPR_CONST, kConstants) || numbered("od", D3DSPR_ATTROUT, kColours) ||
            numbered("ot", D3DSPR_TEXCRDOUT, kTexcoords))
            return true;
        return Fail("unknown register '" + name + "'");
    }

    // c[a0.x + n], c[n + a0.x], c[a0.x] or c[n].
    bool ParseRelative(const std::string& inside, Register& r) {
        r.type = D3DSPR_CONST;
        std::string offset = inside;
        const size_t at = inside.find("a0.x");
        if (at != std::string::npos) {
            r.relative = true;
            offset = inside.substr(0, at) + inside.substr(at + 4);
            if (!offset.empty() && offset.front() == '+') offset.erase(0, 1);
            else if (!offset.empty() && offset.back() == '+') offset.pop_back();
            else if (!offset.empty()) return Fail("bad relative address c[" + inside + "]");
            if (offset.empty()) offset = "0";
        }
        if (!ParseNumber(offset, r.number) || r.number >= kConstants) return Fail("bad constant c[" + inside + "]");
        return true;
    }

    std::vector<uint32_t>& tokens_;
    std::vector<std::string>& errors_;
    int line_ = 0;
    bool versionSeen_ = false;
    bool declarationsOpen_ = true;
    uint32_t declared_ = 0;
    std::vector<uint32_t> usages_;
    size_t instructions_ = 0;
    uint8_t tempsWritten_[kTemps] = {};
    bool addressWritten_ = false;
    bool positionWritten_ = false;
};

}  // namespace

std::vector<uint32_t> AssembleLines(const std::vector<SourceLine>& lines, std::vector<std::string>& errors) {
    std::vector<uint32_t> tokens;
    const size_t faultsBefore = errors.size();
    Assembler assembler(tokens, errors);
    for (const SourceLine& line : lines) assembler.Line(line);
    assembler.Finish(lines.empty() ? 1 : lines.back().number);
    if (errors.size() != faultsBefore) tokens.clear();
    return tokens;
}

}  // namespace lumiva::d3dx9
