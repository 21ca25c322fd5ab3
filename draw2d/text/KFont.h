// One font of the shell's font table: a glyph source with its glyph cache,
// advances, the pen left by the last string, and the saved text states.
#pragma once

#include <d3d9.h>
#include <wingdi.h>

#include <cstdint>

#include "draw2d/text/KGlyphCache.h"
#include "draw2d/text/TextStates.h"

// xKeep / yKeep value that continues from the pen of the last string.
constexpr int32_t kKeepPen = int32_t(0x80000000u);

class KFont final {
public:
    KFont();
    KFont(const KFont&) = delete;
    KFont& operator=(const KFont&) = delete;

    // Operations in slot order.
    virtual bool AttachDevice(IDirect3DDevice9* device);
    virtual bool CreateFontFace(const char* fileName, const LOGFONTA* description, int grayLevel);
    virtual void ReleaseFontFace();
    virtual void SetGradientColor(uint32_t argb);
    virtual void GetFontSize(int* width, int* height);
    virtual void SetFontSize(int advance, int lineHeight);
    virtual void DrawString(const char* text, float x, float y, int length, int xKeep, int yKeep, uint32_t colour,
                            int wrapWidth);
    virtual KFont* AddRef();
    virtual void Release();

    void SetMonoGlyphs(uint8_t mono) { m_mono = mono; }
    void InvalidateDeviceObjects();
    bool RestoreDeviceObjects();
    void SaveTextStates();
    void RestoreTextStates();

    bool HasFace() const { return m_hasFace != 0; }
    uint16_t RefCount() const { return m_refCount; }
    float CellWidth() const { return m_cellWidth; }
    float CellHeight() const { return m_cellHeight; }
    int HalfAdvance(int parity) const { return m_halfAdvance[parity & 1]; }
    int FullAdvance() const { return m_fullAdvance; }
    int LineHeight() const { return m_lineHeight; }
    bool IsGdi() const { return m_isGdi != 0; }
    int GrayLevel() const { return m_grayLevel; }
    uint8_t Mono() const { return m_mono; }
    IDirect3DTexture9* Texture() const { return m_texture; }
    float PenX() const { return m_penX; }
    float PenY() const { return m_penY; }
    KGlyphCache& Cache() { return m_cache; }

    // The count at which AddRef refuses.
    static constexpr uint16_t kMaxRefCount = 65535;

private:
    ~KFont();
    void ChooseAlphaCompare();
    // NT systems convert the code page to UCS-2 for GDI fonts.
    uint16_t CharacterCode(const uint8_t* bytes, int count, bool nt) const;
    void FlushBatch(const uint16_t* codes, KTextVertex* vertices, int quads, uint32_t gradient);

    uint8_t m_hasFace = 0;
    uint16_t m_refCount = 1;
    KGlyphCache m_cache;
    float m_cellWidth = 14.0f;
    float m_cellHeight = 14.0f;
    int32_t m_halfAdvance[2] = {8, 8};
    int32_t m_fullAdvance = 14;
    int32_t m_lineHeight = 14;
    uint8_t m_isGdi = 0;
    int32_t m_grayLevel = 0;
    uint8_t m_mono = 0;
    IDirect3DTexture9* m_texture = nullptr;
    float m_penX = 0.0f;
    float m_penY = 0.0f;
    TextStateValues m_savedStates{};
    bool m_holdsDevice = false;  // counted among the text device's holders
};
