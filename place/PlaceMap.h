// The mini-map: the map's picture ("%s24.jpg" of its folder) decoded once
// and copied, around the view centre, into a window of 8 x 8 shell images
// of 128 x 128 pixels; the visible part is drawn on screen, composed into
// the capture, or handed to the host with the pictures for its icons. One
// mini-map pixel covers 16 world units across and 32 down.
#pragma once

#include <cstdint>

#include "lumiva/PrimitiveRecords.h"
#include "place/MapIconRecord.h"
#include "place/PicturePixelCopy.h"

class KIniFile;
struct QivImageContent;

struct KMapBlock {
    char key[32];
    uint32_t image;
    int16_t indexHint;
};

class KPlaceMap {
public:
    static constexpr int kBlocksPerSide = 8;
    static constexpr int kBlockCount = kBlocksPerSide * kBlocksPerSide;
    static constexpr int kBlockSide = 128;
    static constexpr int kUnitsX = 16;  // world units per mini-map pixel
    static constexpr int kUnitsY = 32;
    static constexpr int kMaxViewSide = 896;
    static constexpr int32_t kUnknown = 0x7FFFFFFF;
    static constexpr uint32_t kFlagShown = 1;
    static constexpr uint32_t kFlagIconsA = 2;
    static constexpr uint32_t kFlagIconsB = 4;

    KPlaceMap();
    ~KPlaceMap();
    KPlaceMap(const KPlaceMap&) = delete;
    KPlaceMap& operator=(const KPlaceMap&) = delete;

    // Once, when the shell exists: the block images, the icon names and the
    // show-obstacle switch.
    void LoadSettings();
    // The map's settings file and folder; no picture without either.
    void LoadMap(const KIniFile* ini, const char* folder);
    // Decodes the picture the first time and copies the window's blocks.
    void BuildPicture();
    void SetCentre(int x, int y, bool rebuild);
    void SetFlags(uint32_t flags);
    void SetSize(int width, int height);
    // a: compose into the capture; b: draw at full brightness (and passed to
    // the host's icons).
    void Paint(int x, int y, bool isCurrentMap, int a, int b);

    // The map's world rectangle; returns whether there is a picture.
    bool GetView(int32_t rect[4]) const;
    // Origin and centre in mini-map pixels into values 2, 3 and 6, 7.
    bool GetBounds(int32_t record[8]) const;
    // The decoded picture's size.
    bool GetOrigin(int32_t* width, int32_t* height) const;

    // The host's mini-map calls, made only while a picture is loaded.
    int32_t QueryHost(int32_t value) const;
    void PassToHost(int32_t value) const;

    // The block images go back to the shell (the place's Release).
    void ReleaseImages();
    // The decoded picture is dropped (the place's UnloadMap).
    void DropPicture();

    bool HasPicture() const { return m_hasPicture != 0; }
    bool ShowObstacle() const { return m_showObstacle; }
    int ViewWidth() const { return m_viewWidth; }
    int ViewHeight() const { return m_viewHeight; }
    int CentreX() const { return m_centreX; }
    int CentreY() const { return m_centreY; }
    int WindowOriginX() const { return m_windowOriginX; }
    int WindowOriginY() const { return m_windowOriginY; }
    int OriginX() const { return m_originX; }
    int OriginY() const { return m_originY; }
    const int32_t* ViewWindow() const { return m_viewWindow; }
    const KMapBlock& Block(int index) const { return m_blocks[index]; }
    const char* PictureName() const { return m_pictureName; }
    const char* SelfIcon() const { return m_selfIcon; }

private:
    bool CreateBlockImages();
    void ReadIconSettings();
    bool DecodePicture();
    void CopyBlock(int row, int column);
    void UpdateVisibleBlocks();
    void DrawBlocks(int x, int y, int a, int b);
    void SendIcons(int x, int y, int b);

    uint32_t m_hasPicture = 0;
    uint8_t m_prepared = 0;
    // The blocks hold the picture around the current window origin.
    bool m_blocksBuilt = false;
    char m_pictureName[160] = {};
    int32_t m_originX = 0, m_originY = 0;
    QivImageContent* m_picture = nullptr;
    int m_decodeMask = -1;
    int32_t m_windowOriginX = 0, m_windowOriginY = 0;
    int32_t m_centreX = 0, m_centreY = 0;
    int32_t m_minX = kUnknown, m_minY = kUnknown, m_maxX = kUnknown, m_maxY = kUnknown;
    int32_t m_viewWidth = 0, m_viewHeight = 0;
    uint32_t m_flags = 0;
    KMapBlock m_blocks[kBlockCount] = {};
    int32_t m_viewWindow[4] = {};
    // Visible blocks and the pixel offsets in the first and last of them.
    int32_t m_firstColumn = 0, m_firstRow = 0, m_lastColumn = -1, m_lastRow = -1;
    int32_t m_firstOffsetX = 0, m_firstOffsetY = 0, m_lastOffsetX = 0, m_lastOffsetY = 0;
    char m_selfIcon[128] = {};
    char m_iconNames[6][80] = {};
    KPrimPicture m_taskIcons[3];
    uint16_t m_taskIconSizes[3][2] = {};
    KPrimPictureEx m_record;
    KColour565Table m_colours;
    uint32_t m_lastSendTime = 0;
    bool m_showObstacle = false;
};
