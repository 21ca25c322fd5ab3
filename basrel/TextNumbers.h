// Numbers in ini and tab values: blanks around them are allowed, anything
// else after them is not. Integers are decimal or 0x-hex, from -2147483648
// to 4294967295, kept as 32 bits (so colours like 0xFF00FF00 fit an int).
#pragma once

#include <string>
#include <string_view>

namespace basrel {

bool ParseInteger32(std::string_view text, int& value);
bool ParseFloat(std::string_view text, float& value);
// Exactly `count` integers separated by commas.
bool ParseIntegerList(std::string_view text, int* values, int count);

std::string_view TrimBlanks(std::string_view text);

// `value` gets the number `text` holds, or the default when there is no text
// or it does not parse; true when it parsed.
template <class Number>
bool ReadNumber(const std::string* text, bool (*parse)(std::string_view, Number&), Number defaultValue,
                Number* value) {
    Number parsed = defaultValue;
    const bool good = text && parse(*text, parsed);
    if (value) *value = good ? parsed : defaultValue;
    return good;
}

}  // namespace basrel
