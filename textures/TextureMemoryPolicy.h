// What picture texture creation does when video memory runs out: purge the
// image cache and retry once; sprites that keep failing switch the module to
// half-size sprite textures for good.
#pragma once

#include <d3d9.h>

#include <functional>

// Sprite tile creations that failed for lack of memory while sprites were
// still full size.
extern int g_SpriteTextureFailures;
// Once set, packed sprite tiles get half-size textures for the life of the
// module.
extern bool g_HalfSizeSprites;

constexpr HRESULT kOutOfSystemMemory = HRESULT(0x8007000E);  // E_OUTOFMEMORY

// Runs create; after a failure applies the sprite policy and runs it once
// more. outOfMemoryToo makes E_OUTOFMEMORY count as running out of video
// memory (packed tiles). stopFrame is set when the frame's remaining tiles
// must not be made: the retry failed too, or the cache was purged whole.
HRESULT CreateSpriteTexture(const std::function<HRESULT()>& create, bool outOfMemoryToo, bool* stopFrame);

// Runs create; after a failure purges the cache's idle pictures when memory
// ran out, and runs it once more (JPEG and blank pictures).
HRESULT CreatePictureTexture(const std::function<HRESULT()>& create);
