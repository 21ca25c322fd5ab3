#include "draw2d/text/TextShellOperations.h"

#include <algorithm>
#include <cstring>

#include "basrel/HostIntegers.h"
#include "draw2d/text/TextBoxLayout.h"

namespace {

bool IsEmpty(const char* text) { return !text || text[0] == '\0'; }

// Columns a line of `width` pixels holds at this size.
int32_t ColumnLimit(int32_t width, int32_t id) {
    const int64_t limit = int64_t(width) * 2 / id;
    return int32_t(std::clamp<int64_t>(limit, INT32_MIN, INT32_MAX));
}

void DrawAt(KFont& font, int32_t id, const char* text, int32_t length, float x, float y, int32_t xKeep,
            int32_t yKeep, uint32_t colour, int32_t wrapWidth, uint32_t gradient) {
    font.SetGradientColor((gradient & 0x00FFFFFFu) | (colour & 0xFF000000u));
    font.SetFontSize(id, id + 1);
    font.DrawString(text, x, y, length, xKeep, yKeep, colour, wrapWidth);
}

KFont* FontForText(KFontTable& fonts, ITextShellServices& shell, int32_t id, const char* text) {
    if (IsEmpty(text) || shell.IsDeviceLost() || !IsUsableFontId(id)) return nullptr;
    return fonts.FindFont(id);
}

// Puts the screen point of a text box into both forms of its record.
void PlaceRecord(ITextShellServices& shell, KTextRect& record, bool floatPoint) {
    if (record.z == kScreenZ) {
        record.fx = float(record.x);
        record.fy = float(record.y);
        record.fz = float(record.z);
        return;
    }
    const float x = floatPoint ? record.fx : float(record.x);
    const float y = floatPoint ? record.fy : float(record.y);
    const float z = floatPoint ? record.fz : float(record.z);
    float sx = 0, sy = 0, sz = 0;
    shell.ProjectScenePoint(x, y, z, &sx, &sy, &sz, true);
    record.x = host_int::Truncate(sx);
    record.y = host_int::Truncate(sy);
    if (floatPoint) record.z = host_int::Truncate(sz);
    record.fx = sx;
    record.fy = sy;
    record.fz = sz;
}

// The host's record is read and written back by copy: it may sit at any address.
KTextRect CopyIn(const KTextRect* hostRecord) {
    KTextRect record;
    std::memcpy(&record, hostRecord, sizeof(record));
    return record;
}

void CopyOut(KTextRect* hostRecord, const KTextRect& record) { std::memcpy(hostRecord, &record, sizeof(record)); }

int32_t OutputTextInBox(KFontTable& fonts, ITextShellServices& shell, int32_t id, KTextRect* hostRecord,
                        const char* text, int32_t length, int32_t width, bool floatForm) {
    if (!hostRecord || !IsUsableFontId(id)) return 0;
    KFont* font = FontForText(fonts, shell, id, text);
    if (!font) return 0;
    KTextCursor cursor;
    cursor.shell = &shell;
    cursor.Init(text, length, ColumnLimit(width, id));
    KTextRect record = CopyIn(hostRecord);
    PlaceRecord(shell, record, floatForm);
    CopyOut(hostRecord, record);
    font->SetGradientColor((record.gradient & 0x00FFFFFFu) | (record.colour & 0xFF000000u));
    font->SetFontSize(id, id + 1);
    return floatForm ? LayoutTextInRectEx(*font, id, record, cursor) : LayoutTextInRect(*font, id, record, cursor);
}

}  // namespace

void OutputText(KFontTable& fonts, ITextShellServices& shell, int32_t id, const char* text, int32_t length,
                int32_t x, int32_t y, uint32_t colour, int32_t wrapWidth, int32_t z, uint32_t gradient) {
    KFont* font = FontForText(fonts, shell, id, text);
    if (!font) return;
    float fx = float(x), fy = float(y);
    if (z != kScreenZ) {
        float sz = 0;
        shell.ProjectScenePoint(float(x), float(y), float(z), &fx, &fy, &sz, true);
        x = host_int::Truncate(fx);
        y = host_int::Truncate(fy);
    }
    DrawAt(*font, id, text, length, fx, fy, x, y, colour, wrapWidth, gradient);
}

void OutputTextEx(KFontTable& fonts, ITextShellServices& shell, int32_t id, const char* text, int32_t length,
                  float x, float y, uint32_t colour, int32_t wrapWidth, float z, uint32_t gradient) {
    KFont* font = FontForText(fonts, shell, id, text);
    if (!font) return;
    if (z != float(kScreenZ)) {
        float sz = 0;
        shell.ProjectScenePoint(x, y, z, &x, &y, &sz, true);
    }
    DrawAt(*font, id, text, length, x, y, host_int::Truncate(x), host_int::Truncate(y), colour, wrapWidth, gradient);
}

int32_t GetTextExtent(ITextShellServices& shell, int32_t id, const char* text, int32_t length, int32_t width) {
    if (!IsUsableFontId(id)) return 0;
    KTextCursor cursor;
    cursor.shell = &shell;
    cursor.Init(text, length, ColumnLimit(width, id));
    return MeasureText(cursor, id);
}

int32_t OutputTextInRect(KFontTable& fonts, ITextShellServices& shell, int32_t id, KTextRect* record,
                         const char* text, int32_t length, int32_t width) {
    return OutputTextInBox(fonts, shell, id, record, text, length, width, false);
}

int32_t OutputTextInRectEx(KFontTable& fonts, ITextShellServices& shell, int32_t id, KTextRect* record,
                           const char* text, int32_t length, int32_t width) {
    return OutputTextInBox(fonts, shell, id, record, text, length, width, true);
}

int32_t HitTestText(KFontTable& fonts, ITextShellServices& shell, int32_t x, int32_t y, int32_t id,
                    KTextRect* hostRecord, const char* text, int32_t length, int32_t width) {
    if (!hostRecord || !IsUsableFontId(id)) return -1;
    KFont* font = FontForText(fonts, shell, id, text);
    if (!font) return -1;
    KTextRect record = CopyIn(hostRecord);
    if (record.z != kScreenZ) {
        float sx = 0, sy = 0, sz = 0;
        shell.ProjectScenePoint(float(record.x), float(record.y), float(record.z), &sx, &sy, &sz, false);
        record.x = host_int::Truncate(sx);
        record.y = host_int::Truncate(sy);
        shell.WorldOffsetCorrection(&record.x, &record.y);
    }
    record.fx = float(record.x);
    record.fy = float(record.y);
    record.fz = float(record.z);
    CopyOut(hostRecord, record);
    font->SetGradientColor(record.gradient | 0xFF000000u);
    font->SetFontSize(id, id + 1);
    KTextCursor cursor;
    cursor.shell = &shell;
    cursor.Init(text, length, ColumnLimit(width, id));
    return HitTestTextBox(x, y, id, record, cursor);
}
