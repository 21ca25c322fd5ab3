// Fixture of the channel beam, lightning and debug mesh tests: a created
// shell on the software device with the manual clock, a fixed camera (an
// orthographic 80 x 60-unit view of the 800 x 600 back buffer, 10 pixels a
// unit, looking along +z), files written under the data root with the
// tools/ writers, and the module-wide beam clock, lightning cache and debug
// mesh set emptied around each test.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <string>
#include <vector>

#include "BeamIniWriter.h"
#include "d3d9/Control.h"
#include "support/ShellFixture.h"

namespace beam_test {

using lumiva::d3d9::RecordedCall;

class BeamTest : public test_support::ShellFixture {
protected:
    static constexpr int kUnitPixels = 10;

    BeamTest() : ShellFixture("beams") {}
    void SetUp() override;
    void TearDown() override;

    // Writes text under the data root by module path ("fx\\a.ini").
    void WriteModuleFile(const std::string& modulePath, const std::string& text);
    void WriteModuleFile(const std::string& modulePath, const std::vector<uint8_t>& bytes);
    // A 4 x 4 DXT5 picture of one colour (exact for colours R5G6B5 holds).
    static std::vector<uint8_t> FlatDds(uint32_t argb);
    // The lightning file with its texture beside it ("bolt.bmp" by default,
    // written flat white).
    void WriteLightning(const std::string& modulePath, const beamini::Lightning& file);

    // Clears target and depth and opens a scene; the clear colour shows
    // where nothing was drawn.
    void BeginDraw(D3DCOLOR background = 0xFF000000);
    // Pixel of the back buffer at scene point (x, y), 0xAARRGGBB.
    D3DCOLOR PixelAt(float x, float y);

    static void Record();
    static std::vector<RecordedCall> Calls(const std::string& name) {
        return lumiva::d3d9::RecordedCallsNamed(name);
    }
    static D3DXMATRIX WorldAt(const RecordedCall& draw) { return draw.state->worldMatrices[0]; }
    D3DXMATRIX CurrentWorld();

    bool m_sceneOpen = false;
};

::testing::AssertionResult MatricesNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual,
                                        float tolerance = 1e-4f);

}  // namespace beam_test
