#include "shell/scene/ScenePictureFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace shell_test {

void ScenePictureTest::TearDown() {
    for (IDirect3DTexture9* texture : m_textures) texture->Release();
    m_textures.clear();
    FrameTest::TearDown();
}

void ScenePictureTest::StartIdentity() {
    Start();
    D3DXMatrixIdentity(&m_frameShell->viewMatrix);
    D3DXMatrixIdentity(&m_frameShell->projectionMatrix);
    m_frameShell->viewport = {0, 0, 800, 600, 0.0f, 1.0f};
    m_frameShell->worldOffsetSet = 0;
    m_frameShell->globalAlpha = 1.0f;
    m_device->SetFVF(kSceneVertexFvf);  // the picture lists' part
    m_device->BeginScene();
}

IDirect3DTexture9* ScenePictureTest::MakeTexture(int width, int height,
                                                 const std::function<D3DCOLOR(int, int)>& colour) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(m_device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1, 0, D3DFMT_A8R8G8B8,
                                       D3DPOOL_MANAGED, &texture, nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < width; ++x) row[x] = colour(x, y);
        }
        texture->UnlockRect(0);
    }
    m_textures.push_back(texture);
    return texture;
}

std::vector<ScenePictureTest::Draw> ScenePictureTest::Draws() const {
    std::vector<Draw> draws;
    for (const lumiva::d3d9::RecordedCall& call : lumiva::d3d9::RecordedCallsNamed("DrawPrimitive"))
        if (call.state)  // a refused draw has no state and drew nothing
            draws.push_back({static_cast<UINT>(call.args[1]), static_cast<UINT>(call.args[2]), call.state});
        else
            ADD_FAILURE() << "refused DrawPrimitive";
    return draws;
}

KFrameTilesView ScenePictureTest::OneTile(int width, int height, int textureWidth, int textureHeight,
                                          IDirect3DTexture9* texture) {
    KFrameTilesView view;
    view.frameWidth = static_cast<uint16_t>(width);
    view.frameHeight = static_cast<uint16_t>(height);
    view.tileCount = 1;
    view.tiles[0] = {0,
                     0,
                     static_cast<uint16_t>(width),
                     static_cast<uint16_t>(height),
                     static_cast<uint16_t>(textureWidth),
                     static_cast<uint16_t>(textureHeight),
                     texture};
    return view;
}

}  // namespace shell_test
