// A JPEG picture, or a blank picture the host paints into: one tile, a
// default-pool texture, and a system-memory copy that refills it.
#pragma once

#include <d3d9.h>

#include "textures/KImageTexture.h"
#include "textures/SprFrame.h"

class KJpgImage : public KImageTexture {
public:
    KJpgImage();
    ~KJpgImage() override;

    void Reset() override;
    // A blank picture: type 0 (picture texture format) or 2 (A8R8G8B8), each
    // side 0..1024.
    bool Create(const char* name, int width, int height, int type, bool withSystemCopy) override;
    bool Open(const char* name, int type) override;
    void Close() override;
    bool InvalidateDeviceObjects() override;
    bool RestoreDeviceObjects() override;
    bool Trim() override;

    bool LoadJpeg(const char* name);
    // Clears the texture to colour 0 through the device.
    bool ClearTexture();
    // Locks the system-memory copy; false without one.
    bool LockPixels(void** bits, int* pitch);
    // Unlocks the copy and uploads it to the texture.
    bool UnlockPixels();

    const KSprFrame& GetFrame() const { return m_frame; }
    IDirect3DTexture9* GetTexture() const { return m_frame.tiles[0].texture; }
    IDirect3DTexture9* GetSystemCopy() const { return m_systemCopy; }
    D3DFORMAT GetFormat() const { return m_format; }

private:
    void SetSingleTile(int width, int height);
    bool CreateDefaultTexture(D3DFORMAT format);
    bool CreateSystemCopy();
    bool Upload();
    void ReleaseTextures();

    KSprFrame m_frame;
    IDirect3DTexture9* m_systemCopy = nullptr;
    D3DFORMAT m_format = D3DFMT_UNKNOWN;
};
