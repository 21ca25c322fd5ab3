// Profile files, file deletion and C runtime extras. File names are host
// paths as given; a backslash separates folders like a slash.
#pragma once

#include "types.h"

// A NULL value deletes the key, a NULL key deletes the whole section.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
BOOL DeleteFileA(LPCSTR fileName);
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
char* _itoa(int value, char* buffer, int radix);
