// Declarations of the Win32 calls the module and the host library use.
// Implemented in platform/win32; behaviour follows the platform.
#pragma once

#include <cstdlib>

#include "types.h"

// The platform's rand() yields 0..32767; rand and srand are this layer's
// (see Control.h), shared by every caller in the process.
#undef RAND_MAX
#define RAND_MAX 0x7FFF

#include "clock.h"
#include "files.h"
#include "system.h"
#include "text.h"
#include "threads.h"
#include "user.h"
