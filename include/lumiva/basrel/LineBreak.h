// Line-break tests of the text layout: which character may not start a line.
//
// Characters that may not start a line (they close or follow what precedes):
// - ASCII:  ! ) , . : ; ? ] }
// - GBK (g_iCharacterSet 0, and any value other than 1):
//     、 。 ， ． ： ； ？ ！ ） ］ ｝ 〉 》 」 』 】 〕 〗 ’ ” … ‥ ％
//     ﹐ ﹑ ﹒ ﹔ ﹕ ﹖ ﹗ ﹚ ﹜ ﹞
// - Big5 (g_iCharacterSet 1): the same characters, except ］ and 〗, which
//   Big5 lacks.
//
// Characters are read as the text layout reads them: a byte of 0x81 or more
// with a byte after it is one double-byte character; 0x21..0x7E are visible
// single-byte characters; spaces, the ideographic space (GBK A1A1, Big5
// A140), 0x7F, 0x80 and other control bytes draw nothing. The layout's
// inline codes are skipped whole: 2, 4 and 7 take 4 bytes, 6 and 16 take 3,
// the other control bytes 1. A newline (10) ends the line.
#pragma once

#include "BasrelApi.h"

// Non-zero when the character at `character` may not start a line.
BASREL_API int TIsCharacterNotAlowAtLineHead(const char* character);

// The second visible character from `position` on, within `length` bytes
// and before the line ends; null when the line or the text ends first.
// The layout asks when one more character still fits: if the one after it
// may not start a line, the line breaks early so the two stay together.
BASREL_API const char* TGetSecondVisibleCharacterThisLine(const char* text, int position, int length);
