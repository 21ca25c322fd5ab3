#include "IniSectionText.h"

#include <cstdio>

namespace initext {

std::string Number(int value) { return std::to_string(value); }

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

std::string Section(const std::string& name, const Pairs& pairs, const Edits& edits) {
    std::string out = "[" + name + "]\n";
    for (const auto& [key, value] : pairs) {
        if (edits.omit.count(key)) continue;
        const auto replaced = edits.replace.find(key);
        out += key + "=" + (replaced != edits.replace.end() ? replaced->second : value) + "\n";
    }
    return out;
}

}  // namespace initext
