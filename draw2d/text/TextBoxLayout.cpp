#include "draw2d/text/TextBoxLayout.h"

#include <cmath>
#include <type_traits>

#include "basrel/HostIntegers.h"

namespace {

struct HitQuery {
    int32_t x;
    int32_t y;
    int32_t found = -1;
};

// Vertical moves of a line taller than one row: before its text is drawn,
// and after it on the way to the next line (beside the size itself).
template <typename T>
struct LineMoves {
    T before = 0;
    T after = 0;
};

template <typename T>
LineMoves<T> MovesOf(int16_t placement, int32_t rows, int32_t overflow, int32_t height, int32_t size) {
    LineMoves<T> moves;
    const T extra = T(int64_t{rows} - overflow - 1) * T(size);
    const T tall = height > size ? T(int64_t{height} - size) / T(2) : T(0);
    switch (placement) {
        case 1:
            moves.before = tall;
            moves.after = extra - tall;
            break;
        case 2:
            moves.before = extra - tall;
            moves.after = tall;
            break;
        default:
            moves.before = extra / T(2);
            moves.after = extra / T(2);
            break;
    }
    return moves;
}

// A pen position handed on as an int: saturated, never wrapped.
int32_t ToInt(int64_t value) { return host_int::Saturate(value); }
int32_t ToInt(float value) { return host_int::Truncate(value); }

uint32_t WithRgb(uint32_t argb, uint32_t rgb) { return (argb & 0xFF000000u) | rgb; }

// Byte offset within a run that lies `columns` columns in, never inside a
// double-byte character.
int32_t OffsetAtColumns(const KTextCursor& cursor, int32_t runStart, int32_t runBytes, int32_t columns) {
    int32_t position = runStart;
    const int32_t end = runStart + runBytes;
    int32_t used = 0;
    while (position < end) {
        const int32_t width = (cursor.text[position] >= 129 && position + 1 < end) ? 2 : 1;
        if (used + width > columns) break;
        used += width;
        position += width;
    }
    return position;
}

template <typename T>
class TextBoxWalk {
public:
    TextBoxWalk(KFont* font, int32_t size, const KTextRect& record, KTextCursor& cursor, HitQuery* hit)
        : font_(font), size_(size), record_(record), cursor_(cursor), hit_(hit) {
        if constexpr (std::is_same_v<T, float>) {
            originX_ = record.fx;
            originY_ = record.fy;
        } else {
            originX_ = record.x;
            originY_ = record.y;
        }
        half_[0] = size / 2;
        half_[1] = (size + 1) / 2;
    }

    int32_t Run() {
        if (record_.maxLines < 1) return 0;
        x_ = originX_;
        y_ = originY_;
        colour_ = record_.colour;
        colourMemory_ = colour_;
        gradient_ = 0xFF000000u;
        gradientMemory_ = gradient_;
        KTextToken colourState, gradientState;
        if (SkipLines(cursor_, record_.firstLine, &colourState, &gradientState, &overflow_, size_,
                      record_.ignorePictures) == -1) {
            return 0;
        }
        if (colourState.code == kCodeColour || colourState.code == kCodeSpark) {
            colourMemory_ = colour_;
            colour_ = WithRgb(colour_, colourState.Rgb());
        }
        if (gradientState.code == kCodeGradient) {
            gradientMemory_ = gradient_;
            gradient_ = 0xFF000000u | gradientState.Rgb();
            SetGradient();
        }
        for (;;) {
            if (newLine_) StartLine();
            const int32_t before = cursor_.position;
            int32_t runStart = 0;
            KTextToken leading, ending;
            const int32_t run = NextTextToken(cursor_, &runStart, &leading, &ending, size_);
            ApplyColourCode(leading);
            if (run > 0) DrawRun(before, runStart, run, leading);
            if (ending.code == kCodeEnd) {
                if (lineHasContent_) linesDrawn_ += int64_t{rows_} - (firstLine_ ? overflow_ : 0);
                break;
            }
            if (ending.code == kCodePicture) {
                DrawPicture(ending.PictureId());
            } else if (ending.code == kCodeLineBreak) {
                if (BreakLine()) break;
            } else {
                ApplyColourCode(ending);
            }
            previousEnding_ = ending.code;
        }
        return host_int::Saturate(linesDrawn_);
    }

private:
    void SetGradient() {
        if (font_) font_->SetGradientColor(gradient_);
    }

    void StartLine() {
        MeasureLineRows(cursor_, &rows_, &height_, size_, record_.ignorePictures);
        moves_ = rows_ > 1 ? MovesOf<T>(record_.placement, rows_, overflow_, height_, size_) : LineMoves<T>{};
        nextLineY_ = y_ + moves_.before + T(size_) + moves_.after;
        y_ += moves_.before;
        newLine_ = false;
        lineHasContent_ = false;
    }

    void ApplyColourCode(const KTextToken& token) {
        switch (token.code) {
            case kCodeColour:
            case kCodeSpark:
                colourMemory_ = colour_;
                colour_ = WithRgb(colour_, token.Rgb());
                break;
            case kCodeColourBack:
            case kCodeSparkBack:
                colour_ = colourMemory_;
                break;
            case kCodeGradient:
                gradientMemory_ = gradient_;
                gradient_ = WithRgb(gradient_, token.Rgb());
                SetGradient();
                break;
            case kCodeGradientBack:
                gradient_ = gradientMemory_;
                SetGradient();
                break;
            case kCodeUnderline:
                underlineRgb_ = token.Rgb();
                break;
            default:
                break;
        }
    }

    // Spans are tested only on the line that holds the point.
    bool Testing() const { return hit_ && hit_->found < 0 && T(hit_->y) < nextLineY_; }

    void DrawRun(int32_t before, int32_t runStart, int32_t run, const KTextToken& leading) {
        const T x0 = x_;
        if (!hit_ && font_) {
            const char* text = reinterpret_cast<const char*>(cursor_.text) + runStart;
            font_->DrawString(text, float(x_), float(y_), run, ToInt(x_), ToInt(y_), colour_, 0);
            if ((leading.code == kCodeUnderline || previousEnding_ == kCodeUnderline) && cursor_.shell) {
                const T lineY = y_ + T(height_);
                cursor_.shell->DrawScreenLine(float(x_), float(lineY), float(x_ + T(int64_t{run} * size_ / 2)), float(lineY),
                                              0xFF000000u | underlineRgb_);
            }
        }
        x_ += T(int64_t{run / 2} * size_);
        if (run & 1) {
            x_ += T(half_[parity_]);
            parity_ ^= 1;
        }
        lineHasContent_ = true;
        if (Testing()) {
            const T hx = T(hit_->x);
            if (hx <= x0) {
                hit_->found = before;
            } else if (hx < x_) {
                const int64_t columns = (int64_t{ToInt(hx - x0)} + size_ / 4) * 2 / size_;
                hit_->found = OffsetAtColumns(cursor_, runStart, run, host_int::Saturate(columns));
            }
        }
    }

    void DrawPicture(uint16_t id) {
        ITextImageHandler* handler = cursor_.shell ? cursor_.shell->TextImageHandler() : nullptr;
        int32_t w = 0, h = 0;
        if (!handler || handler->GetPictureSize(id, &w, &h) < 0) return;
        T top;
        if (overflow_ == 0 || h <= size_) {
            top = y_ - T(int64_t{h} - size_) / T(2);
        } else {
            top = y_ - MovesOf<T>(record_.placement, rows_, overflow_, height_, size_).before;
            const int64_t visible = (int64_t{rows_} - overflow_) * size_;
            if (h > visible) {
                top -= T(h - visible);
            } else {
                top -= T(std::trunc(double(h - visible) * 1.5));
            }
        }
        const uint32_t colour = hit_ ? 0xFFFFFFFFu : colourMemory_;
        int32_t drawn;
        if constexpr (std::is_same_v<T, float>) {
            drawn = handler->DrawPictureF(id, x_, top, colour);
        } else {
            drawn = handler->DrawPicture(id, ToInt(x_), ToInt(top), colour);
        }
        lineHasContent_ = true;
        if (drawn < 0) return;
        x_ += T(w);
        // The picture code itself is the offset of anything over the picture.
        if (Testing() && T(hit_->x) < x_) hit_->found = cursor_.position - 3;
    }

    // True when the walk stops.
    bool BreakLine() {
        x_ = originX_;
        y_ += T(size_) + moves_.after;
        linesDrawn_ += int64_t{rows_} - (firstLine_ ? overflow_ : 0);
        firstLine_ = false;
        overflow_ = 0;
        parity_ = 0;
        newLine_ = true;
        if (linesDrawn_ >= record_.maxLines) return true;
        return hit_ && (hit_->found >= 0 || y_ > T(hit_->y));
    }

    KFont* font_;
    int32_t size_;
    const KTextRect& record_;
    KTextCursor& cursor_;
    HitQuery* hit_;
    T originX_{}, originY_{};
    T x_{}, y_{};
    T nextLineY_{};
    int32_t half_[2] = {0, 0};
    int parity_ = 0;
    uint32_t colour_ = 0, colourMemory_ = 0;
    uint32_t gradient_ = 0, gradientMemory_ = 0;
    uint32_t underlineRgb_ = 0;
    int32_t overflow_ = 0;
    int32_t rows_ = 1;
    int32_t height_ = 0;
    LineMoves<T> moves_;
    int64_t linesDrawn_ = 0;
    bool firstLine_ = true;
    bool newLine_ = true;
    bool lineHasContent_ = false;
    uint8_t previousEnding_ = kCodeNone;
};

}  // namespace

int32_t LayoutTextInRect(KFont& font, int32_t size, const KTextRect& record, KTextCursor& cursor) {
    if (size < 1) return 0;
    // Integer pens move in 64 bits: a host's point may lie anywhere in the int range.
    return TextBoxWalk<int64_t>(&font, size, record, cursor, nullptr).Run();
}

int32_t LayoutTextInRectEx(KFont& font, int32_t size, const KTextRect& record, KTextCursor& cursor) {
    if (size < 1) return 0;
    return TextBoxWalk<float>(&font, size, record, cursor, nullptr).Run();
}

int32_t HitTestTextBox(int32_t x, int32_t y, int32_t size, const KTextRect& record, KTextCursor& cursor) {
    if (size < 1) return -1;
    HitQuery hit{x, y};
    TextBoxWalk<int64_t>(nullptr, size, record, cursor, &hit).Run();
    return hit.found >= 0 ? hit.found : cursor.position;
}
