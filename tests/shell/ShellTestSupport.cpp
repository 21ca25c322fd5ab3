#include "ShellTestSupport.h"

#include <sstream>

namespace shell_test {

std::vector<std::string> ShellTest::TakeRenderLog() {
    std::vector<std::string> lines;
    for (std::string& line : TakeLog())
        if (line.rfind("[D3DRender]", 0) == 0) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::pair<std::string, std::string>> IniSectionEntries(const std::string& text,
                                                                   const std::string& section) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::istringstream lines(text);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        const size_t equals = line.find('=');
        if (inSection && equals != std::string::npos)
            entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return entries;
}

}  // namespace shell_test
