// Separable resampling: each axis is scaled on its own with float
// accumulators, then rounded once to 8 bits.
#include "Resample.h"

#include <algorithm>
#include <cmath>

namespace d3dx {
namespace {

// Float channels a, r, g, b of every texel.
struct FloatImage {
    UINT width = 0, height = 0;
    std::vector<float> values;
    float* At(UINT x, UINT y) { return &values[(size_t(y) * width + x) * 4]; }
    const float* At(UINT x, UINT y) const { return &values[(size_t(y) * width + x) * 4]; }
};

FloatImage ToFloat(const ArgbImage& image) {
    FloatImage f{image.width, image.height, std::vector<float>(image.pixels.size() * 4)};
    for (size_t i = 0; i < image.pixels.size(); ++i)
        for (int c = 0; c < 4; ++c) f.values[i * 4 + c] = float((image.pixels[i] >> (24 - 8 * c)) & 0xFF);
    return f;
}

ArgbImage ToArgb(const FloatImage& f) {
    ArgbImage image(f.width, f.height);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        uint32_t argb = 0;
        for (int c = 0; c < 4; ++c) {
            float v = std::clamp(f.values[i * 4 + c], 0.0f, 255.0f);
            argb |= uint32_t(v + 0.5f) << (24 - 8 * c);
        }
        image.pixels[i] = argb;
    }
    return image;
}

// One output position's taps along an axis: source indices and weights.
struct Taps {
    std::vector<UINT> index;
    std::vector<float> weight;
};

Taps PointTaps(UINT out, UINT sourceSize, UINT targetSize) {
    UINT i = UINT((uint64_t(out) * 2 + 1) * sourceSize / (uint64_t(targetSize) * 2));
    return {{std::min(i, sourceSize - 1)}, {1.0f}};
}

Taps LinearTaps(UINT out, UINT sourceSize, UINT targetSize) {
    double centre = (out + 0.5) * sourceSize / targetSize - 0.5;
    double base = std::floor(centre);
    float t = float(centre - base);
    auto clampIndex = [&](double i) { return UINT(std::clamp(i, 0.0, double(sourceSize - 1))); };
    return {{clampIndex(base), clampIndex(base + 1)}, {1.0f - t, t}};
}

Taps BoxTaps(UINT out, UINT sourceSize, UINT targetSize) {
    // Source interval covered by this output texel, in exact rationals.
    double begin = double(out) * sourceSize / targetSize, end = double(out + 1) * sourceSize / targetSize;
    Taps taps;
    for (UINT i = UINT(begin); i < sourceSize && double(i) < end; ++i) {
        double overlap = std::min(end, double(i + 1)) - std::max(begin, double(i));
        if (overlap <= 0) continue;
        taps.index.push_back(i);
        taps.weight.push_back(float(overlap / (end - begin)));
    }
    return taps;
}

Taps TapsFor(DWORD base, UINT out, UINT sourceSize, UINT targetSize) {
    if (base == D3DX_FILTER_POINT) return PointTaps(out, sourceSize, targetSize);
    if (base == D3DX_FILTER_LINEAR || targetSize > sourceSize) return LinearTaps(out, sourceSize, targetSize);
    return BoxTaps(out, sourceSize, targetSize);
}

FloatImage ScaleRows(const FloatImage& in, UINT width, DWORD base) {
    FloatImage out{width, in.height, std::vector<float>(size_t(width) * in.height * 4)};
    for (UINT x = 0; x < width; ++x) {
        Taps taps = TapsFor(base, x, in.width, width);
        for (UINT y = 0; y < in.height; ++y) {
            float* dst = out.At(x, y);
            for (size_t k = 0; k < taps.index.size(); ++k) {
                const float* src = in.At(taps.index[k], y);
                for (int c = 0; c < 4; ++c) dst[c] += src[c] * taps.weight[k];
            }
        }
    }
    return out;
}

FloatImage ScaleColumns(const FloatImage& in, UINT height, DWORD base) {
    FloatImage out{in.width, height, std::vector<float>(size_t(in.width) * height * 4)};
    for (UINT y = 0; y < height; ++y) {
        Taps taps = TapsFor(base, y, in.height, height);
        for (UINT x = 0; x < in.width; ++x) {
            float* dst = out.At(x, y);
            for (size_t k = 0; k < taps.index.size(); ++k) {
                const float* src = in.At(x, taps.index[k]);
                for (int c = 0; c < 4; ++c) dst[c] += src[c] * taps.weight[k];
            }
        }
    }
    return out;
}

}  // namespace

DWORD BaseFilter(DWORD filter) {
    if (filter == D3DX_DEFAULT) return D3DX_FILTER_BOX;
    DWORD base = filter & 0xFF;
    return (base >= D3DX_FILTER_NONE && base <= D3DX_FILTER_BOX) ? base : D3DX_FILTER_BOX;
}

ArgbImage Resample(const ArgbImage& source, UINT width, UINT height, DWORD filter) {
    if (source.width == width && source.height == height) return source;
    DWORD base = BaseFilter(filter);
    if (base == D3DX_FILTER_NONE) {
        ArgbImage out(width, height, 0);
        for (UINT y = 0; y < std::min(height, source.height); ++y)
            for (UINT x = 0; x < std::min(width, source.width); ++x) out.At(x, y) = source.At(x, y);
        return out;
    }
    FloatImage f = ToFloat(source);
    if (width != source.width) f = ScaleRows(f, width, base);
    if (height != source.height) f = ScaleColumns(f, height, base);
    return ToArgb(f);
}

void ApplyColourKey(ArgbImage* image, D3DCOLOR key) {
    if (key == 0) return;
    for (uint32_t& p : image->pixels)
        if (p == key) p = 0;
}

}  // namespace d3dx
