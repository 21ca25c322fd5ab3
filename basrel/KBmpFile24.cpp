#include "KBmpFile24.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "DataRoot.h"
#include "DebugLog.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetre = 2880;

void Put16(uint8_t* at, uint16_t v) {
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* at, uint32_t v) {
    Put16(at, uint16_t(v));
    Put16(at + 2, uint16_t(v >> 16));
}

}  // namespace

std::vector<uint8_t> KBmpFile24::Encode(const void* pixels, int pitch, int width, int height) {
    if (!pixels || width <= 0 || height <= 0 || int64_t(pitch) < int64_t(width) * 4) return {};
    uint64_t rowBytes = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
    uint64_t offBits = kFileHeaderSize + kInfoHeaderSize;
    uint64_t fileSize = offBits + rowBytes * uint64_t(height);
    if (fileSize > 0xFFFFFFFFu) return {};

    std::vector<uint8_t> out(fileSize, 0);
    uint8_t* h = out.data();
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, uint32_t(fileSize));
    Put32(h + 10, uint32_t(offBits));
    uint8_t* info = h + kFileHeaderSize;
    Put32(info + 0, kInfoHeaderSize);
    Put32(info + 4, uint32_t(width));
    Put32(info + 8, uint32_t(height));
    Put16(info + 12, 1);
    Put16(info + 14, 24);
    Put32(info + 24, kPixelsPerMetre);
    Put32(info + 28, kPixelsPerMetre);

    const auto* source = static_cast<const uint8_t*>(pixels);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source + uint64_t(y) * uint64_t(pitch);
        uint8_t* row = h + offBits + uint64_t(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            uint32_t argb;
            std::memcpy(&argb, in + 4 * x, 4);
            row[3 * x + 0] = uint8_t(argb);
            row[3 * x + 1] = uint8_t(argb >> 8);
            row[3 * x + 2] = uint8_t(argb >> 16);
        }
    }
    return out;
}

bool KBmpFile24::SaveBuffer32(const char* name, const void* pixels, int pitch, int width, int height) {
    if (!name || !*name) {
        g_DebugLog("[Basrel]SaveBuffer32: no file name");
        return false;
    }
    std::vector<uint8_t> bytes = Encode(pixels, pitch, width, height);
    if (bytes.empty()) {
        g_DebugLog("[Basrel]SaveBuffer32 %s: bad pixels (%d x %d, pitch %d)", name, width, height, pitch);
        return false;
    }
    std::string path;
    if (!basrel::ResolveForWriting(name, path)) {
        g_DebugLog("[Basrel]SaveBuffer32 %s: cannot write there", name);
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0) ok = false;
    if (!ok) {
        std::remove(path.c_str());
        g_DebugLog("[Basrel]SaveBuffer32 %s: write failed", name);
    }
    return ok;
}
