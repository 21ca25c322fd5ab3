#include "draw2d/render/SpriteQuadBatch.h"

#include <cstring>

#include "textures/KJpgImage.h"

#include "draw2d/render/ScreenPictureRenderers.h"
#include "draw2d/render/TileQuad.h"
#include "draw2d/render/VertexLock.h"

namespace {

// Each quad's strip (0, 1, 2), (2, 1, 3) as two list triangles: the device
// takes an odd strip triangle's corners in that same order.
void WriteQuadAsList(KScreenVertex* out, const KScreenVertex* strip) {
    static constexpr int kCorners[6] = {0, 1, 2, 2, 1, 3};
    for (int i = 0; i < 6; ++i) out[i] = strip[kCorners[i]];
}

}  // namespace

void KSpriteQuadBatch::SetFormatOnce() {
    if (m_formatSet) return;
    if (IDirect3DDevice9* device = m_shell.GetDevice()) device->SetFVF(0x144);
    m_formatSet = true;
}

void KSpriteQuadBatch::AddFrameCropped(int x, int y, const KSprFrameView& frame, const int32_t* crop, DWORD colour,
                                       int blendMode) {
    if (!crop) return;
    SetFormatOnce();
    TileQuad quads[4];
    int tiles = 0;
    if (!CroppedFrameQuads(frame, x, y, frame.width, frame.height, crop, quads, &tiles)) return;
    const DWORD vertexColour = blendMode == 5 ? colour : 0xFFFFFFFFu;
    for (int j = 0; j < tiles; ++j) {
        IDirect3DTexture9* texture = frame.tiles[j].texture;
        if (texture && !quads[j].hidden)
            AddQuad(texture, blendMode == 5 ? Plan::LinearFilter : Plan::Plain, quads[j], vertexColour);
    }
}

void KSpriteQuadBatch::AddPictureCropped(int x, int y, KJpgImage* picture, const int32_t* source) {
    if (!picture || !source) return;
    SetFormatOnce();
    TileQuad quad;
    if (!PictureCroppedQuad(x, y, *picture, source, &quad)) return;
    if (IDirect3DTexture9* texture = picture->GetTexture())
        AddQuad(texture, m_tint.Applies() ? Plan::Tint : Plan::Plain, quad, 0xFFFFFFFFu);
}

void KSpriteQuadBatch::AddQuad(IDirect3DTexture9* texture, Plan plan, const TileQuad& quad, DWORD colour) {
    if (m_quads > 0 && (texture != m_texture || plan != m_plan || m_quads == kMaxQuads)) Flush();
    if (m_quads == 0) {
        // A lookup between two records may purge the picture; the draw
        // still needs its texture.
        texture->AddRef();
        m_texture = texture;
        m_plan = plan;
    }
    WriteQuad(m_vertices + 4 * m_quads, quad, 100.0f, colour);
    ++m_quads;
}

void KSpriteQuadBatch::Flush() {
    if (m_quads == 0) return;
    const int quads = m_quads;
    IDirect3DTexture9* texture = m_texture;
    m_quads = 0;
    m_texture = nullptr;
    if (IDirect3DDevice9* device = m_shell.GetDevice()) DrawRun(device, texture, quads);
    texture->Release();
}

void KSpriteQuadBatch::DrawRun(IDirect3DDevice9* device, IDirect3DTexture9* texture, int quads) {
    // The format again: a picture loaded since the first quad may have
    // drawn into its own texture.
    device->SetFVF(0x144);
    const bool single = quads == 1;
    KVertexLock lock(m_shell, single ? 4 : 6 * quads, 0);
    if (!lock) return;
    if (single)
        std::memcpy(lock.Vertices(), m_vertices, 4 * sizeof(KScreenVertex));
    else
        for (int q = 0; q < quads; ++q) WriteQuadAsList(lock.Vertices() + 6 * q, m_vertices + 4 * q);
    lock.BindStream();
    const bool linear = m_plan == Plan::LinearFilter;
    DWORD mag = 0, min = 0;
    if (linear) {
        device->GetSamplerState(0, D3DSAMP_MAGFILTER, &mag);
        device->GetSamplerState(0, D3DSAMP_MINFILTER, &min);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    }
    device->SetTexture(0, texture);
    if (m_plan == Plan::Tint) m_tint.Begin(device);
    if (single)
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, lock.First(), 2);
    else
        device->DrawPrimitive(D3DPT_TRIANGLELIST, lock.First(), UINT(2 * quads));
    if (m_plan == Plan::Tint) m_tint.End(device);
    if (linear) {
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, mag);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, min);
    }
}
