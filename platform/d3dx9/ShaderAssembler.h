// The vs.1.x assembler behind D3DXAssembleShader: prepared lines in,
// shader tokens or the faults found out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumiva::d3dx9 {

// One line of text with comments removed and defines applied.
struct SourceLine {
    int number = 0;  // 1-based, in the original text
    std::string text;
};

// Comments out, defines in, blank lines dropped. A fault (an unterminated
// block comment) is reported as a line of `errors`.
std::vector<SourceLine> PrepareSource(const char* text, size_t length,
                                      const std::vector<std::pair<std::string, std::string>>& defines,
                                      std::vector<std::string>& errors);

// The tokens of the program, through the end token; empty with one or more
// "(line): error: ..." entries in `errors` when the text is refused.
std::vector<uint32_t> AssembleLines(const std::vector<SourceLine>& lines, std::vector<std::string>& errors);

}  // namespace lumiva::d3dx9
