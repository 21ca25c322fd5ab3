// The module's one Direct3D device: creation under the video policy,
// present parameters, fixed states, viewport and scene brackets.
// One instance, g_D3DDevice; drawing code reads g_D3DDevice.device.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "shell/D3DShell.h"

struct KViewportRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class KD3DDevice {
public:
    KD3DDevice();
    ~KD3DDevice();
    KD3DDevice(const KD3DDevice&) = delete;
    KD3DDevice& operator=(const KD3DDevice&) = delete;

    void Clear();
    bool CreateDevice(KD3DAdapterInfo* adapter, KD3DDeviceInfo* deviceType, KD3DModeInfo* mode);
    void ReleaseDevice();
    bool ResetDevice(KD3DModeInfo* mode);
    void BuildPresentParams(D3DPRESENT_PARAMETERS* params, const KD3DModeInfo* mode);
    D3DFORMAT ChooseDepthFormat(int depthBits, int stencilBits);
    void SetDeviceRenderStates();
    void SetViewportRect(int left, int right, int top, int bottom, float minZ, float maxZ);
    // The six viewport values last set, for the shell's frame.
    void GetViewport(D3DVIEWPORT9* out) const { *out = viewport; }
    bool BeginScene();
    bool EndScene();
    void CreateSkinningShaders();
    void ReleaseSkinningShaders();
    // Shader n (0 to 3) blends n + 1 bone influences; null when it does
    // not exist or n is out of range.
    IDirect3DVertexShader9* GetSkinningShader(int n) const;
    bool PrepareReset() { return true; }
    bool CompleteReset() { return true; }

    // The gamma ramp the device had at start-up, put back at shutdown.
    // Restoring does nothing until a ramp was saved.
    void SaveGammaRamp();
    void RestoreGammaRamp();
    // The destructor's clean-up: shaders, device, fields.
    void Teardown();

    const D3DCAPS9& GetCaps() const { return caps; }

    IDirect3DDevice9* device;
    D3DPRESENT_PARAMETERS presentParams;
    KD3DAdapterInfo* adapterInfo;
    KD3DDeviceInfo* deviceInfo;
    KD3DModeInfo* displayMode;
    KViewportRect viewportRect;
    D3DCAPS9 caps;
    D3DVIEWPORT9 viewport;
    uint32_t availableTextureMem;
    bool inScene;
    // The depth format has stencil bits: the frame loop clears the stencil too.
    bool depth32;
    DWORD behaviorFlags;
    IDirect3DVertexShader9* skinShaders[4];
    D3DGAMMARAMP savedGammaRamp;
    bool gammaSaved;

private:
    bool ApplyVideoPolicy();
    bool CheckTextureFormat(D3DFORMAT adapterFormat, DWORD usage, D3DFORMAT format) const;
    D3DFORMAT ChooseDepthFormatFor(D3DFORMAT modeFormat, int depthBits, int stencilBits) const;
};

extern KD3DDevice g_D3DDevice;

// Walks the depth-format fallbacks for a request, asking `accepts` about one
// format per step; D3DFMT_UNKNOWN when the chain ends without a format.
D3DFORMAT ChooseDepthFormatWith(int depthBits, int stencilBits, const std::function<bool(D3DFORMAT)>& accepts);
bool DepthFormatHasStencil(D3DFORMAT format);

// The text "Logs\D3DPP.log" holds. Other tools parse it, so its odd spots
// (the stray "n", "widthL", "%ud") stay as they are.
std::string FormatPresentParamsLog(const D3DPRESENT_PARAMETERS& params);
// Replaces "Logs\D3DPP.log"; a file that cannot be opened is skipped.
void WritePresentParamsLog(const D3DPRESENT_PARAMETERS& params);
