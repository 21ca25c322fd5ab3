// The host's main window: a window on the virtual desktop for the module,
// mirrored into a real SDL window when a display is there.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "d3d9/Control.h"

class MainWindow {
public:
    MainWindow();
    ~MainWindow();
    // The window the module draws on; real only when not headless and a display opens.
    bool Open(int width, int height, bool headless);
    HWND Handle() const { return m_window; }
    bool IsShown() const;
    // The window's part of the front buffer, as presented.
    lumiva::d3d9::Image PresentedFrame() const;
    // Shows a frame in the real window; false when the user closed it.
    bool Show(const lumiva::d3d9::Image& frame);
    // What the real window shows now (empty when there is none).
    lumiva::d3d9::Image ReadShown() const;

private:
    struct Display;
    HWND m_window = nullptr;
    std::unique_ptr<Display> m_display;
};
