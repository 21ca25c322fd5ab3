// Texture sides the pictures use: powers of two from 8 to 1024.
#pragma once

#include "shell/D3DShell.h"

constexpr int kMinTextureSide = 8;
constexpr int kMaxTextureSide = 1024;

// The smallest of 8, 16, ..., 1024 that is at least n; 0 when n is below 0
// or above 1024. The rule belongs to the Direct3D holder.
inline int RoundUpTextureSize(int n) { return KD3DShell::RoundUpTextureSize(n); }
