#include "textures/TextureSize.h"

int RoundUpTextureSize(int n) {
    if (n < 0 || n > kMaxTextureSide) return 0;
    int side = kMinTextureSide;
    while (side < n) side <<= 1;
    return side;
}
