// The client screen the demo draws each frame through the shell's slots:
// backdrop, panels, text in a GDI font and in the bitmap font, and the
// shell's own FPS line.
#pragma once

#include <d3d9.h>

#include <string>

class IKDrawShell;

class ClientScreen {
public:
    ClientScreen(IKDrawShell* shell, int width, int height) : m_shell(shell), m_width(width), m_height(height) {}
    ~ClientScreen();
    // Fonts and the backdrop texture; false (after printing why) on failure.
    bool Load(const std::string& dataFolder);
    void DrawFrame(int frame);

private:
    void DrawBackdrop();
    void DrawPanels(int frame);
    void DrawTexts(int frame);

    IKDrawShell* m_shell;
    int m_width;
    int m_height;
    IDirect3DTexture9* m_backdrop = nullptr;
};

// Colours the tests look for in the frames.
constexpr D3DCOLOR kPanelColour = 0xC0182848u;  // the chat panel, blended over the backdrop
constexpr D3DCOLOR kHealthBarColour = 0xFFC03020u;
constexpr int kGdiFontId = 1;
constexpr int kBitmapFontId = 2;
