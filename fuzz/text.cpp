// The text reader over chat text with inline codes: tokens, measuring, line
// skipping and hit tests. The first two bytes pick the column limit and the
// size; the rest is the text, in a buffer of exactly its length.
#include <algorithm>
#include <memory>
#include <string>

#include "draw2d/text/KTextCursor.h"
#include "draw2d/text/TextBoxLayout.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

Bytes Chat(uint8_t limit, uint8_t size, const std::string& text) {
    Bytes input{limit, size};
    input.insert(input.end(), text.begin(), text.end());
    return input;
}

KTextCursor CursorOver(const uint8_t* text, int32_t length, int32_t limit) {
    KTextCursor cursor;
    cursor.Init(reinterpret_cast<const char*>(text), length, limit);
    return cursor;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(text) {
    using namespace std::string_literals;
    return {
        {"plain", Chat(16, 12, "Hello, world! A longer line that wraps somewhere.")},
        {"codes", Chat(10, 12, "a\x02\xFF\x00\x00red\x03 \x04\x01\x02\x03grad\x05\x07\x10\x20\x30u\x08\nnext"s)},
        {"picture-spark", Chat(0, 16, "x\x06\x01\x00y\x10\x02\x00z\x11"s)},
        {"gbk", Chat(8, 12, "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA1\xA3\xA3\xA1")},
        {"code-cut", Chat(4, 12, "ab\x02\x10")},
        {"lead-last", Chat(4, 12, "ab\xC4")},
    };
}

LUMIVA_FUZZ_TARGET(text, data, size) {
    if (size < 2) return;
    int32_t limit = data[0];
    int32_t fontSize = data[1] % 64;
    int32_t length = int32_t(std::min<size_t>(size - 2, 4096));
    std::unique_ptr<uint8_t[]> text(new uint8_t[std::max(length, 1)]);
    std::copy(data + 2, data + 2 + length, text.get());

    KTextCursor cursor = CursorOver(text.get(), length, limit);
    // Every token to the end; a reader that stops advancing is a finding too.
    for (int32_t tokens = 0;; ++tokens) {
        if (tokens > 4 * length + 16) __builtin_trap();
        int32_t runStart = 0;
        KTextToken leading, ending;
        NextTextToken(cursor, &runStart, &leading, &ending, fontSize);
        if (ending.code == kCodeEnd) break;
    }

    cursor = CursorOver(text.get(), length, limit);
    MeasureText(cursor, fontSize);
    cursor = CursorOver(text.get(), length, limit);
    int32_t rows = 0, height = 0;
    MeasureLineRows(cursor, &rows, &height, fontSize, 0);
    cursor = CursorOver(text.get(), length, limit);
    KTextToken colour, gradient;
    int32_t overflow = 0;
    SkipLines(cursor, 3, &colour, &gradient, &overflow, fontSize, 0);

    KTextRect record{};
    record.z = -32767;  // screen coordinates
    record.firstLine = int16_t(limit % 3);
    record.maxLines = 8;
    for (int32_t y : {0, fontSize / 2, 3 * fontSize + 1}) {
        for (int32_t x : {0, 5, 40, 400}) {
            cursor = CursorOver(text.get(), length, limit);
            int32_t at = HitTestTextBox(x, y, fontSize, record, cursor);
            if (at > length) __builtin_trap();
        }
    }
}
