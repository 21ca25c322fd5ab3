// The text slots, over the shell's font table.
#include "draw2d/text/TextShellOperations.h"
#include "shell/KDrawShell.h"

bool KDrawShell::CreateFont(const char* descriptor, int unused, int id) {
    return fonts.CreateFont(textServices, descriptor, unused, id);
}

void KDrawShell::OutputText(int id, const char* text, int length, int x, int y, DWORD colour, int wrapWidth, int z,
                            DWORD gradient) {
    ::OutputText(fonts, textServices, id, text, length, x, y, colour, wrapWidth, z, gradient);
}

void KDrawShell::OutputTextEx(int id, const char* text, int length, float x, float y, DWORD colour, int wrapWidth,
                              float z, DWORD gradient) {
    ::OutputTextEx(fonts, textServices, id, text, length, x, y, colour, wrapWidth, z, gradient);
}

int KDrawShell::GetTextExtent(int id, const char* text, int length, int width) {
    return ::GetTextExtent(textServices, id, text, length, width);
}

int KDrawShell::OutputTextInRect(int id, KTextRect* rect, const char* text, int length, int width) {
    return ::OutputTextInRect(fonts, textServices, id, rect, text, length, width);
}

int KDrawShell::OutputTextInRectEx(int id, KTextRect* rect, const char* text, int length, int width) {
    return ::OutputTextInRectEx(fonts, textServices, id, rect, text, length, width);
}

int KDrawShell::HitTestText(int x, int y, int id, KTextRect* rect, const char* text, int length, int width) {
    return ::HitTestText(fonts, textServices, x, y, id, rect, text, length, width);
}

void KDrawShell::ReleaseFont(int id) { fonts.ReleaseFont(id); }

int KDrawShell::SetTextImageHandler(ITextImageHandler* handler) {
    textImageHandler = handler;
    return 0;
}

int KDrawShell::RemoveTextImageHandler(ITextImageHandler* handler) {
    if (textImageHandler == handler) textImageHandler = nullptr;
    return 0;
}
