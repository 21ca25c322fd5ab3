// A started shell with textures and readers of the shared vertex buffer, for
// the scene-space and projected picture renderers.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstring>
#include <functional>
#include <vector>

#include "d3d9/Control.h"
#include "draw2d/scene/FrameTilesView.h"
#include "draw2d/scene/SceneVertex.h"
#include "shell/FrameFixture.h"

namespace shell_test {

class ScenePictureTest : public FrameTest {
protected:
    void TearDown() override;

    // Start, with identity view and projection in the shell so a scene point
    // (x, y) in -1..1 projects to the 800 x 600 viewport.
    void StartIdentity();
    IDirect3DTexture9* MakeTexture(int width, int height, const std::function<D3DCOLOR(int, int)>& colour);
    IDirect3DTexture9* SolidTexture(int width, int height, D3DCOLOR colour) {
        return MakeTexture(width, height, [=](int, int) { return colour; });
    }
    // Vertices of the shared buffer from `first` on.
    template <typename Vertex>
    std::vector<Vertex> BufferVertices(int first, int count);
    std::vector<KSceneVertex> SceneVertices(int first, int count) { return BufferVertices<KSceneVertex>(first, count); }
    // Recorded DrawPrimitive calls: start vertex and primitive count.
    struct Draw {
        UINT start, count;
        std::shared_ptr<const lumiva::d3d9::DeviceState> state;
    };
    std::vector<Draw> Draws() const;

    static KFrameTilesView OneTile(int width, int height, int textureWidth, int textureHeight,
                                   IDirect3DTexture9* texture);

    std::vector<IDirect3DTexture9*> m_textures;
};

template <typename Vertex>
std::vector<Vertex> ScenePictureTest::BufferVertices(int first, int count) {
    std::vector<Vertex> out(static_cast<size_t>(count));
    void* data = nullptr;
    IDirect3DVertexBuffer9* buffer = m_frameShell->dynamicVertexBuffer;
    if (!buffer || FAILED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY))) return {};
    std::memcpy(out.data(), static_cast<const Vertex*>(data) + first, out.size() * sizeof(Vertex));
    buffer->Unlock();
    return out;
}

// Corners at z = 0.5 that project to (200, 150), (600, 150), (600, 450) and
// (200, 450) under identity transforms.
inline constexpr float kCentredCorners[12] = {-0.5f, 0.5f,  0.5f, 0.5f,  0.5f,  0.5f,
                                              0.5f,  -0.5f, 0.5f, -0.5f, -0.5f, 0.5f};

}  // namespace shell_test
