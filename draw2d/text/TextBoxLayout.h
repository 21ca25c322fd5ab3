// Text boxes: runs of a KTextCursor drawn line by line with their colour,
// gradient, underline and picture codes, and the same walk for hit tests.
#pragma once

#include <cstdint>

#include "draw2d/text/KFont.h"
#include "draw2d/text/KTextCursor.h"
#include "lumiva/TextHostRecords.h"

// Lines drawn. The cursor's shell gives spark colours, pictures and lines.
int32_t LayoutTextInRect(KFont& font, int32_t size, const KTextRect& record, KTextCursor& cursor);
// The same with float pens and vertical moves, pictures by DrawPictureF.
int32_t LayoutTextInRectEx(KFont& font, int32_t size, const KTextRect& record, KTextCursor& cursor);
// The byte offset (on a character or code boundary) under (x, y) on the
// line that holds y; the cursor position when no span of that line holds x.
int32_t HitTestTextBox(int32_t x, int32_t y, int32_t size, const KTextRect& record, KTextCursor& cursor);
