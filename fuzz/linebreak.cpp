// Line-break rules over chat text, which other players write: double-byte
// characters, inline codes and line ends in any order, in either code page.
// The first byte picks the code page, the rest is the text.
#include <cstring>
#include <memory>

#include "HostGlobals.h"
#include "LineBreak.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

Bytes Chat(uint8_t codePage, const char* text, size_t size) {
    Bytes input{codePage};
    input.insert(input.end(), text, text + size);
    return input;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(linebreak) {
    const char gbk[] = "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA1\xA3 ok!";
    const char big5[] = "\xA7\x41\xA6\x6E\xA1\x41\xA5\x40\xAC\xC9\xA1\x43";
    const char codes[] = "a\x02\x01\x02\x03z\x06\x01\x02.\x07\xFF\xFF\xFF\x10\x01\x01,\n\xA1\xA1\xA1\xA3";
    return {
        {"gbk", Chat(0, gbk, sizeof(gbk) - 1)},
        {"big5", Chat(1, big5, sizeof(big5) - 1)},
        {"inline-codes", Chat(0, codes, sizeof(codes) - 1)},
        {"lead-byte-last", Chat(0, "ab\xA1", 3)},
    };
}

LUMIVA_FUZZ_TARGET(linebreak, data, size) {
    if (size == 0) return;
    g_iCharacterSet = data[0] & 1;
    size_t length = std::min<size_t>(size - 1, 4096);
    // The length-bounded call gets exactly the text, so any read past it shows.
    std::unique_ptr<char[]> exact(new char[length ? length : 1]);
    std::memcpy(exact.get(), data + 1, length);
    std::unique_ptr<char[]> terminated(new char[length + 1]);
    std::memcpy(terminated.get(), data + 1, length);
    terminated[length] = 0;
    for (size_t position = 0; position < length && position < 256; ++position) {
        if (const char* second = TGetSecondVisibleCharacterThisLine(exact.get(), int(position), int(length)))
            TIsCharacterNotAlowAtLineHead(terminated.get() + (second - exact.get()));
        TIsCharacterNotAlowAtLineHead(terminated.get() + position);
    }
    g_iCharacterSet = 0;
}
