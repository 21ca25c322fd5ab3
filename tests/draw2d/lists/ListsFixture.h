// A created shell on the software device, for list drawers that need its
// compose textures, dynamic vertex buffer and device.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d9/Control.h"
#include "shell/KDrawShell.h"

namespace lists_test {

class ListsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    KDrawShell* Shell() const { return m_shell; }
    IDirect3DDevice9* Device() const { return m_shell->GetDevice(); }
    // Clears the back buffer to colour and opens a scene.
    void BeginScene(D3DCOLOR colour);
    void EndScene();
    lumiva::d3d9::Image BackBuffer() const;
    void WriteDataFile(const std::string& name, const std::vector<uint8_t>& bytes);

private:
    std::string m_root;
    KDrawShell* m_shell = nullptr;
};



}  // namespace lists_test
