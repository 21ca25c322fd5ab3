// Shared fixture of the device-side shell tests: the common shell fixture
// with its data root in a "shell" scratch folder, and readers for the shell's
// log lines and ini files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/ShellFixture.h"

namespace shell_test {

class ShellTest : public test_support::ShellFixture {
protected:
    ShellTest() : ShellFixture("shell") {}

    // The "[D3DRender]" lines among the log lines since the last call.
    std::vector<std::string> TakeRenderLog();
};

// The "key=value" lines of one section of an ini text, in file order.
std::vector<std::pair<std::string, std::string>> IniSectionEntries(const std::string& text, const std::string& section);

}  // namespace shell_test
