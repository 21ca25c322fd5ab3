// What text drawing needs from the drawing shell, behind one interface:
// the shell answers it with KShellTextServices (shell/ShellTextServices.h);
// TextShellStandIn answers it without a shell, so the text code can be
// tested and measured on a bare device with a projection of the test's own.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <functional>
#include <map>

#include "lumiva/TextHostRecords.h"

class ITextShellServices {
public:
    virtual bool IsDeviceLost() = 0;
    virtual IDirect3DDevice9* Device() = 0;
    // A scene point to the screen: the world offset added when asked and its
    // flag is set, then projected with the shell's viewport, projection and view.
    virtual void ProjectScenePoint(float x, float y, float z, float* screenX, float* screenY, float* screenZ,
                                   bool withWorldOffset) = 0;
    // Screen correction of HitTestText on a scene point while the world
    // offset is on.
    virtual void WorldOffsetCorrection(int32_t* x, int32_t* y) = 0;
    virtual uint32_t GetSparkColor(int sparkId) = 0;
    virtual ITextImageHandler* TextImageHandler() = 0;
    // One screen-space line (a KPrimLine through DrawPrimitives).
    virtual void DrawScreenLine(float x0, float y0, float x1, float y1, uint32_t colour) = 0;

protected:
    ~ITextShellServices() = default;
};

// The body of DrawScreenLine on a device: untextured, diffuse-coloured,
// pre-transformed. A null device draws nothing.
void DrawScreenLineOn(IDirect3DDevice9* device, float x0, float y0, float x1, float y1, uint32_t colour);

class TextShellStandIn : public ITextShellServices {
public:
    using Projection = std::function<void(float, float, float, float*, float*, float*)>;

    bool IsDeviceLost() override { return m_lost; }
    IDirect3DDevice9* Device() override { return m_device; }
    void ProjectScenePoint(float x, float y, float z, float* screenX, float* screenY, float* screenZ,
                           bool withWorldOffset) override;
    void WorldOffsetCorrection(int32_t* x, int32_t* y) override;
    uint32_t GetSparkColor(int sparkId) override;
    ITextImageHandler* TextImageHandler() override { return m_handler; }
    void DrawScreenLine(float x0, float y0, float x1, float y1, uint32_t colour) override;

    void SetDevice(IDirect3DDevice9* device) { m_device = device; }
    void SetDeviceLost(bool lost) { m_lost = lost; }
    // Without a projection the scene point is taken as the screen point.
    void SetProjection(Projection projection) { m_projection = std::move(projection); }
    void SetWorldOffset(bool on, float x, float y, float z);
    void SetSparkColor(int sparkId, uint32_t argb) { m_sparks[sparkId] = argb; }
    void SetTextImageHandler(ITextImageHandler* handler) { m_handler = handler; }

private:
    IDirect3DDevice9* m_device = nullptr;
    bool m_lost = false;
    Projection m_projection;
    bool m_worldOffsetOn = false;
    float m_worldOffset[3] = {0, 0, 0};
    std::map<int, uint32_t> m_sparks;
    ITextImageHandler* m_handler = nullptr;
};
