// Declarations of the Win32 calls; filled in by platform/win32.
#pragma once
#include "types.h"
