// Picture records of one dispatcher call drawn through the cropped
// renderers' geometry (sprite frames and JPEG pictures), with the quads that
// share a texture and state plan gathered into one vertex request and one
// draw. A run of one quad goes out as the renderer draws it (a strip of 2
// triangles); longer runs as a triangle list whose triangles are the strips'
// own, corner for corner, in the same order.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "draw2d/render/PictureTint.h"
#include "shell/ScreenVertex.h"
#include "shell/ShellServices.h"

class KJpgImage;
class KSprImage;
struct KSprFrameView;

class KSpriteQuadBatch {
public:
    // The tint is the call's, for its JPEG pictures (see KPictureTint).
    explicit KSpriteQuadBatch(KShellServices& shell, int picturePercent = -1, float pictureBrightness = -1.0f)
        : m_shell(shell), m_tint(picturePercent, pictureBrightness) {}
    ~KSpriteQuadBatch() { Flush(); }
    KSpriteQuadBatch(const KSpriteQuadBatch&) = delete;
    KSpriteQuadBatch& operator=(const KSpriteQuadBatch&) = delete;

    // As DrawFrameCropped of the frame whose view is given (the caller
    // checked the frame exists), with the frame's own size.
    void AddFrameCropped(int x, int y, const KSprFrameView& frame, const int32_t* crop, DWORD colour, int blendMode);
    // As DrawPictureCropped with the call's tint.
    void AddPictureCropped(int x, int y, KJpgImage* picture, const int32_t* source);
    // Draws what is gathered; call before anything else draws.
    void Flush();

private:
    static constexpr int kMaxQuads = 128;

    // What a run sets around its draw.
    enum class Plan : uint8_t { Plain, LinearFilter, Tint };

    void AddQuad(IDirect3DTexture9* texture, Plan plan, const struct TileQuad& quad, DWORD colour);
    void SetFormatOnce();
    void DrawRun(IDirect3DDevice9* device, IDirect3DTexture9* texture, int quads);

    KShellServices& m_shell;
    KPictureTint m_tint;
    IDirect3DTexture9* m_texture = nullptr;  // referenced while quads wait
    Plan m_plan = Plan::Plain;
    bool m_formatSet = false;
    int m_quads = 0;
    KScreenVertex m_vertices[kMaxQuads * 4];
};
