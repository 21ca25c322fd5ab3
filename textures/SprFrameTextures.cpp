// Making, dropping and trimming the tile textures of sprite frames.
#include <d3dx9tex.h>

#include <algorithm>
#include <vector>

#include "DebugLog.h"
#include "shell/ComRelease.h"
#include "textures/FrameTiles.h"
#include "textures/KSprImage.h"
#include "textures/PictureServices.h"
#include "textures/SprRuns.h"
#include "textures/TextureMemoryPolicy.h"

namespace {

HRESULT LoadTileLevel(IDirect3DTexture9* texture, const KSprTile& tile, const void* source, D3DFORMAT format,
                      UINT pitch) {
    IDirect3DSurface9* surface = nullptr;
    HRESULT hr = texture->GetSurfaceLevel(0, &surface);
    if (FAILED(hr)) return hr;
    RECT destination{0, 0, tile.width, tile.height};
    RECT sourceRect{tile.x, tile.y, tile.x + tile.width, tile.y + tile.height};
    hr = D3DXLoadSurfaceFromMemory(surface, nullptr, &destination, source, format, pitch, nullptr, &sourceRect,
                                   D3DX_FILTER_NONE, 0);
    surface->Release();
    return hr;
}

UINT HalvedWhileSet(UINT side) { return g_HalfSizeSprites ? std::max<UINT>(1, side >> 1) : side; }

}  // namespace

bool KSprImage::ConvertPixels(uint16_t* destination, int pitch, const uint8_t* source, size_t sourceSize, int width,
                              int height, const uint16_t* palette16, uint32_t colorCount) {
    if (width <= 0 || height <= 0 || pitch < width * 2) return false;
    return ConvertSprPixels(destination, size_t(pitch), uint32_t(width), uint32_t(height), source, sourceSize,
                            uint32_t(width), uint32_t(height), palette16, colorCount);
}

void KSprImage::AddFrameCost(int frame, uint32_t bytes) {
    m_cost += bytes;
    m_frameCosts[frame] += bytes;
}

void KSprImage::ReleaseFrameTiles(int frame) {
    if (m_packed) {
        for (KSprPackedTile& tile : m_packedFrames[frame].tiles) ReleaseAndNull(tile.texture);
    } else {
        for (KSprTile& tile : m_frames[frame].tiles) ReleaseAndNull(tile.texture);
    }
    m_cost -= std::min(m_cost, m_frameCosts[frame]);
    m_frameCosts[frame] = 0;
}

// Run-length frames are decoded once into 16-bit texels covering what the
// tiles show (at most 1024 x 1024); the tiles load sub-rectangles of it.
bool KSprImage::DecodeFrame(const KSprFrame& record, std::vector<uint16_t>* pixels, int* pitch) {
    uint32_t width = uint32_t(std::min(record.width, 1024));
    uint32_t height = uint32_t(std::min(record.height, 1024));
    pixels->assign(size_t(width) * height, 0);
    *pitch = int(width * 2);
    return ConvertSprPixels(pixels->data(), size_t(*pitch), width, height, record.data, record.dataLength,
                            uint32_t(record.width), uint32_t(record.height), GetPalette16(), uint32_t(m_colorCount));
}

void KSprImage::CreateFrameTiles(int frame) {
    if (m_packed || !HasFrame(frame)) return;
    KSprFrame& record = m_frames[frame];
    IDirect3DDevice9* device = picture_services::Device();
    if (record.tiles[0].texture || !device) return;
    ReleaseFrameTiles(frame);
    PlanFrameTiles(record);

    std::vector<uint16_t> decoded;
    const void* source = nullptr;
    UINT pitch = 0;
    D3DFORMAT format = m_dxt5 ? D3DFMT_DXT5 : D3DFMT_A4R4G4B4;
    if (record.tileCount == 0) {
        // Nothing to show.
    } else if (m_dxt5) {
        if (Dxt5FrameFits(record)) {
            source = record.data + SPR_DDS_HEADER_SIZE;
            pitch = Dxt5BlockRowBytes(uint32_t(record.width));
        }
    } else {
        int rowBytes = 0;
        if (!DecodeFrame(record, &decoded, &rowBytes)) g_DebugLog("[Pictures]frame %d: malformed runs", frame);
        source = decoded.data();
        pitch = UINT(rowBytes);
    }
    if (!source) g_DebugLog("[Pictures]frame %d: no usable frame data", frame);

    for (int t = 0; source && t < record.tileCount; ++t) {
        KSprTile& tile = record.tiles[t];
        bool stop = false;
        HRESULT hr = CreateSpriteTexture(
            [&] {
                return D3DXCreateTexture(device, UINT(tile.textureWidth), UINT(tile.textureHeight), 1, 0, format,
                                         D3DPOOL_MANAGED, &tile.texture);
            },
            false, &stop);
        if (FAILED(hr)) {
            tile.texture = nullptr;
            if (stop) break;
            continue;
        }
        if (FAILED(LoadTileLevel(tile.texture, tile, source, format, pitch)))
            g_DebugLog("[Pictures]frame %d tile %d: pixels not loaded", frame, t);
        AddFrameCost(frame, uint32_t(tile.textureWidth) * uint32_t(tile.textureHeight) * 2);
    }
    DropFrameData(record);
}

void KSprImage::ReadFrames(int frame, int loadArgument) {
    if (!m_packed || !HasFrame(frame)) return;
    IDirect3DDevice9* device = picture_services::Device();
    if (!device) return;
    KSprPackedFrame& record = m_packedFrames[frame];
    ReleaseFrameTiles(frame);
    D3DFORMAT format = loadArgument ? D3DFMT_A8R8G8B8 : D3DFMT_A4R4G4B4;
    if (picture_services::DxtSupported()) format = D3DFMT_UNKNOWN;  // as stored in the tile's file

    std::vector<uint8_t> buffer;
    for (int t = 0; t < record.tileCount; ++t) {
        KSprPackedTile& tile = record.tiles[t];
        if (tile.fileLength > buffer.size()) buffer.resize(tile.fileLength);
        if (tile.fileOffset > 0x7FFFFFFFu || m_file.Seek(int32_t(tile.fileOffset), 0) != tile.fileOffset ||
            m_file.Read(buffer.data(), tile.fileLength) != tile.fileLength) {
            g_DebugLog("[Pictures]packed frame %d tile %d: cannot read its image", frame, t);
            break;
        }
        UINT width = HalvedWhileSet(tile.textureWidth);
        UINT height = HalvedWhileSet(tile.textureHeight);
        uint32_t cost = 0;
        bool stop = false;
        HRESULT hr = CreateSpriteTexture(
            [&] {
                UINT before = device->GetAvailableTextureMem();
                HRESULT result = D3DXCreateTextureFromFileInMemoryEx(
                    device, buffer.data(), tile.fileLength, width, height, 1, 0, format, D3DPOOL_MANAGED, D3DX_DEFAULT,
                    D3DX_DEFAULT, 0, nullptr, nullptr, &tile.texture);
                UINT after = device->GetAvailableTextureMem();
                cost = before > after ? before - after : 0;
                return result;
            },
            true, &stop);
        if (FAILED(hr)) {
            tile.texture = nullptr;
            if (stop) break;
            continue;
        }
        AddFrameCost(frame, cost);
    }
}

bool KSprImage::InvalidateDeviceObjects() {
    for (int f = 0; f < FrameSlots(); ++f) ReleaseFrameTiles(f);
    m_cost = 0;
    return true;
}

bool KSprImage::RestoreDeviceObjects() { return true; }

bool KSprImage::Trim() {
    for (int f = 0; f < FrameSlots(); ++f) {
        if (GetTileTexture(f, 0)) {
            ReleaseFrameTiles(f);
            return true;
        }
    }
    m_cost = 0;
    return false;
}
