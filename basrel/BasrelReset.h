// Puts every library-wide object of the host library back to its start-up
// state, so each test begins clean: data root and file path, preloaded
// files, debug log sinks and capture, string table, character set and main
// window.
#pragma once

#include "BasrelApi.h"

BASREL_API void BasrelResetForTests();
