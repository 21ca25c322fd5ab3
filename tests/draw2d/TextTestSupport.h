// Shared fixture of the text tests: the common shell fixture with GDI and the
// text globals reset too, a window with a small software device, and a hook
// that keeps the glyph quads each draw hands over.
#pragma once

#include <wingdi.h>

#include <cstdint>
#include <string>
#include <vector>

#include <d3d9.h>

#include "draw2d/text/KFontTable.h"
#include "draw2d/text/ShellServicesForText.h"
#include "draw2d/text/TextGlobals.h"
#include "support/ShellFixture.h"

namespace text_test {

// UTF-8 text as bytes of a code page ("GBK", "BIG5").
std::string Encode(const std::string& utf8, const char* codePage = "GBK");

struct DrawnQuad {
    KTextVertex v[6];
    float Left() const { return v[0].x; }
    float Top() const { return v[0].y; }
};

// Every quad handed to g_pfnDrawTextQuads, and the batch sizes.
struct QuadLog {
    std::vector<DrawnQuad> quads;
    std::vector<int> batches;
};
QuadLog& CapturedQuads();

class TextTest : public test_support::ShellFixture {
protected:
    TextTest() : ShellFixture("draw2d-text") {}

    static constexpr UINT kWidth = 160;
    static constexpr UINT kHeight = 64;

    void SetUp() override;
    void TearDown() override;

    void CreateDevice(UINT width = kWidth, UINT height = kHeight);
    // Quads are kept instead of drawn (and drawn too when `draw`).
    void CaptureQuads(bool draw = false);

    std::string TempPath(const std::string& name) const;

    // A bitmap font file under the data root: `count` glyphs of w x h
    // whose pixels are all level (index % 7) + 1.
    std::string MakeAsfFont(const std::string& name, uint16_t w, uint16_t h, int count);

    // Back buffer pixels.
    D3DCOLOR Pixel(UINT x, UINT y);
    void ClearTarget(D3DCOLOR colour);

    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    TextShellStandIn shell_;
    KFontTable* fonts_ = nullptr;
};

}  // namespace text_test
