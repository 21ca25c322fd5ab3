// Sprite records of one dispatcher call drawn through the cropped renderer's
// geometry, with the quads that share a texture and filter plan gathered
// into one vertex request and one draw. A run of one quad goes out as the
// renderer draws it (a strip of 2 triangles); longer runs as a triangle list
// whose triangles are the strips' own, corner for corner, in the same order.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "shell/KDrawShell.h"

class KSprImage;
struct KSprFrameView;

class KSpriteQuadBatch {
public:
    explicit KSpriteQuadBatch(KDrawShell& shell) : m_shell(shell) {}
    ~KSpriteQuadBatch() { Flush(); }
    KSpriteQuadBatch(const KSpriteQuadBatch&) = delete;
    KSpriteQuadBatch& operator=(const KSpriteQuadBatch&) = delete;

    // As DrawFrameCropped of the frame whose view is given (the caller
    // checked the frame exists), with the frame's own size.
    void AddFrameCropped(int x, int y, const KSprFrameView& frame, const int32_t* crop, DWORD colour, int blendMode);
    // Draws what is gathered; call before anything else draws.
    void Flush();

private:
    static constexpr int kMaxQuads = 128;

    void AddQuad(IDirect3DTexture9* texture, bool linear, const struct TileQuad& quad, DWORD colour);
    void SetFormatOnce();

    KDrawShell& m_shell;
    IDirect3DTexture9* m_texture = nullptr;  // referenced while quads wait
    bool m_linear = false;
    bool m_formatSet = false;
    int m_quads = 0;
    KScreenVertex m_vertices[kMaxQuads * 4];
};
