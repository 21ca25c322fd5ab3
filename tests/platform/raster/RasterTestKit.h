// Small targets, textures and vertex records for pipeline tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "d3d9/raster/FastSpans.h"
#include "d3d9/raster/RasterPipeline.h"
#include "d3d9/raster/RasterTypes.h"

namespace rastertest {

using namespace raster;

struct ScreenVtx {  // FVF 0x144
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
struct PlainVtx {  // FVF 0x44
    float x, y, z, rhw;
    uint32_t color;
};
struct SceneVtx {  // FVF 0x142
    float x, y, z;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kScreenFvf = 0x144, kPlainFvf = 0x44, kSceneFvf = 0x142;

struct Surface {
    std::vector<uint8_t> bytes;
    SurfaceView view;
    Surface(D3DFORMAT format, uint32_t width, uint32_t height, int bytesPerPixel, uint32_t fill = 0) {
        view.format = format;
        view.width = width;
        view.height = height;
        view.pitch = int32_t(width) * bytesPerPixel;
        bytes.assign(size_t(view.pitch) * height, 0);
        view.bits = bytes.data();
        if (bytesPerPixel == 4)
            for (size_t i = 0; i < size_t(width) * height; ++i) std::memcpy(&bytes[i * 4], &fill, 4);
    }
    Surface(const Surface&) = delete;
    uint32_t At(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, bytes.data() + size_t(y) * size_t(view.pitch) + size_t(x) * 4, 4);
        return v;
    }
    uint16_t At16(int x, int y) const {
        uint16_t v = 0;
        std::memcpy(&v, bytes.data() + size_t(y) * size_t(view.pitch) + size_t(x) * 2, 2);
        return v;
    }
    void Set(int x, int y, uint32_t v) { std::memcpy(bytes.data() + size_t(y) * size_t(view.pitch) + size_t(x) * 4, &v, 4); }
};

// An A8R8G8B8 (or X8R8G8B8) target filled with one colour.
struct Target : Surface {
    explicit Target(uint32_t size = 16, uint32_t fill = 0xFF000000u, D3DFORMAT format = D3DFMT_A8R8G8B8)
        : Surface(format, size, size, 4, fill) {}
    // Pixels not equal to the fill colour, as a row-major mask string.
    std::vector<std::string> Mask(uint32_t background) const {
        std::vector<std::string> rows;
        for (uint32_t y = 0; y < view.height; ++y) {
            std::string row;
            for (uint32_t x = 0; x < view.width; ++x) row += At(int(x), int(y)) == background ? '.' : '#';
            rows.push_back(row);
        }
        return rows;
    }
};

// A one-level texture over caller-made texel bytes.
struct Texture {
    std::vector<std::vector<uint8_t>> levels;
    TextureView view;
    void AddLevel(D3DFORMAT format, uint32_t width, uint32_t height, int32_t pitch, std::vector<uint8_t> bytes) {
        levels.push_back(std::move(bytes));
        SurfaceView& l = view.levels[view.levelCount++];
        l.format = format;
        l.width = width;
        l.height = height;
        l.pitch = pitch;
        for (uint32_t i = 0; i < view.levelCount; ++i) view.levels[i].bits = levels[i].data();
    }
    static Texture Argb(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels,
                        D3DFORMAT format = D3DFMT_A8R8G8B8) {
        Texture t;
        t.AddArgbLevel(width, height, texels, format);
        return t;
    }
    void AddArgbLevel(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels,
                      D3DFORMAT format = D3DFMT_A8R8G8B8) {
        std::vector<uint8_t> bytes(texels.size() * 4);
        std::memcpy(bytes.data(), texels.data(), bytes.size());
        AddLevel(format, width, height, int32_t(width * 4), std::move(bytes));
    }
    static Texture Words(D3DFORMAT format, uint32_t width, uint32_t height, const std::vector<uint16_t>& texels) {
        Texture t;
        std::vector<uint8_t> bytes(texels.size() * 2);
        std::memcpy(bytes.data(), texels.data(), bytes.size());
        t.AddLevel(format, width, height, int32_t(width * 2), std::move(bytes));
        return t;
    }
};

// Default states set up for 2D drawing: no depth, no lighting, no culling.
inline StateBlock States2D(uint32_t width = 16, uint32_t height = 16) {
    StateBlock s;
    SetDefaultStates(s);
    s.render[D3DRS_ZENABLE] = D3DZB_FALSE;
    s.render[D3DRS_LIGHTING] = 0;
    s.render[D3DRS_CULLMODE] = D3DCULL_NONE;
    s.viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
    return s;
}

template <class Vertex>
DrawResult DrawUp(const StateBlock& states, SurfaceView target, uint32_t fvf, uint32_t type, uint32_t count,
                  const std::vector<Vertex>& vertices, const TextureView* texture0 = nullptr,
                  SurfaceView depth = SurfaceView{}) {
    DrawCommand d;
    d.primitiveType = type;
    d.primitiveCount = count;
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(vertices.data()), vertices.size() * sizeof(Vertex),
                              uint32_t(sizeof(Vertex))};
    d.fvf = fvf;
    d.textures[0] = texture0;
    d.target = target;
    d.depth = depth;
    d.states = &states;
    return Draw(d);
}

// Screen quad as a strip: top-left, top-right, bottom-left, bottom-right.
inline std::vector<ScreenVtx> Quad(float x0, float y0, float x1, float y1, uint32_t color, float u0 = 0,
                                   float v0 = 0, float u1 = 1, float v1 = 1, float z = 0.0f) {
    return {{x0, y0, z, 1, color, u0, v0}, {x1, y0, z, 1, color, u1, v0}, {x0, y1, z, 1, color, u0, v1},
            {x1, y1, z, 1, color, u1, v1}};
}

// Runs a draw with fast paths on and then off, on two copies of a target.
struct BothPaths {
    bool restore = FastPathsEnabled();
    ~BothPaths() { SetFastPathsEnabled(restore); }
};

}  // namespace rastertest
