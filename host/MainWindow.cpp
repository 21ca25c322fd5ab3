#include "MainWindow.h"

#include <cstdio>
#include <cstdlib>

#include "win32/Control.h"

#ifdef LUMIVA_HAVE_SDL2
#include <SDL.h>
#endif

struct MainWindow::Display {
#ifdef LUMIVA_HAVE_SDL2
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;

    bool Open(int w, int h) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
        width = w;
        height = h;
        window = SDL_CreateWindow("Lumiva demo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, 0);
        if (window) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        if (renderer)
            texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
        return texture != nullptr;
    }
    ~Display() {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
    }
#else
    bool Open(int, int) { return false; }
#endif
};

MainWindow::MainWindow() = default;

MainWindow::~MainWindow() {
    if (m_window) DestroyWindow(m_window);
}

bool MainWindow::Open(int width, int height, bool headless) {
    // The machine's screen holds the window with its frame.
    lumiva::win32::SetDesktopSize(width + 256, height + 256);
    m_window = CreateWindowExA(0, "LumivaDemo", "Lumiva demo", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                               nullptr, nullptr, nullptr);
    if (!m_window) return false;
    const char* display = std::getenv("DISPLAY");
    if (headless || !display || !*display) return true;
    m_display = std::make_unique<Display>();
    if (!m_display->Open(width, height)) {
        std::fprintf(stderr, "lumiva-demo: no window on display %s; frames stay in memory\n", display);
        m_display.reset();
    }
    return true;
}

bool MainWindow::IsShown() const { return m_display != nullptr; }

lumiva::d3d9::Image MainWindow::PresentedFrame() const {
    lumiva::d3d9::Image frame;
    RECT area{};
    if (!lumiva::win32::ClientAreaOnDesktop(m_window, &area)) return frame;
    const lumiva::d3d9::Image desktop = lumiva::d3d9::FrontBuffer();
    const LONG right = area.right < LONG(desktop.width) ? area.right : LONG(desktop.width);
    const LONG bottom = area.bottom < LONG(desktop.height) ? area.bottom : LONG(desktop.height);
    if (area.left < 0 || area.top < 0 || right <= area.left || bottom <= area.top) return frame;
    frame.width = UINT(right - area.left);
    frame.height = UINT(bottom - area.top);
    frame.pixels.reserve(size_t(frame.width) * frame.height);
    for (LONG y = area.top; y < bottom; ++y)
        for (LONG x = area.left; x < right; ++x) frame.pixels.push_back(desktop.At(UINT(x), UINT(y)));
    return frame;
}

bool MainWindow::Show(const lumiva::d3d9::Image& frame) {
#ifdef LUMIVA_HAVE_SDL2
    if (!m_display) return true;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (event.type == SDL_QUIT) return false;
    if (int(frame.width) != m_display->width || int(frame.height) != m_display->height) return true;
    SDL_UpdateTexture(m_display->texture, nullptr, frame.pixels.data(), int(frame.width * sizeof(D3DCOLOR)));
    SDL_RenderClear(m_display->renderer);
    SDL_RenderCopy(m_display->renderer, m_display->texture, nullptr, nullptr);
    SDL_RenderPresent(m_display->renderer);
#else
    (void)frame;
#endif
    return true;
}

lumiva::d3d9::Image MainWindow::ReadShown() const {
    lumiva::d3d9::Image shown;
#ifdef LUMIVA_HAVE_SDL2
    if (!m_display) return shown;
    // The software renderer draws straight into the window's surface.
    shown.width = UINT(m_display->width);
    shown.height = UINT(m_display->height);
    shown.pixels.resize(size_t(shown.width) * shown.height);
    if (SDL_RenderReadPixels(m_display->renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shown.pixels.data(),
                             int(shown.width * sizeof(D3DCOLOR))) != 0)
        return {};
    for (D3DCOLOR& pixel : shown.pixels) pixel |= 0xFF000000u;
#endif
    return shown;
}
