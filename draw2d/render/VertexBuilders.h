// The lowest layer of 2D drawing: rectangles, lines, points and quads as
// screen vertices in the shell's shared dynamic vertex buffer, one draw each.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "lumiva/PrimitiveRecords.h"
#include "shell/ScreenVertex.h"

class KShellServices;
class KJpgImage;
class KSprImage;
struct KPrimPoint;

constexpr DWORD kSceneVertexFvf = 0x142;   // XYZ | DIFFUSE | TEX1
constexpr DWORD kPlainVertexFvf = 0x44;    // XYZRHW | DIFFUSE
constexpr DWORD kMeshVertexFvf = 0x102;    // XYZ | TEX1

struct KSceneVertex {
    float x, y, z;
    DWORD colour;
    float u, v;
};
struct KPlainScreenVertex {
    float x, y, z, rhw;
    DWORD colour;
};
struct KMeshVertex {
    float x, y, z, u, v;
};
static_assert(sizeof(KSceneVertex) == 24 && sizeof(KPlainScreenVertex) == 20 && sizeof(KMeshVertex) == 20);

// A pre-transformed vertex; its texture coordinates stay as they are.
void SetScreenVertex(KScreenVertex& v, float x, float y, float z, DWORD colour);
// One colour on a strip's four corners: top-left, top-right, bottom-left,
// bottom-right.
void SetScreenStrip(KScreenVertex* v, float left, float top, float right, float bottom, float z, DWORD colour);

// Draws with the diffuse colour alone, then puts stage 0 back to colour
// MODULATE and alpha SELECTARG1, as every untextured builder does.
void DrawDiffuseOnly(IDirect3DDevice9* device, D3DPRIMITIVETYPE kind, UINT first, UINT primitives);

void FillRect(KShellServices& shell, int x, int y, int width, int height, DWORD colour);
void FillRectF(KShellServices& shell, float x, float y, int width, int height, DWORD colour);
void DrawPoints(KShellServices& shell, int count, const KPrimPoint* points, int screenSpace);
void DrawLine(KShellServices& shell, int x1, int y1, int x2, int y2, DWORD colour);
void DrawLineF(KShellServices& shell, float x1, float y1, float x2, float y2, DWORD colour);
void DrawRectOutline(KShellServices& shell, int left, int top, int right, int bottom, DWORD colour);
void DrawTexturedQuad(KShellServices& shell, int x, int y, int width, int height, KJpgImage* picture, BYTE linear);
void DrawTexturedQuadBlend(KShellServices& shell, int x, int y, int width, int height, KJpgImage* picture, DWORD colour,
                           BYTE linear);
void DrawSpriteFrame(KShellServices& shell, int x, int y, int width, int height, uint32_t frame, KSprImage* picture,
                     DWORD colour, int blendMode, float angle, int pivotX, int pivotY);
