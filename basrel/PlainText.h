// Plain text shared by the ini, tab and string-table readers and the getters
// that hand text to the host.
#pragma once

#include <string_view>

namespace basrel {

// Takes the next line off `text`, without its "\n" or "\r\n".
std::string_view TakeLine(std::string_view& text);

// Copies `text` into the host's buffer of `size` bytes, cut to fit and always
// terminated; nothing for a null buffer or a size below 1. `text` may lie in
// the buffer itself.
void CopyToBuffer(std::string_view text, char* buffer, int size);

}  // namespace basrel
