// The text of one ini section for the tools' ini writers, with keys that a
// test can leave out or replace to make a file that lacks a key or holds a
// malformed value.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace initext {

struct Edits {
    std::set<std::string> omit;                  // key names left out
    std::map<std::string, std::string> replace;  // key name -> value text
};

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string Number(int value);
// Enough digits to read back the same float.
std::string Number(float value);
// "[name]" and a "key=value" line a pair, in order, after the edits.
std::string Section(const std::string& name, const Pairs& pairs, const Edits& edits);

}  // namespace initext
