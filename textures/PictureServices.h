// What the picture objects need from the device wrapper, the drawing shell
// and the image cache.
//
// The device, the DXT flag and the picture texture format come from the
// device wrapper and its video policy.
//
// PurgeIdle and PurgeAll reach the shell's image cache (tests may stand in
// for it through the setters below).
//
// STAND-IN: the shell's slot 130 (shrinking the place's ground pictures)
// has no body yet; until it has, ShrinkGroundPictures does the least that
// works and tests set it through the setter below. Replace it here when it
// lands; nothing else in textures/ reaches it any other way.
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
// Purges that do nothing and ground pictures that cannot shrink.
void Reset();

}  // namespace picture_services
