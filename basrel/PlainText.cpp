#include "PlainText.h"

#include <algorithm>
#include <cstring>

namespace basrel {

std::string_view TakeLine(std::string_view& text) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

void CopyToBuffer(std::string_view text, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return;
    const size_t n = std::min(text.size(), size_t(size) - 1);
    std::memmove(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace basrel
