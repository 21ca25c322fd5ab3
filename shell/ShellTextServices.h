// What text drawing asks of the shell, answered from the shell's own state.
#pragma once

#include "draw2d/text/ShellServicesForText.h"

class KDrawShell;

class KShellTextServices final : public ITextShellServices {
public:
    explicit KShellTextServices(KDrawShell& shell) : m_shell(shell) {}

    bool IsDeviceLost() override;
    IDirect3DDevice9* Device() override;
    // Through the camera the picture renderers use, after the world offset
    // when asked and its flag is set.
    void ProjectScenePoint(float x, float y, float z, float* screenX, float* screenY, float* screenZ,
                           bool withWorldOffset) override;
    void WorldOffsetCorrection(int32_t* x, int32_t* y) override;
    uint32_t GetSparkColor(int sparkId) override;
    ITextImageHandler* TextImageHandler() override;
    void DrawScreenLine(float x0, float y0, float x1, float y1, uint32_t colour) override;

private:
    KDrawShell& m_shell;
};
