// The host's random numbers, drawn from the platform's one source (rand).
#pragma once

#include "BasrelApi.h"

// 0 for n <= 0; otherwise 0..n-1. Up to n = 32768 one rand() value is taken
// (its remainder by n); above that two values make 30 bits. Values outside
// rand's usual range (a scripted source) still land in 0..n-1.
BASREL_API int g_Random(int n);
