#include "textures/SprRuns.h"

#include <algorithm>
#include <cstring>

SprRunReader::SprRunReader(const uint8_t* data, size_t size, uint32_t width, uint32_t height)
    : m_data(data), m_size(data ? size : 0), m_total(uint64_t(width) * height) {}

bool SprRunReader::Next(SprRun* run) {
    if (m_pixel >= m_total || m_size - m_at < 2) return false;
    uint32_t count = m_data[m_at];
    uint8_t alpha = m_data[m_at + 1];
    m_at += 2;
    if (count == 0) {
        m_malformed = true;
        m_at = m_size;
        return false;
    }
    const uint8_t* indices = nullptr;
    if (alpha != 0) {
        if (m_size - m_at < count) {
            m_malformed = true;
            m_at = m_size;
            return false;
        }
        indices = m_data + m_at;
        m_at += count;
    }
    run->start = m_pixel;
    run->count = uint32_t(std::min<uint64_t>(count, m_total - m_pixel));
    run->alpha = alpha;
    run->indices = indices;
    m_pixel += count;
    return true;
}

bool ConvertSprPixels(uint16_t* destination, size_t pitch, uint32_t destWidth, uint32_t destHeight,
                      const uint8_t* source, size_t sourceSize, uint32_t width, uint32_t height,
                      const uint16_t* palette16, uint32_t colorCount) {
    destWidth = std::min(destWidth, width);
    destHeight = std::min(destHeight, height);
    auto* rowBase = reinterpret_cast<uint8_t*>(destination);
    for (uint32_t y = 0; y < destHeight; ++y) std::memset(rowBase + y * pitch, 0, size_t(destWidth) * 2);
    if (width == 0) return true;

    SprRunReader reader(source, sourceSize, width, height);
    SprRun run;
    while (reader.Next(&run)) {
        if (run.alpha == 0) continue;
        uint16_t alphaBits = uint16_t((run.alpha & 0xF0) << 8);
        for (uint32_t i = 0; i < run.count; ++i) {
            uint64_t pixel = run.start + i;
            uint64_t y = pixel / width;
            uint64_t x = pixel % width;
            if (y >= destHeight) break;
            if (x >= destWidth) continue;
            uint8_t index = run.indices[i];
            uint16_t texel = index < colorCount ? uint16_t(palette16[index] | alphaBits) : 0;
            reinterpret_cast<uint16_t*>(rowBase + y * pitch)[x] = texel;
        }
    }
    return !reader.Malformed();
}

uint8_t SprAlphaAt(const uint8_t* source, size_t sourceSize, uint32_t width, uint32_t height, int x, int y) {
    if (x < 0 || y < 0 || uint32_t(x) >= width || uint32_t(y) >= height) return 0;
    uint64_t target = uint64_t(y) * width + uint32_t(x);
    SprRunReader reader(source, sourceSize, width, height);
    SprRun run;
    while (reader.Next(&run)) {
        if (target < run.start + run.count) return run.alpha;
    }
    return 0;
}
