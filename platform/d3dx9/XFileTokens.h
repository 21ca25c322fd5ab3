// Tokens of a text .X file body: names, numbers, quoted strings, GUIDs in
// angle brackets, braces, the separators ',' and ';', and any other single
// character. Comments run from "//" or '#' to the end of the line.
#pragma once

#include <cstdint>
#include <string_view>

namespace d3dx {

enum class XTokenKind { End, Name, Integer, Float, String, Guid, Open, Close, Separator, Other, Unterminated };

struct XToken {
    XTokenKind kind = XTokenKind::End;
    std::string_view text;  // strings and GUIDs without their delimiters
    uint32_t line = 1;
};

class XTokenizer {
public:
    explicit XTokenizer(std::string_view text, uint32_t firstLine = 1) : m_text(text), m_line(firstLine) {}

    XToken Next();
    XToken Peek();
    uint32_t Line() const { return m_line; }

private:
    void SkipBlanksAndComments();
    XToken Delimited(char close, XTokenKind kind);
    XToken Number();
    XToken Make(XTokenKind kind, size_t begin, size_t end, uint32_t line) const;

    std::string_view m_text;
    size_t m_at = 0;
    uint32_t m_line;
};

}  // namespace d3dx
