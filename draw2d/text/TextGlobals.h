// Module-wide text settings shared by every font, and the quad-draw routine.
#pragma once

#include <d3d9.h>

#include <cstdint>

// Screen-space glyph vertex: position with rhw, colour, one texture pair.
struct KTextVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(KTextVertex) == 28, "glyph vertex stride");

constexpr DWORD kTextVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144
static_assert(kTextVertexFormat == 0x144);

using DrawTextQuadsFn = void (*)(const KTextVertex* vertices, int quads);

// The device every font draws with; null while no font is attached.
extern IDirect3DDevice9* g_pTextDevice;
// Colour of the lower edge of every glyph quad.
extern uint32_t g_TextGradientColor;
// The device can compare alpha, so glyph outlines may use partial alpha.
extern bool g_bTextAlphaCompare;
extern DrawTextQuadsFn g_pfnDrawTextQuads;

// Triangle list of 2 x quads triangles on g_pTextDevice.
void DrawTextQuads(const KTextVertex* vertices, int quads);

// Fonts that hold the text device. The device is dropped when the last
// attached font lets go, so releasing one font leaves the others drawing.
void HoldTextDevice(IDirect3DDevice9* device);
void LetGoTextDevice();

// Everything above back to its start-up value.
void ResetTextGlobalsForTests();
