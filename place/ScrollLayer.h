// A layer of sprites over the scene: falling ones drawn in screen pixels
// (leaves, snow) or drifting ones that move with the ground (clouds,
// birds). The layer owns its items and up to nine pictures.
#pragma once

#include <cstdint>

#include "draw2d/primitives/PrimitiveRecords.h"
#include "place/PtrList.h"

struct KScrollItem {
    float x, y;
    int32_t width, height;  // from the picture entry
    int32_t picture;
    int32_t frame;
    int32_t signX, signY;  // +1 or -1
    int32_t angle;         // 64ths of a turn (drifting) or degrees (falling)
    float speed;
    float stepX, stepY;
};

struct KScrollPicture {
    KPrimPictureEx record;
    uint16_t frameCount, frameInterval, width, height;
    uint16_t more[3];  // centre x, y and the last value of the picture's information
};

class KScrollLayer {
public:
    static constexpr int kPictureSlots = 10;
    static constexpr int kMaxPictures = 9;
    static constexpr int kMaxItems = 4096;
    // Items drawn past the screen edge by this much come back on the other side.
    static constexpr int kFallMargin = 50;

    KScrollLayer();

    void ClearLayer();
    // False when nine pictures are loaded or the shell does not know it.
    bool AddPicture(const char* name);
    void SetBounds(int left, int top, int right, int bottom);
    void SetEnabled(bool on) { m_enabled = on ? 1 : 0; }
    bool IsEnabled() const { return m_enabled != 0; }
    void SetDoubleScale(bool on) { m_doubleScale = on ? 1 : 0; }

    // Falling items: angle in degrees, speed in pixels per tenth of a second.
    void SetupFall(int angle, float speed, int count, int focusX, int focusY);
    int UpdateFall();
    void PaintOnScreen();
    // Drifting items: angle in 64ths of a turn, speed in world units a step.
    void SetupDrift(int angle, float speed, int count, int focusX, int focusY);
    int UpdateDrift(int focusX, int focusY);
    void PaintInScene(int focusX, int focusY);

    // Half the width and height of the field drifting items live in.
    static void DriftRange(int* rx, int* ry);

    int PictureCount() const { return m_pictureCount; }
    KPtrList<KScrollItem>& Items() { return m_items; }
    int ItemCount() const { return m_items.Count(); }

private:
    int CappedCount(int count) const;
    void AddItem(float x, float y, int picture, int angle, float speed, bool withDirection);
    void RespawnFalling(KScrollItem& item);
    void DrawItem(KScrollItem& item, int x, int y);

    uint32_t m_enabled = 0;
    KPtrList<KScrollItem> m_items;
    int32_t m_boundsLeft = 0, m_boundsTop = 0, m_boundsRight = 0, m_boundsBottom = 0;
    int32_t m_screenLeft = 0, m_screenTop = 0, m_screenRight = 0, m_screenBottom = 0;
    KScrollPicture m_pictures[kPictureSlots];
    int32_t m_pictureCount = 0;
    int32_t m_baseAngle = 0;
    float m_baseSpeed = 0;
    int32_t m_itemCount = 0;
    int32_t m_liveCount = 0;
    int32_t m_doubleScale = 0;
    // The fall clock: started by the first UpdateFall.
    bool m_fallClockStarted = false;
    uint32_t m_lastFallTime = 0;
};
