#include "DrawShellFixture.h"

namespace shell_test {

bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    size_t next = 0;
    for (const std::string& line : lines)
        if (next < wanted.size() && line == wanted[next]) ++next;
    return next == wanted.size();
}

}  // namespace shell_test
