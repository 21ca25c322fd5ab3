// Reader over text with inline control codes: runs of characters broken
// into lines by a column limit and the host's line-head rules.
//
// Codes (bytes below 129): 2 R G B colour, 3 colour back, 4 R G B gradient,
// 5 gradient back, 6 id-low id-high inline picture, 7 R G B underline,
// 8 underline off, 10 line break, 16 index-low index-high spark colour,
// 17 as 3. Other bytes below 129 are one-column characters; a byte of 129
// or more starts a two-column character. A code cut off by the end of the
// text ends the text there; a lead byte with nothing after it is one column.
#pragma once

#include <cstdint>

#include "draw2d/text/ShellServicesForText.h"

enum TextCode : uint8_t {
    kCodeNone = 0,
    kCodeColour = 2,
    kCodeColourBack = 3,
    kCodeGradient = 4,
    kCodeGradientBack = 5,
    kCodePicture = 6,
    kCodeUnderline = 7,
    kCodeUnderlineOff = 8,
    kCodeLineBreak = 10,
    kCodeSpark = 16,
    kCodeSparkBack = 17,
    kCodeEnd = 255,
};

struct KTextToken {
    uint8_t code = 0;
    uint8_t data[3] = {0, 0, 0};

    uint32_t Rgb() const { return uint32_t(data[0]) << 16 | uint32_t(data[1]) << 8 | data[2]; }
    uint16_t PictureId() const { return uint16_t(data[0] | data[1] << 8); }
};

struct KTextCursorState {
    int32_t length = 0;
    int32_t column = 0;
    float columnF = 0;
    int32_t maxColumns = 0;
    int32_t position = 0;
};

struct KTextCursor {
    const uint8_t* text = nullptr;
    int32_t length = 0;
    int32_t column = 0;
    float columnF = 0;
    int32_t maxColumns = 0;  // 0: no limit
    int32_t position = 0;
    int32_t saved = 0;
    KTextCursorState savedCopy;
    // Where spark colours and picture sizes come from; may be null.
    ITextShellServices* shell = nullptr;

    void Init(const char* text, int32_t length, int32_t limit);
    void SaveCursor();
    void RestoreCursor();
    KTextCursorState State() const { return {length, column, columnF, maxColumns, position}; }
    void SetState(const KTextCursorState& state);
};

int32_t NextTextToken(KTextCursor& cursor, int32_t* runStart, KTextToken* leading, KTextToken* ending, int32_t size);
void MeasureLineRows(KTextCursor& cursor, int32_t* rows, int32_t* height, int32_t size, uint32_t ignorePictures);
int32_t SkipLines(KTextCursor& cursor, int32_t lines, KTextToken* colourState, KTextToken* gradientState,
                  int32_t* overflow, int32_t size, uint32_t ignorePictures);
int32_t MeasureText(KTextCursor& cursor, int32_t size);

// Rows a line of the given height takes: height / size, plus one when the
// remainder reaches half a size.
int32_t RowsOfHeight(int32_t height, int32_t size);
