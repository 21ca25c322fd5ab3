// The client screen the demo draws each frame through the shell's slots
// only, as a game host does: picture records (plain, tinted, translucent,
// brightened, turned and stretched), bar, line and frame records handed to
// DrawPrimitives, rectangles through DrawRect/DrawColorRect, text in a GDI
// font and in the bitmap font, and the shell's own FPS line.
#pragma once

#include <windows.h>

#include <string>

class IKDrawShell;

class ClientScreen {
public:
    ClientScreen(IKDrawShell* shell, int width, int height) : m_shell(shell), m_width(width), m_height(height) {}
    // Fonts; false (after printing why) on failure. Pictures load lazily
    // through the shell's image cache from the data folder's root.
    bool Load(const std::string& dataFolder);
    void DrawFrame(int frame);
    // The screen's panels, icons and texts over a scene the caller drew
    // between its BeginFrame and EndFrame; the mini-map square is left to the
    // scene place.
    void DrawHud(int frame);

private:
    void DrawBackdrop();
    void DrawPanels(int frame, bool mapPlaceholder);
    void DrawSprites(int frame);
    void DrawMotion(int frame);
    void DrawSkillIcons(int frame);
    void DrawTexts(int frame);

    IKDrawShell* m_shell;
    int m_width;
    int m_height;
};

// Where and in what colour the drawers leave pixels the tests look for.
constexpr DWORD kPanelColour = 0xC0182848u;  // the chat panel, blended over the backdrop
constexpr DWORD kHealthBarColour = 0xFFC03020u;
constexpr DWORD kFrameGold = 0xFFC8A860u;
constexpr DWORD kSeparatorColour = 0xFF40E0E0u;
constexpr int kSeparatorRise = 176;  // the line over the chat panel, up from the bottom edge
constexpr int kGemRowY = 150;      // the row of gems in the sky
constexpr int kBrightGemX = 580;   // the last gem of the row, in blend mode 3
constexpr int kMotionRowY = 330;   // the turning and the stretched arrow
constexpr int kTurningArrowX = 300;
constexpr int kStretchedArrowX = 400;  // left edge; the arrow reaches up to twice its width
// A font's id is also its size: the shell sets the glyph advance to the id
// and the line height to id + 1, so each font is created under its size.
constexpr int kGdiFontId = 16;
constexpr int kBitmapFontId = 12;
