// File-name ids: the key of the image cache and the picture tables.
#pragma once

#include <cstdint>

#include "BasrelApi.h"

// 32-bit FNV-1a over the name's bytes with A..Z taken as a..z, so the id is
// stable across runs and machines and ignores ASCII case. 0 for a null or
// empty name; a name whose hash would be 0 gets 1, so 0 always means "none".
BASREL_API uint32_t g_FileName2Id(const char* name);
