// The parallax background (scroll setting type 1): one tiled picture that
// moves more slowly than the focus and fills the paint rectangle, wrapping
// around the picture on both axes.
#pragma once

#include <cstdint>

#include "place/TiledPicture.h"

struct KScrollSetting;

class KScrollBackground {
public:
    // Shifts above this are as good as a fixed picture.
    static constexpr int kMaxShift = 31;

    virtual ~KScrollBackground() = default;

    bool LoadPicture(const char* name);
    // Frees the picture's tiles; the background stays disabled until a
    // setting loads a picture again.
    void Release();
    // Scale shifts, paint rectangle and start offsets from a type 1 setting
    // whose picture is loaded.
    void Setup(const KScrollSetting& setting);
    void SetEnabled(bool on) { m_enabled = on ? 1 : 0; }
    bool IsEnabled() const { return m_enabled != 0; }
    bool IsLoaded() const { return m_loaded != 0; }

    // The picture point drawn at the paint rectangle's top-left for a focus.
    void PictureOrigin(int focusX, int focusY, int* picX, int* picY) const;
    void Paint(int focusX, int focusY);

    int ShiftX() const { return m_shiftX; }
    int ShiftY() const { return m_shiftY; }
    int StartX() const { return m_startX; }
    int StartY() const { return m_startY; }
    KTiledPicture& Picture() { return m_picture; }

private:
    // Rows of whole pictures from the picture point (startX, startY), the
    // first row and column cut at it.
    void Fill(int startX, int startY);

    uint32_t m_enabled = 0;
    uint32_t m_loaded = 0;
    int32_t m_sceneCentreX = 0, m_sceneCentreY = 0;
    int32_t m_offsetX = 0, m_offsetY = 0;  // SceneCenterPoint - PicCenterPoint
    int32_t m_startX = 0, m_startY = 0;
    int32_t m_paintLeft = 0, m_paintTop = 0, m_paintRight = 0, m_paintBottom = 0;
    int32_t m_shiftX = -1, m_shiftY = -1;  // -1: the picture stays fixed
    int32_t m_pictureWidth = 0, m_pictureHeight = 0;
    KTiledPicture m_picture;
};
