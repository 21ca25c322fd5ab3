// A created shell for the place's overlays (tiled pictures, scroll layers,
// the mini-map, weather): pictures written by the tools' writers, the manual
// clock, and readers for the pixels the overlays leave in shell images and
// on the back buffer.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

#include "d3d9/Control.h"
#include "support/ShellFixture.h"

namespace overlay_test {

// A picture of distinct colours: red follows x, green y, blue both.
std::vector<uint8_t> PatternPixels(int width, int height);

// The decoded 16-bit pixels of a data file, row by row (empty when it does
// not decode).
struct DecodedPicture {
    int width = 0, height = 0;
    std::vector<uint16_t> pixels;
    uint16_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};
DecodedPicture Decode(const std::string& name, int mask);

// 16-bit colours as the device shows them (each channel scaled to 0..255
// with rounding) and as the shell's conversion writes them into 32-bit
// textures (shifted).
D3DCOLOR DeviceColour565(uint16_t colour);
D3DCOLOR DeviceColour555(uint16_t colour);
D3DCOLOR ShellColour565(uint16_t colour);

class OverlayTest : public test_support::ShellFixture {
public:
    // A texel's colour as the back buffer keeps it (a 16-bit back buffer
    // rounds each channel to its bits).
    D3DCOLOR OnScreen(D3DCOLOR texel) const;

protected:
    OverlayTest() : ShellFixture("overlays") {}
    void SetUp() override;
    void TearDown() override;

    void WritePatternJpeg(const std::string& name, int width, int height);
    // Clears the back buffer, starts a scene and recording.
    void BeginDrawing(D3DCOLOR colour = 0xFF000000);
    // Ends the scene and reads the back buffer.
    lumiva::d3d9::Image EndDrawing();
    // Device draw calls recorded since BeginDrawing.
    size_t DrawCount() const;
    // A pixel of a shell image, read through its lock, as A8R8G8B8.
    D3DCOLOR ImagePixel(const char* key, int x, int y);

    bool m_inScene = false;
};

}  // namespace overlay_test
