#include "draw2d/text/KTextCursor.h"

#include <cmath>

#include "basrel/HostIntegers.h"
#include "lumiva/basrel/LineBreak.h"

namespace {

int32_t Ceil4(float columnF) { return host_int::Truncate(columnF + 0.9999f); }

bool HasBytes(const KTextCursor& c, int32_t count) { return c.length - c.position >= count; }

ITextImageHandler* HandlerOf(const KTextCursor& c) { return c.shell ? c.shell->TextImageHandler() : nullptr; }

KTextToken SparkToken(const KTextCursor& c, uint16_t index) {
    const uint32_t argb = c.shell ? c.shell->GetSparkColor(index) : 0xFFFFFFFFu;
    KTextToken token;
    token.code = kCodeSpark;
    token.data[0] = uint8_t(argb >> 16);
    token.data[1] = uint8_t(argb >> 8);
    token.data[2] = uint8_t(argb);
    return token;
}

// One call's reading of a run.
class RunReader {
public:
    RunReader(KTextCursor& c, KTextToken* leading, KTextToken* ending, int32_t* runStart, int32_t size)
        : c_(c), leading_(leading), ending_(ending), runStart_(runStart), size_(size) {
        limit_ = c.maxColumns > 0 && int64_t{c.length} - c.position > int64_t{c.maxColumns} - c.column;
    }

    int32_t Read() {
        while (c_.position < c_.length && !Step()) {
        }
        Finish();
        return run_;
    }

private:
    // True when the run stops.
    bool Step() {
        const uint8_t b = c_.text[c_.position];
        if (b >= 129 && HasBytes(c_, 2)) return DoubleByte();
        switch (b) {
            case kCodeSpark:
                if (!HasBytes(c_, 3)) return CutOff();
                return Code(SparkToken(c_, uint16_t(c_.text[c_.position + 1] | c_.text[c_.position + 2] << 8)), 3);
            case kCodePicture:
                if (!HasBytes(c_, 3)) return CutOff();
                return Picture();
            case kCodeColour:
            case kCodeGradient:
            case kCodeUnderline: {
                if (!HasBytes(c_, 4)) return CutOff();
                KTextToken token;
                token.code = b;
                for (int i = 0; i < 3; ++i) token.data[i] = c_.text[c_.position + 1 + i];
                return Code(token, 4);
            }
            case kCodeColourBack:
            case kCodeGradientBack:
            case kCodeUnderlineOff:
            case kCodeSparkBack: {
                KTextToken token;
                token.code = b;
                return Code(token, 1);
            }
            case kCodeLineBreak:
                ending_->code = kCodeLineBreak;
                ++c_.position;
                atNewlineByte_ = true;
                return true;
            default:
                ++run_;
                c_.column = host_int::Add(c_.column, 1);
                c_.columnF += 1;
                ++c_.position;
                something_ = true;
                return AfterItem();
        }
    }

    bool DoubleByte() {
        const bool lineEmpty = c_.column == 0 && c_.columnF == 0;
        run_ += 2;
        c_.columnF += 2;
        c_.column = Ceil4(c_.columnF);
        if (limit_ && c_.column >= c_.maxColumns) {
            // A character wider than a whole line still takes a line of its own.
            if (c_.column == c_.maxColumns || c_.column == 0 || lineEmpty) {
                c_.position += 2;
            } else {
                run_ -= 2;
                c_.column -= 2;
                c_.columnF -= 2;
            }
            ending_->code = kCodeLineBreak;
            return true;
        }
        c_.position += 2;
        something_ = true;
        return AfterItem();
    }

    bool Code(const KTextToken& token, int32_t bytes) {
        c_.position += bytes;
        if (!something_) {
            *leading_ = token;
            *runStart_ = c_.position;
            something_ = true;
            return AfterItem();
        }
        *ending_ = token;
        return true;
    }

    bool Picture() {
        ending_->code = kCodePicture;
        ending_->data[0] = c_.text[c_.position + 1];
        ending_->data[1] = c_.text[c_.position + 2];
        ITextImageHandler* handler = HandlerOf(c_);
        int32_t width = 0, height = 0;
        if (!handler || handler->GetPictureSize(ending_->PictureId(), &width, &height) < 0) {
            c_.position += 3;
            return true;
        }
        const int32_t column = c_.column;
        const float columnF = c_.columnF;
        c_.columnF += 2.0f * float(width) / float(size_);
        c_.column = Ceil4(c_.columnF);
        const bool lineEmpty = column == 0 && columnF == 0;
        if (limit_ && c_.column > c_.maxColumns && !lineEmpty) {
            c_.column = column;
            c_.columnF = columnF;
            ending_->code = kCodeLineBreak;
            ending_->data[0] = ending_->data[1] = 0;
        } else {
            c_.position += 3;
        }
        return true;
    }

    // A code without all its bytes: nothing after it can be read.
    bool CutOff() {
        c_.position = c_.length;
        return true;
    }

    bool AfterItem() {
        if (!limit_) return false;
        if (int64_t{c_.length} - c_.position <= int64_t{c_.maxColumns} - c_.column) {
            limit_ = false;
            return false;
        }
        if (c_.column >= c_.maxColumns) {
            ending_->code = kCodeLineBreak;
            return true;
        }
        if (c_.column != 0 && int64_t{c_.column} + 3 >= c_.maxColumns) {
            const char* text = reinterpret_cast<const char*>(c_.text);
            const char* next = TGetSecondVisibleCharacterThisLine(text, c_.position, c_.length);
            if (next && TIsCharacterNotAlowAtLineHead(next)) {
                ending_->code = kCodeLineBreak;
                return true;
            }
        }
        return false;
    }

    void Finish() {
        if (c_.position >= c_.length && ending_->code != kCodePicture) {
            *ending_ = KTextToken{};
            ending_->code = kCodeEnd;
            c_.position = 0;
            c_.column = 0;
            c_.columnF = 0;
            return;
        }
        if (ending_->code == kCodeLineBreak) {
            c_.column = 0;
            c_.columnF = 0;
            if (!atNewlineByte_ && c_.position < c_.length && c_.text[c_.position] == kCodeLineBreak) ++c_.position;
        }
    }

    KTextCursor& c_;
    KTextToken* leading_;
    KTextToken* ending_;
    int32_t* runStart_;
    int32_t size_;
    int32_t run_ = 0;
    bool limit_ = false;
    bool something_ = false;
    bool atNewlineByte_ = false;
};

void RememberAndSet(KTextToken& state, KTextToken& memory, bool& remembered, const KTextToken& token,
                    bool rememberIf) {
    if (rememberIf) {
        memory = state;
        remembered = true;
    }
    state = token;
}

void Restore(KTextToken& state, const KTextToken& memory, bool remembered, uint8_t code) {
    if (!remembered) {
        state = KTextToken{};
        return;
    }
    state = memory;
    state.code = code;
}

// The colour and gradient a skipped stretch of text leaves behind.
struct SkippedStates {
    KTextToken* colour;
    KTextToken* gradient;
    KTextToken colourMemory;
    KTextToken gradientMemory;
    bool colourRemembered = false;
    bool gradientRemembered = false;

    void Apply(const KTextToken& token) {
        switch (token.code) {
            case kCodeColour:
            case kCodeUnderline:
            case kCodeSpark:
                RememberAndSet(*colour, colourMemory, colourRemembered, token,
                               colour->code == kCodeColour || colour->code == kCodeUnderline);
                break;
            case kCodeColourBack:
                Restore(*colour, colourMemory, colourRemembered, kCodeColour);
                break;
            case kCodeUnderlineOff:
                Restore(*colour, colourMemory, colourRemembered, kCodeUnderline);
                break;
            case kCodeSparkBack:
                Restore(*colour, colourMemory, colourRemembered, kCodeSpark);
                break;
            case kCodeGradient:
                RememberAndSet(*gradient, gradientMemory, gradientRemembered, token, gradient->code == kCodeGradient);
                break;
            case kCodeGradientBack:
                Restore(*gradient, gradientMemory, gradientRemembered, kCodeGradient);
                break;
            case kCodePicture:
                *gradient = token;
                break;
            default:
                break;
        }
    }

    void Clear() {
        *colour = KTextToken{};
        *gradient = KTextToken{};
    }
};

}  // namespace

void KTextCursor::Init(const char* newText, int32_t newLength, int32_t limit) {
    ITextShellServices* keep = shell;
    *this = KTextCursor{};
    shell = keep;
    if (!newText || newLength < 1) return;
    text = reinterpret_cast<const uint8_t*>(newText);
    length = newLength;
    maxColumns = (limit > 0 && limit < newLength) ? limit : 0;
}

void KTextCursor::SaveCursor() {
    savedCopy = State();
    saved = 1;
}

void KTextCursor::RestoreCursor() {
    SetState(savedCopy);
    saved = 0;
}

void KTextCursor::SetState(const KTextCursorState& state) {
    length = state.length;
    column = state.column;
    columnF = state.columnF;
    maxColumns = state.maxColumns;
    position = state.position;
}

int32_t RowsOfHeight(int32_t height, int32_t size) {
    if (size < 1) return 1;
    return host_int::Add(height / size, height % size >= size / 2 ? 1 : 0);
}

int32_t NextTextToken(KTextCursor& cursor, int32_t* runStart, KTextToken* leading, KTextToken* ending,
                      int32_t size) {
    KTextToken leadingLocal, endingLocal;
    int32_t runStartLocal = 0;
    if (!leading) leading = &leadingLocal;
    if (!ending) ending = &endingLocal;
    if (!runStart) runStart = &runStartLocal;
    *leading = KTextToken{};
    *ending = KTextToken{};
    *runStart = cursor.position;
    if (size < 1) size = 1;
    return RunReader(cursor, leading, ending, runStart, size).Read();
}

void MeasureLineRows(KTextCursor& cursor, int32_t* rows, int32_t* height, int32_t size, uint32_t ignorePictures) {
    int32_t tallest = size;
    ITextImageHandler* handler = HandlerOf(cursor);
    if (handler && !ignorePictures) {
        const KTextCursorState start = cursor.State();
        for (;;) {
            int32_t runStart = 0;
            KTextToken leading, ending;
            NextTextToken(cursor, &runStart, &leading, &ending, size);
            if (ending.code == kCodePicture) {
                int32_t w = 0, h = 0;
                if (handler->GetPictureSize(ending.PictureId(), &w, &h) >= 0 && h > tallest) tallest = h;
            }
            if (ending.code == kCodeLineBreak || ending.code == kCodeEnd) break;
        }
        cursor.SetState(start);
    }
    if (height) *height = tallest;
    if (rows) *rows = RowsOfHeight(tallest, size);
}

int32_t SkipLines(KTextCursor& cursor, int32_t lines, KTextToken* colourState, KTextToken* gradientState,
                  int32_t* overflow, int32_t size, uint32_t ignorePictures) {
    KTextToken colourLocal, gradientLocal;
    int32_t overflowLocal = 0;
    SkippedStates states{colourState ? colourState : &colourLocal, gradientState ? gradientState : &gradientLocal,
                         {}, {}};
    if (!overflow) overflow = &overflowLocal;
    cursor.position = 0;
    cursor.column = 0;
    cursor.columnF = 0;
    states.Clear();
    *overflow = 0;
    if (lines <= 0) return 0;
    int32_t remaining = lines;
    int32_t rows = 1;
    KTextCursorState lineStart = cursor.State();
    bool newLine = true;
    uint8_t previousEnding = kCodeNone;
    for (;;) {
        if (newLine) {
            int32_t height = 0;
            MeasureLineRows(cursor, &rows, &height, size, ignorePictures);
            lineStart = cursor.State();
            newLine = false;
        }
        int32_t runStart = 0;
        KTextToken leading, ending;
        const int32_t run = NextTextToken(cursor, &runStart, &leading, &ending, size);
        states.Apply(leading);
        bool lineEnds = ending.code == kCodeLineBreak;
        if (ending.code == kCodeEnd) {
            // Text that ends right after a picture ends that picture's line.
            if (previousEnding != kCodePicture || run != 0 || leading.code != kCodeNone) {
                states.Clear();
                return -1;
            }
            lineEnds = true;
        } else {
            states.Apply(ending);
        }
        previousEnding = ending.code;
        if (!lineEnds) continue;
        const int32_t before = remaining;
        remaining -= rows;
        if (remaining < 0) {
            cursor.SetState(lineStart);
            *overflow = rows - before;
            return cursor.position;
        }
        // Past the end nothing is left to draw.
        if (ending.code == kCodeEnd) {
            states.Clear();
            return -1;
        }
        if (remaining == 0) return cursor.position;
        newLine = true;
    }
}

int32_t MeasureText(KTextCursor& cursor, int32_t size) {
    if (size < 1) return 0;
    ITextImageHandler* handler = HandlerOf(cursor);
    int32_t total = 0;
    for (;;) {
        int32_t runStart = 0;
        KTextToken leading, ending;
        const int32_t run = NextTextToken(cursor, &runStart, &leading, &ending, size);
        total = host_int::Add(total, int64_t{run} * size / 2);
        if (ending.code == kCodePicture && handler) {
            int32_t w = 0, h = 0;
            if (handler->GetPictureSize(ending.PictureId(), &w, &h) >= 0) total = host_int::Add(total, w);
        }
        if (ending.code == kCodeEnd) return total;
    }
}
