#include "XFileTokens.h"

namespace d3dx {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNamePart(char c) { return IsNameStart(c) || IsDigit(c) || c == '-' || c == '.'; }

}  // namespace

XToken XTokenizer::Make(XTokenKind kind, size_t begin, size_t end, uint32_t line) const {
    return XToken{kind, m_text.substr(begin, end - begin), line};
}

void XTokenizer::SkipBlanksAndComments() {
    while (m_at < m_text.size()) {
        const char c = m_text[m_at];
        if (c == '\n') {
            ++m_line;
            ++m_at;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++m_at;
        } else if (c == '#' || (c == '/' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '/')) {
            while (m_at < m_text.size() && m_text[m_at] != '\n') ++m_at;
        } else {
            return;
        }
    }
}

// A string or GUID: everything up to the closing character on the same line.
XToken XTokenizer::Delimited(char close, XTokenKind kind) {
    const uint32_t line = m_line;
    const size_t begin = ++m_at;
    while (m_at < m_text.size() && m_text[m_at] != close && m_text[m_at] != '\n') ++m_at;
    if (m_at >= m_text.size() || m_text[m_at] != close) return Make(XTokenKind::Unterminated, begin, m_at, line);
    return Make(kind, begin, m_at++, line);
}

// [+-] digits [. digits] [e [+-] digits], or the same starting at the point.
XToken XTokenizer::Number() {
    const size_t begin = m_at;
    bool isFloat = false;
    const auto digits = [&] {
        const size_t start = m_at;
        while (m_at < m_text.size() && IsDigit(m_text[m_at])) ++m_at;
        return m_at > start;
    };
    if (m_text[m_at] == '+' || m_text[m_at] == '-') ++m_at;
    bool any = digits();
    if (m_at < m_text.size() && m_text[m_at] == '.') {
        ++m_at;
        isFloat = true;
        any = digits() || any;
    }
    if (!any) return Make(XTokenKind::Other, begin, m_at, m_line);
    if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
        const size_t mark = m_at++;
        if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-')) ++m_at;
        if (digits())
            isFloat = true;
        else
            m_at = mark;  // not an exponent: the 'e' starts the next token
    }
    return Make(isFloat ? XTokenKind::Float : XTokenKind::Integer, begin, m_at, m_line);
}

XToken XTokenizer::Next() {
    SkipBlanksAndComments();
    if (m_at >= m_text.size()) return XToken{XTokenKind::End, {}, m_line};
    const char c = m_text[m_at];
    if (IsNameStart(c)) {
        const size_t begin = m_at;
        while (m_at < m_text.size() && IsNamePart(m_text[m_at])) ++m_at;
        return Make(XTokenKind::Name, begin, m_at, m_line);
    }
    if (IsDigit(c) || c == '-' || c == '+' || c == '.') return Number();
    if (c == '"') return Delimited('"', XTokenKind::String);
    if (c == '<') return Delimited('>', XTokenKind::Guid);
    ++m_at;
    switch (c) {
        case '{': return Make(XTokenKind::Open, m_at - 1, m_at, m_line);
        case '}': return Make(XTokenKind::Close, m_at - 1, m_at, m_line);
        case ',':
        case ';': return Make(XTokenKind::Separator, m_at - 1, m_at, m_line);
        default: return Make(XTokenKind::Other, m_at - 1, m_at, m_line);
    }
}

XToken XTokenizer::Peek() {
    const size_t at = m_at;
    const uint32_t line = m_line;
    const XToken token = Next();
    m_at = at;
    m_line = line;
    return token;
}

}  // namespace d3dx
