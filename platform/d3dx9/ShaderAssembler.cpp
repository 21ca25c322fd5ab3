// D3DXAssembleShader and the shader token queries: the text is prepared
// (comments, defines), assembled line by line, and handed out as a token
// buffer or as the faults found.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "d3dx9.h"
#include "d3dx9/ShaderAssembler.h"

namespace lumiva::d3dx9 {

namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Replaces every whole word that names a define by its definition.
std::string ApplyDefines(const std::string& line, const std::vector<std::pair<std::string, std::string>>& defines) {
    if (defines.empty()) return line;
    std::string out;
    size_t i = 0;
    while (i < line.size()) {
        if (!IsWordChar(line[i])) {
            out += line[i++];
            continue;
        }
        size_t end = i;
        while (end < line.size() && IsWordChar(line[end])) ++end;
        const std::string word = line.substr(i, end - i);
        const std::string* replacement = nullptr;
        for (const auto& [name, definition] : defines)
            if (name == word) replacement = &definition;
        out += replacement ? *replacement : word;
        i = end;
    }
    return out;
}

std::string Trimmed(const std::string& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(s[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(s[end - 1]))) --end;
    return s.substr(begin, end - begin);
}

HRESULT HandOutBytes(const void* bytes, size_t size, LPD3DXBUFFER* out) {
    const HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size), out);
    if (SUCCEEDED(hr) && size) std::memcpy((*out)->GetBufferPointer(), bytes, size);
    return hr;
}

}  // namespace

std::vector<SourceLine> PrepareSource(const char* text, size_t length,
                                      const std::vector<std::pair<std::string, std::string>>& defines,
                                      std::vector<std::string>& errors) {
    std::vector<SourceLine> lines;
    SourceLine current{1, {}};
    bool inBlock = false;
    int blockStart = 0;
    auto finishLine = [&] {
        std::string line = Trimmed(ApplyDefines(current.text, defines));
        if (!line.empty()) lines.push_back(SourceLine{current.number, std::move(line)});
        current = SourceLine{current.number + 1, {}};
    };
    for (size_t i = 0; i < length && text[i] != '\0'; ++i) {
        const char c = text[i];
        const char next = i + 1 < length ? text[i + 1] : '\0';
        if (c == '\n') {
            finishLine();
            continue;
        }
        if (inBlock) {
            if (c == '*' && next == '/') {
                inBlock = false;
                ++i;
            }
            continue;
        }
        if (c == '/' && next == '*') {
            inBlock = true;
            blockStart = current.number;
            ++i;
            current.text += ' ';
            continue;
        }
        if (c == ';' || (c == '/' && next == '/')) {
            while (i + 1 < length && text[i + 1] != '\n' && text[i + 1] != '\0') ++i;
            continue;
        }
        current.text += c == '\r' || c == '\t' ? ' ' : c;
    }
    finishLine();
    if (inBlock) errors.push_back("(" + std::to_string(blockStart) + "): error: comment not closed");
    return lines;
}

}  // namespace lumiva::d3dx9

using namespace lumiva::d3dx9;

HRESULT D3DXAssembleShader(LPCSTR source, UINT length, const D3DXMACRO* defines, LPD3DXINCLUDE /*include*/,
                           DWORD /*flags*/, LPD3DXBUFFER* shader, LPD3DXBUFFER* errors) {
    if (shader) *shader = nullptr;
    if (errors) *errors = nullptr;
    if (!source || !shader) return D3DERR_INVALIDCALL;
    std::vector<std::pair<std::string, std::string>> macros;
    for (const D3DXMACRO* m = defines; m && m->Name; ++m) macros.emplace_back(m->Name, m->Definition ? m->Definition : "");

    std::vector<std::string> faults;
    const std::vector<SourceLine> lines = PrepareSource(source, length, macros, faults);
    std::vector<uint32_t> tokens;
    if (faults.empty()) tokens = AssembleLines(lines, faults);
    if (!faults.empty()) {
        if (errors) {
            std::string text;
            for (const std::string& fault : faults) text += fault + "\n";
            HandOutBytes(text.c_str(), text.size() + 1, errors);
        }
        return D3DXERR_INVALIDDATA;
    }
    return HandOutBytes(tokens.data(), tokens.size() * sizeof(uint32_t), shader);
}

DWORD D3DXGetShaderVersion(const DWORD* function) { return function ? function[0] : 0; }

// Comments and a def's register and values are stepped over whole, so an
// end token inside them does not end the shader; a stream with no end
// within 64K words has no size.
UINT D3DXGetShaderSize(const DWORD* function) {
    constexpr size_t kLongest = 1 << 16;
    constexpr size_t kDefinitionWords = 5;
    if (!function) return 0;
    for (size_t at = 1; at < kLongest; ++at) {
        const DWORD token = function[at];
        if (token == D3DVS_END()) return static_cast<UINT>((at + 1) * sizeof(DWORD));
        if (token & 0x80000000u) continue;
        if ((token & D3DSI_OPCODE_MASK) == D3DSIO_COMMENT)
            at += (token & D3DSI_COMMENTSIZE_MASK) >> D3DSI_COMMENTSIZE_SHIFT;
        else if ((token & D3DSI_OPCODE_MASK) == D3DSIO_DEF)
            at += kDefinitionWords;
    }
    return 0;
}
