// A sprite picture: every frame of an "SPR\0", "SDS2" or "SDS\0" file, each
// drawn as one, two or four power-of-two tiles made on first use.
//
// Unpacked sprites read their frames in one of two modes. Stream mode reads
// every frame's data from the file at open. Memory mode (the frame table
// cannot be read from the file) keeps the host library's header block and
// fetches a frame from it when the frame is first drawn, releasing it once
// its tiles exist. Packed sprites keep their file open and read each tile's
// embedded image when the frame is first drawn.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "KPakFile.h"
#include "SprFile.h"
#include "textures/KImageTexture.h"
#include "textures/SprFrame.h"

// One tile of a frame as the tile getters give it, all fields at once.
struct KSprTileView {
    uint16_t textureWidth, textureHeight, x, y, width, height;
    IDirect3DTexture9* texture;
};

// A frame's size, offset and tiles as the frame and tile getters give them.
struct KSprFrameView {
    uint16_t width, height, offsetX, offsetY;
    int tileCount;
    KSprTileView tiles[kMaxFrameTiles];
};

class KSprImage : public KImageTexture {
public:
    KSprImage();
    ~KSprImage() override;

    void Reset() override;
    bool Create(const char* name, int width, int height, int type, bool withSystemCopy) override;
    bool Open(const char* name, int type) override;
    void Close() override;
    bool InvalidateDeviceObjects() override;
    bool RestoreDeviceObjects() override;
    // Releases the tiles of the first frame that has them; false (and cost 0)
    // when none has.
    bool Trim() override;

    int GetCenterX() const override { return m_centerX; }
    int GetCenterY() const override { return m_centerY; }
    int GetHeaderWord16() const override { return m_word16; }
    int GetHeaderWord18() const override { return m_word18; }
    int GetFrameCount() const override { return m_frameCount; }

    // The name must be longer than four characters and end in ".spr" (any
    // case).
    bool OpenSpr(const char* name);
    // Makes frame ready to draw: fetches its data (memory mode) and, with
    // createTiles, its tiles. loadArgument non-zero asks packed tiles for
    // A8R8G8B8 instead of A4R4G4B4. The caller holds a reference across the
    // call: running out of memory may purge the image cache whole.
    bool LoadFrame(const char* name, int frame, bool createTiles, int loadArgument);
    // True when LoadFrame would find nothing to do: the frame's first tile
    // exists (or, packed and without createTiles, nothing is to be made).
    bool FrameReady(int frame, bool createTiles) const {
        if (!HasFrame(frame)) return false;
        if (m_packed) return m_packedFrames[size_t(frame)].tiles[0].texture || !createTiles;
        return m_frames[size_t(frame)].tiles[0].texture != nullptr;
    }
    void CreateFrameTiles(int frame);
    void ReadFrames(int frame, int loadArgument);
    // Run-length frame data to A4R4G4B4 texels, pitch bytes per row.
    static bool ConvertPixels(uint16_t* destination, int pitch, const uint8_t* source, size_t sourceSize, int width,
                              int height, const uint16_t* palette16, uint32_t colorCount);
    // Alpha 0..255 at (x, y) relative to the sprite.
    int GetPixelAlpha(int frame, int x, int y);

    // Every getter's answer for one frame in one call, for drawers that read
    // them all per draw; false (view untouched) for a frame out of range.
    bool GetFrameView(int frame, KSprFrameView* view) const;

    // Tile getters; out-of-range frames and tiles give 0 or null.
    int GetTileCount(int frame) const;
    IDirect3DTexture9* GetTileTexture(int frame, int tile) const;
    uint16_t GetTileTextureWidth(int frame, int tile) const;
    uint16_t GetTileTextureHeight(int frame, int tile) const;
    uint16_t GetTileX(int frame, int tile) const;
    uint16_t GetTileY(int frame, int tile) const;
    uint16_t GetTileWidth(int frame, int tile) const;
    uint16_t GetTileHeight(int frame, int tile) const;
    uint16_t GetFrameOffsetX(int frame) const;
    uint16_t GetFrameOffsetY(int frame) const;
    uint16_t GetFrameWidth(int frame) const;
    uint16_t GetFrameHeight(int frame) const;
    // Frame 0's run-length data and the 16-bit palette; null for packed
    // sprites.
    const uint8_t* GetRleFrameData() const;
    uint32_t GetRleFrameDataLength() const;
    const uint16_t* GetPalette16() const;

    bool IsPacked() const { return m_packed; }
    bool IsDxt5() const { return m_dxt5; }
    bool IsMemoryMode() const { return m_header != nullptr; }
    int GetColorCount() const { return m_colorCount; }
    const uint32_t* GetPalette32() const { return m_palette32.empty() ? nullptr : m_palette32.data(); }

private:
    using TileView = KSprTileView;
    bool TileAt(int frame, int tile, TileView* view) const;
    bool HasFrame(int frame) const { return frame >= 0 && frame < m_frameCount && frame < FrameSlots(); }
    int FrameSlots() const;

    void TakeHeaderFields(const SprHeaderFields& fields);
    bool OpenPacked(const SprHeaderFields& fields);
    void ReadPalette(const SprHeaderFields& fields);
    enum class StreamRead { Done, Unreadable, Malformed };
    StreamRead ReadFramesFromStream();
    bool KeepHeaderBlock(const SprHeaderFields& fields);
    bool FetchFrame(int frame);
    bool TableLength(int frame, uint32_t* length);
    void DropFrameData(KSprFrame& record);
    void ReleaseFrameTiles(int frame);
    void AddFrameCost(int frame, uint32_t bytes);
    bool DecodeFrame(const KSprFrame& record, std::vector<uint16_t>* pixels, int* pitch);
    uint8_t PixelAlphaRle(int frame, int x, int y);

    int32_t m_centerX = 0;
    int32_t m_centerY = 0;
    int32_t m_colorCount = 0;
    int32_t m_word16 = 1;
    int32_t m_word18 = 1;
    std::vector<uint8_t> m_palette24;
    std::vector<uint32_t> m_palette32;
    std::vector<uint16_t> m_palette16;
    int32_t m_frameCount = 1;
    SPRHEAD* m_header = nullptr;      // memory mode only
    uint8_t* m_frameTable = nullptr;  // inside m_header
    std::vector<KSprFrame> m_frames;
    bool m_packed = false;
    bool m_dxt5 = false;
    KPakFile m_file;
    std::vector<KSprPackedFrame> m_packedFrames;
    // Texture bytes each frame's tiles added to the cost, so dropping one
    // frame's tiles takes exactly those off.
    std::vector<uint32_t> m_frameCosts;
};
