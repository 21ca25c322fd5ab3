// Generated images and comparisons for the D3DX image tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "d3dx9/ImageTypes.h"

// Distinct texels with every channel in use, alpha included.
inline d3dx::ArgbImage MakePatternImage(UINT width, UINT height, bool opaque = false) {
    d3dx::ArgbImage image(width, height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            uint32_t a = opaque ? 255 : (x * 37 + y * 11) & 0xFF;
            uint32_t r = (x * 53 + 7) & 0xFF, g = (y * 71 + 3) & 0xFF, b = (x * y * 13 + 101) & 0xFF;
            image.At(x, y) = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return image;
}

// Smooth colours, as photographs and painted textures mostly are.
inline d3dx::ArgbImage MakeGradientImage(UINT width, UINT height, bool opaque = false) {
    d3dx::ArgbImage image(width, height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            uint32_t r = x * 255 / (width - 1), g = y * 255 / (height - 1), b = (x + y) * 255 / (width + height - 2);
            uint32_t a = opaque ? 255 : 255 - (x * 255 / (width - 1));
            image.At(x, y) = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return image;
}

inline int ChannelDifference(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

inline int MaxDifference(const d3dx::ArgbImage& a, const d3dx::ArgbImage& b) {
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    if (a.pixels.size() != b.pixels.size()) return 256;
    int worst = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) worst = std::max(worst, ChannelDifference(a.pixels[i], b.pixels[i]));
    return worst;
}

inline double MeanDifference(const d3dx::ArgbImage& a, const d3dx::ArgbImage& b) {
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            sum += std::abs(int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF));
    return sum / (a.pixels.size() * 4.0);
}

inline d3dx::ArgbImage Opaque(d3dx::ArgbImage image) {
    for (uint32_t& p : image.pixels) p |= 0xFF000000u;
    return image;
}
