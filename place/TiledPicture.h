// A large JPEG picture cut into 64 x 64 shell images, each under a key of
// its own, so any rectangle of it draws as a handful of tile fragments.
#pragma once

#include <cstdint>
#include <vector>

#include "draw2d/primitives/PrimitiveRecords.h"
#include "place/PicturePixelCopy.h"

struct QivImageContent;

struct KPictureTile {
    char key[32];
    uint32_t image;      // the shell's handle, which is also the key's file id
    uint16_t indexHint;  // the image cache's hint, kept between draws
    int32_t width;       // visible pixels within the tile: 64 except at the
    int32_t height;      // right and bottom edges
};
static_assert(sizeof(KPictureTile) == 48);

class KTiledPicture {
public:
    static constexpr int kTileShift = 6;
    static constexpr int kTileSide = 1 << kTileShift;
    static constexpr int kTileMask = kTileSide - 1;
    static constexpr int kKeyAttempts = 10240;

    KTiledPicture();
    ~KTiledPicture();
    KTiledPicture(const KTiledPicture&) = delete;
    KTiledPicture& operator=(const KTiledPicture&) = delete;

    // Decodes the picture and cuts it into tiles; false leaves nothing
    // loaded.
    bool LoadJpgPicture(const char* name);
    // count -1: the tile count of the current size. All or nothing.
    bool AllocateTiles(int count);
    void FreeTiles();
    // Draws the picture rectangle (picX, picY, w, h) with its top-left at the
    // screen point; the drawn size comes back (0 x 0 when the start lies
    // outside the picture).
    void DrawPart(int screenX, int screenY, int picX, int picY, int w, int h, int* drawnW, int* drawnH);

    // Mode 0: the id of the lower-cased name; 0 for a null or empty name.
    static uint32_t LowerFileNameToId(const char* name, int mode);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Rows() const { return m_rows; }
    int Columns() const { return m_columns; }
    bool IsLoaded() const { return m_loaded != 0; }
    int TileCount() const { return m_tileCount; }
    const KPictureTile& Tile(int index) const { return m_tiles[size_t(index)]; }
    // While set, DrawPart only measures.
    void SuppressDrawing(bool on) { m_drawingSuppressed = on ? 1 : 0; }

private:
    void SetSize(int width, int height);
    bool CopyTiles(const QivImageContent& picture, int decodeMask);
    bool CopyTile(KPictureTile& tile, const QivImageContent& picture, int decodeMask, int x0, int y0);
    void DrawFragment(KPictureTile& tile, int screenX, int screenY, int startX, int startY, int w, int h);

    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_imageFormat = 0;
    int32_t m_loaded = 0;
    std::vector<KPictureTile> m_tiles;
    int32_t m_tileCount = 0;
    int32_t m_rows = 0;
    int32_t m_columns = 0;
    uint32_t m_fileId = 0;
    KPrimPictureEx m_record;
    KColour565Table m_colours;
    uint8_t m_drawingSuppressed = 0;
};
