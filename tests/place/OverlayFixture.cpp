#include "OverlayFixture.h"

#include <cstring>

#include "JpegImage.h"
#include "place/PlaceClocks.h"
#include "shell/VideoPolicy.h"
#include "win32/Control.h"

namespace overlay_test {

std::vector<uint8_t> PatternPixels(int width, int height) {
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels.push_back(uint8_t(x * 9));
            pixels.push_back(uint8_t(y * 13));
            pixels.push_back(uint8_t((x + y) * 5));
        }
    return pixels;
}

DecodedPicture Decode(const std::string& name, int mask) {
    DecodedPicture out;
    QivImageContent* image = get_jpg_image(name.c_str(), mask);
    if (!image) return out;
    out.width = image->nWidth;
    out.height = image->nHeight;
    out.pixels.assign(image->Pixels(), image->Pixels() + size_t(out.width) * size_t(out.height));
    release_image(image);
    return out;
}

namespace {

DWORD Scale(DWORD value, int bits) {
    const DWORD max = (1u << bits) - 1;
    return (value * 255 + max / 2) / max;
}

}  // namespace

D3DCOLOR DeviceColour565(uint16_t c) {
    return 0xFF000000u | Scale((c >> 11) & 31, 5) << 16 | Scale((c >> 5) & 63, 6) << 8 | Scale(c & 31, 5);
}

D3DCOLOR DeviceColour555(uint16_t c) {
    return 0xFF000000u | Scale((c >> 10) & 31, 5) << 16 | Scale((c >> 5) & 31, 5) << 8 | Scale(c & 31, 5);
}

D3DCOLOR ShellColour565(uint16_t c) {
    return 0xFF000000u | DWORD((c >> 11) & 31) << 19 | DWORD((c >> 5) & 63) << 10 | DWORD(c & 31) << 3;
}

void OverlayTest::SetUp() {
    ShellFixture::SetUp();
    lumiva::win32::InstallManualClock(1000000);
    ResetPlaceClocksForTests();
    MakeCreatedShell();
}

void OverlayTest::TearDown() {
    if (m_inScene && m_shell) Device()->EndScene();
    m_inScene = false;
    ResetPlaceClocksForTests();
    ShellFixture::TearDown();
}

void OverlayTest::WritePatternJpeg(const std::string& name, int width, int height) {
    WriteDataFile(name, EncodeJpeg(PatternPixels(width, height), width, height));
}

void OverlayTest::BeginDrawing(D3DCOLOR colour) {
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
    if (!m_inScene) m_inScene = SUCCEEDED(Device()->BeginScene());
    lumiva::d3d9::ClearRecording();
    lumiva::d3d9::EnableRecording(true);
}

lumiva::d3d9::Image OverlayTest::EndDrawing() {
    lumiva::d3d9::EnableRecording(false);
    if (m_inScene) Device()->EndScene();
    m_inScene = false;
    return BackBuffer();
}

size_t OverlayTest::DrawCount() const { return lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").size(); }

D3DCOLOR OverlayTest::OnScreen(D3DCOLOR texel) const {
    IDirect3DSurface9* back = nullptr;
    D3DSURFACE_DESC desc{};
    if (SUCCEEDED(Device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        back->GetDesc(&desc);
        back->Release();
    }
    if (desc.Format != D3DFMT_R5G6B5) return texel | 0xFF000000u;
    const auto reduce = [](DWORD value8, int bits) { return (value8 * ((1u << bits) - 1) + 127) / 255; };
    const DWORD r = reduce((texel >> 16) & 0xFF, 5), g = reduce((texel >> 8) & 0xFF, 6), b = reduce(texel & 0xFF, 5);
    return DeviceColour565(uint16_t(r << 11 | g << 5 | b));
}

D3DCOLOR OverlayTest::ImagePixel(const char* key, int x, int y) {
    int32_t info[5] = {};
    const bool recording = lumiva::d3d9::IsRecording();
    lumiva::d3d9::EnableRecording(false);
    auto* bits = static_cast<uint8_t*>(m_shell->LockImage(key, info));
    D3DCOLOR colour = 0;
    if (bits) {
        const uint8_t* p = bits + size_t(y) * size_t(info[2]);
        if (g_PictureTextureFormat == D3DFMT_R5G6B5) {
            uint16_t c = 0;
            std::memcpy(&c, p + size_t(x) * 2, 2);
            colour = DeviceColour565(c);
        } else {
            std::memcpy(&colour, p + size_t(x) * 4, 4);
        }
        m_shell->UnlockImage(key, 0);
    }
    lumiva::d3d9::EnableRecording(recording);
    return colour;
}

}  // namespace overlay_test
