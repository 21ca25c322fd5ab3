// Code-page conversion (kernel32).
#pragma once

#include "types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008

// CP_ACP is the host's character set: GBK (936) when g_iCharacterSet is 0,
// Big5 (950) when it is 1. Also 936, 950, 1252 and 65001 by number.
// WCHAR is this compiler's wchar_t, so each unit holds one code point.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR wide, int wideChars);
