// A created shell on the software device, sprite and JPEG files made by the
// tools' writers, and readers for what a draw recorded: the vertices it
// drew from and the pixels of the back buffer.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>
#include <vector>

#include "d3d9/Control.h"
#include "support/ShellFixture.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace dispatch_test {

// Opaque colours the dispatch tests draw with and look for.
constexpr D3DCOLOR kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

class DispatchTest : public test_support::ShellFixture {
protected:
    DispatchTest() : ShellFixture("dispatch") {}
    // A created shell with the manual clock running.
    void SetUp() override;

    // One frame of w x h pixels given row by row, at frame offset (ox, oy).
    KSprImage* Sprite(const std::string& name, int w, int h, const std::vector<uint32_t>& argb, int ox = 0,
                      int oy = 0, int centreX = 0, int centreY = 0);
    KJpgImage* Jpeg(const std::string& name, int w, int h);
    // Clears the back buffer to colour and starts recording.
    void ClearTarget(D3DCOLOR colour = 0xFF000000);
    lumiva::d3d9::Image Target();
    // The vertices the recorded draw read, as screen vertices.
    std::vector<KScreenVertex> DrawnVertices(const lumiva::d3d9::RecordedCall& draw);
    std::vector<lumiva::d3d9::RecordedCall> Draws() { return lumiva::d3d9::RecordedCallsNamed("DrawPrimitive"); }
    // Names of the recorded calls, e.g. "SetRenderState".
    std::vector<std::string> CallNames();

    bool m_inScene = false;
};

}  // namespace dispatch_test
