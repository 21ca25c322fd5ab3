#include "SampleData.h"

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <vector>

#include "AsfFontRaster.h"
#include "AsfFontWriter.h"
#include "JpegWriter.h"
#include "SceneSampleData.h"
#include "SprWriter.h"

const char kSampleDataMarker[] = "demo.ini";

namespace {

namespace fs = std::filesystem;

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

bool WriteText(const fs::path& path, const std::string& text) {
    return WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A dusk sky over hills: the kind of backdrop a login screen has.
std::vector<uint8_t> BackgroundPixels(int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double t = double(y) / height;
            const double hill = height * (0.62 + 0.06 * std::sin(x * 0.012) + 0.03 * std::sin(x * 0.041 + 1.0));
            uint8_t r, g, b;
            if (y > hill) {
                const double d = (y - hill) / (height - hill + 1.0);
                r = uint8_t(30 + 20 * d);
                g = uint8_t(70 + 40 * d);
                b = uint8_t(40 + 10 * d);
            } else {
                r = uint8_t(40 + 180 * t);
                g = uint8_t(50 + 90 * t);
                b = uint8_t(120 + 40 * t);
            }
            uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = r;
            p[1] = g;
            p[2] = b;
        }
    }
    return rgb;
}

// A round gem that pulses over its frames: alpha falls off at the edge.
SprPixels GemFrame(int frame, int frames, uint32_t colour) {
    SprPixels pixels;
    pixels.width = pixels.height = 48;
    pixels.argb.resize(48 * 48);
    const double radius = 14.0 + 8.0 * std::sin(3.14159265 * frame / frames);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const double d = std::hypot(x - 23.5, y - 23.5);
            if (d > radius) continue;
            const uint32_t alpha = uint32_t(255.0 * (1.0 - 0.7 * d / radius));
            pixels.argb[size_t(y) * 48 + size_t(x)] = alpha << 24 | (colour & 0xFFFFFFu);
        }
    }
    return pixels;
}

// An arrow pointing right: a silver shaft, a red head and green
// fletching, so a turn or a stretch shows at a glance.
SprPixels ArrowFrame() {
    SprPixels pixels;
    pixels.width = pixels.height = kArrowSize;
    pixels.argb.resize(size_t(kArrowSize) * kArrowSize);
    for (int y = 0; y < kArrowSize; ++y) {
        for (int x = 0; x < kArrowSize; ++x) {
            const int dy = std::abs(2 * y - (kArrowSize - 1));  // twice the distance from the middle row
            uint32_t colour = 0;
            if (x >= 40 && x < 60 && dy <= 2 * (60 - x)) colour = 0xFFE04030u;
            else if (x >= 14 && x < 40 && dy <= 5) colour = 0xFFD0D0E0u;
            else if (x >= 4 && x < 16 && dy <= 2 * (x - 2) && dy >= 4) colour = 0xFF40C060u;
            pixels.argb[size_t(y) * kArrowSize + size_t(x)] = colour;
        }
    }
    return pixels;
}

}  // namespace

bool HasSampleData(const std::string& folder) { return fs::exists(fs::path(folder) / kSampleDataMarker); }

bool WriteSampleData(const std::string& folder) {
    const fs::path root(folder);
    bool ok = WriteFile(root / "ui" / "background.jpg", EncodeJpeg(BackgroundPixels(1024, 768), 1024, 768));

    SprSpriteInfo info;
    info.width = info.height = 48;
    info.centerX = info.centerY = 24;
    info.word16 = 8;
    std::vector<SprPixels> gold, blue;
    for (int i = 0; i < 8; ++i) {
        gold.push_back(GemFrame(i, 8, 0xFFD040u));
        blue.push_back(GemFrame(i, 8, 0x40A0FFu));
    }
    ok = WriteFile(root / "spr" / "gem_gold.spr", WriteSpr(info, gold)) && ok;
    ok = WriteFile(root / "spr" / "gem_blue.spr", WriteSds2(info, blue)) && ok;
    SprSpriteInfo arrow;
    arrow.width = arrow.height = kArrowSize;
    arrow.centerX = arrow.centerY = kArrowSize / 2;
    ok = WriteFile(root / "spr" / "arrow.spr", WriteSpr(arrow, {ArrowFrame()})) && ok;
    try {
        const AsfFontSpec font = RasterizeAsfFont(kSampleFontFace, kBitmapFontCell, FullWidthAsciiGlyphs());
        ok = WriteFile(root / "font" / "sans12.asf", WriteAsfFont(font)) && ok;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lumiva-demo: cannot draw the bitmap font from %s: %s\n", kSampleFontFace, error.what());
        ok = false;
    }
    ok = WriteText(root / "config.ini", "[Client]\nShowDebugInfo=1\n") && ok;
    ok = scene_data::WriteSceneData(folder) && ok;
    ok = WriteText(root / kSampleDataMarker, "[Demo]\nVersion=3\n") && ok;
    return ok;
}
