#include "draw2d/text/TextGlobals.h"

IDirect3DDevice9* g_pTextDevice = nullptr;
uint32_t g_TextGradientColor = 0xFF000000u;
bool g_bTextAlphaCompare = true;
DrawTextQuadsFn g_pfnDrawTextQuads = DrawTextQuads;

namespace {
int g_textDeviceHolders = 0;
}

void DrawTextQuads(const KTextVertex* vertices, int quads) {
    if (!g_pTextDevice || !vertices || quads < 1) return;
    g_pTextDevice->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(2 * quads), vertices, sizeof(KTextVertex));
}

void HoldTextDevice(IDirect3DDevice9* device) {
    g_pTextDevice = device;
    ++g_textDeviceHolders;
}

void LetGoTextDevice() {
    if (g_textDeviceHolders > 0) --g_textDeviceHolders;
    if (g_textDeviceHolders == 0) g_pTextDevice = nullptr;
}

void ResetTextGlobalsForTests() {
    g_pTextDevice = nullptr;
    g_TextGradientColor = 0xFF000000u;
    g_bTextAlphaCompare = true;
    g_pfnDrawTextQuads = DrawTextQuads;
    g_textDeviceHolders = 0;
}
