// What the picture objects need from the device wrapper, the drawing shell
// and the image cache.
//
// The device, the DXT flag and the picture texture format come from the
// device wrapper and its video policy.
//
// PurgeIdle and PurgeAll reach the shell's image cache, ShrinkGroundPictures
// the shell's slot 130; tests may stand in for both through the setters
// below. Nothing else in textures/ reaches them any other way.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <functional>

namespace picture_services {

// The module's device (g_D3DDevice); null before one exists.
IDirect3DDevice9* Device();
// The format of JPEG and blank picture textures (g_PictureTextureFormat:
// R5G6B5, else X8R8G8B8).
D3DFORMAT PictureTextureFormat();
// True when the device takes DXT1 and DXT5 textures.
bool DxtSupported();
// The image cache's purges.
void PurgeIdle();
void PurgeAll();
// The shell's slot 130: halves its ground pictures; false once it can shrink
// them no further.
bool ShrinkGroundPictures();

// --- Test control of the stand-ins ---
void SetPurgeIdle(std::function<void()> purge);
void SetPurgeAll(std::function<void()> purge);
void SetShrinkGroundPictures(std::function<bool()> shrink);
// Back to the shell's image cache and ground pictures.
void Reset();

}  // namespace picture_services
