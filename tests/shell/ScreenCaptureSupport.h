// Shared helpers of the screenshot and capture tests: a created shell whose
// back buffer is painted with a known picture and presented, and readers for
// the files and surfaces the captures produce.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DrawShellFixture.h"

namespace shell_test {

using PixelPicture = std::function<D3DCOLOR(int x, int y)>;

// Distinct colour at every pixel of an 800 x 600 screen.
D3DCOLOR Pattern(int x, int y);

// Colour channels of an ARGB value.
inline int Red(D3DCOLOR c) { return int((c >> 16) & 0xFF); }
inline int Green(D3DCOLOR c) { return int((c >> 8) & 0xFF); }
inline int Blue(D3DCOLOR c) { return int(c & 0xFF); }

// Little-endian fields of a file.
uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at);
uint16_t U16At(const std::vector<uint8_t>& bytes, size_t at);

// Writes the picture into a locked surface of a 16- or 32-bit format.
void PaintSurface(IDirect3DSurface9* surface, const PixelPicture& picture);
// Every pixel of a surface as ARGB, row by row (through the device's own
// decoder).
std::vector<D3DCOLOR> SurfacePixels(IDirect3DSurface9* surface, UINT* width = nullptr, UINT* height = nullptr);

// A file's pixels decoded by D3DX into A8R8G8B8.
bool DecodeImageFile(const std::vector<uint8_t>& bytes, UINT* width, UINT* height, std::vector<D3DCOLOR>* pixels);

class ScreenCaptureTest : public DrawShellTest {
protected:
    void TearDown() override;

    // A created shell (windowed unless asked) with the pattern presented.
    KDrawShell* MakePresentedShell(bool fullScreen = false);
    void PaintBackBuffer(const PixelPicture& picture);
    void PresentFrame();
    // The main window's client area on the desktop.
    RECT ClientArea();
    std::vector<uint8_t> DataFileBytes(const std::string& relative) const;
};

}  // namespace shell_test
