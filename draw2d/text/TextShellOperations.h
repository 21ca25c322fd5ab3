// The shell's text operations (slots 32 to 37 of IKDrawShell) over its
// font table. A font id is also the text's pixel size; operations that
// divide by it refuse ids below 1.
#pragma once

#include <cstdint>

#include "draw2d/text/KFontTable.h"
#include "draw2d/text/ShellServicesForText.h"
#include "lumiva/TextHostRecords.h"

// Slot 32. z = kScreenZ: (x, y) on the screen, else a scene point.
void OutputText(KFontTable& fonts, ITextShellServices& shell, int32_t id, const char* text, int32_t length,
                int32_t x, int32_t y, uint32_t colour, int32_t wrapWidth, int32_t z, uint32_t gradient);
// Slot 33.
void OutputTextEx(KFontTable& fonts, ITextShellServices& shell, int32_t id, const char* text, int32_t length,
                  float x, float y, uint32_t colour, int32_t wrapWidth, float z, uint32_t gradient);
// Slot 34: pixels of all runs and pictures of all lines together.
int32_t GetTextExtent(ITextShellServices& shell, int32_t id, const char* text, int32_t length, int32_t width);
// Slots 35 and 36: lines drawn.
int32_t OutputTextInRect(KFontTable& fonts, ITextShellServices& shell, int32_t id, KTextRect* record,
                         const char* text, int32_t length, int32_t width);
int32_t OutputTextInRectEx(KFontTable& fonts, ITextShellServices& shell, int32_t id, KTextRect* record,
                           const char* text, int32_t length, int32_t width);
// Slot 37: byte offset under (x, y), -1 on failure.
int32_t HitTestText(KFontTable& fonts, ITextShellServices& shell, int32_t x, int32_t y, int32_t id,
                    KTextRect* record, const char* text, int32_t length, int32_t width);
