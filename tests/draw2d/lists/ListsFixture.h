// A created shell on the software device, for list drawers that need its
// compose textures, dynamic vertex buffer and device.
#pragma once

#include "d3d9/Control.h"
#include "shell/KDrawShell.h"
#include "support/ShellFixture.h"

namespace lists_test {

class ListsTest : public test_support::ShellFixture {
protected:
    ListsTest() : ShellFixture("lists") {}
    void SetUp() override;

    KDrawShell* Shell() const { return m_shell; }
    // Clears the back buffer to colour and opens a scene.
    void BeginScene(D3DCOLOR colour);
    void EndScene();
};

}  // namespace lists_test
