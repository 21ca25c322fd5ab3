// Present parameters, the depth-format search and "Logs\D3DPP.log".
#include <cstdio>
#include <cstring>

#include "lumiva/basrel/DataRoot.h"
#include "shell/D3DDevice.h"

namespace {

struct KDepthStep {
    int depth;
    int stencil;
    D3DFORMAT tested;
    int nextDepth;  // 0: the chain ends
    int nextStencil;
};

constexpr KDepthStep kDepthSteps[] = {
    {32, 0, D3DFMT_D32, 24, 8},     {32, 1, D3DFMT_D24S8, 32, 4}, {32, 4, D3DFMT_D24X4S4, 24, 8},
    {32, 8, D3DFMT_D24S8, 32, 4},   {24, 0, D3DFMT_D24X8, 16, 8}, {24, 1, D3DFMT_D24S8, 24, 4},
    {24, 4, D3DFMT_D24X4S4, 24, 0}, {24, 8, D3DFMT_D24S8, 24, 4}, {16, 0, D3DFMT_D16, 0, 0},
    {16, 1, D3DFMT_D15S1, 16, 4},   {16, 4, D3DFMT_D15S1, 16, 0}, {16, 8, D3DFMT_D15S1, 16, 4},
};

const KDepthStep* FindDepthStep(int depth, int stencil) {
    for (const KDepthStep& step : kDepthSteps)
        if (step.depth == depth && step.stencil == stencil) return &step;
    return nullptr;
}

constexpr char kPresentLogFormat[] =
    "D3DPP:\t\t\t\t\t\t\tnDepth format:%d\n"
    "\t\t\t\t\t\tBack buffer count:%d\n"
    "\t\t\t\t\t\tBack buffer format:%d\n"
    "\t\t\t\t\t\tBack buffer height:%d\n"
    "\t\t\t\t\t\tBack buffer widthL:%d\n"
    "\t\t\t\t\t\tUse depth buffer:%d\n"
    "\t\t\t\t\t\tFlag:%d\n"
    "\t\t\t\t\t\tFullscreen present interval:%ud\n"
    "\t\t\t\t\t\tFullscreen refresh rate:%d\n"
    "\t\t\t\t\t\tMultisample type:%d\n"
    "\t\t\t\t\t\tSwap effect:%d\n"
    "\t\t\t\t\t\tWindow mode:%d\n";

}  // namespace

void WritePresentParamsLog(const D3DPRESENT_PARAMETERS& params) {
    const std::string text = FormatPresentParamsLog(params);
    std::string hostPath;
    if (!basrel::ResolveForWriting("Logs\\D3DPP.log", hostPath)) return;
    FILE* file = std::fopen(hostPath.c_str(), "w");
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

D3DFORMAT ChooseDepthFormatWith(int depthBits, int stencilBits, const std::function<bool(D3DFORMAT)>& accepts) {
    const KDepthStep* step = FindDepthStep(depthBits, stencilBits);
    // The chain always moves to fewer bits, so it ends; the cap guards the table.
    for (size_t guard = 0; step && guard < std::size(kDepthSteps); ++guard) {
        if (accepts(step->tested)) return step->tested;
        step = step->nextDepth ? FindDepthStep(step->nextDepth, step->nextStencil) : nullptr;
    }
    return D3DFMT_UNKNOWN;
}

bool DepthFormatHasStencil(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_D15S1:
        case D3DFMT_D24S8:
        case D3DFMT_D24X4S4:
        case D3DFMT_D24FS8:
            return true;
        default:
            return false;
    }
}

D3DFORMAT KD3DDevice::ChooseDepthFormat(int depthBits, int stencilBits) {
    if (!displayMode) return D3DFMT_UNKNOWN;
    return ChooseDepthFormatFor(displayMode->Format, depthBits, stencilBits);
}

D3DFORMAT KD3DDevice::ChooseDepthFormatFor(D3DFORMAT modeFormat, int depthBits, int stencilBits) const {
    IDirect3D9* d3d = g_D3DShell.d3d;
    if (!d3d || !adapterInfo || !deviceInfo) return D3DFMT_UNKNOWN;
    const UINT adapter = adapterInfo->Ordinal;
    const D3DDEVTYPE type = deviceInfo->DeviceType;
    return ChooseDepthFormatWith(depthBits, stencilBits, [&](D3DFORMAT format) {
        return SUCCEEDED(
            d3d->CheckDeviceFormat(adapter, type, modeFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format));
    });
}

void KD3DDevice::BuildPresentParams(D3DPRESENT_PARAMETERS* params, const KD3DModeInfo* mode) {
    std::memset(params, 0, sizeof(*params));
    params->BackBufferWidth = mode->Width;
    params->BackBufferHeight = mode->Height;
    params->BackBufferFormat = mode->Format;
    params->BackBufferCount = 1;
    params->MultiSampleType = D3DMULTISAMPLE_NONE;
    params->SwapEffect = g_Windowed ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD;
    params->hDeviceWindow = g_MainWindow;
    params->Windowed = g_Windowed ? TRUE : FALSE;
    params->EnableAutoDepthStencil = TRUE;
    // The probes ask about the mode being built: during a reset it is not
    // the stored one yet.
    const bool thirtyTwoBit = mode->Format == D3DFMT_A8R8G8B8 || mode->Format == D3DFMT_X8R8G8B8;
    params->AutoDepthStencilFormat =
        thirtyTwoBit ? ChooseDepthFormatFor(mode->Format, 32, 8) : ChooseDepthFormatFor(mode->Format, 16, 0);
    depth32 = DepthFormatHasStencil(params->AutoDepthStencilFormat);
    params->Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    params->FullScreen_RefreshRateInHz = 0;
    params->PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
}

std::string FormatPresentParamsLog(const D3DPRESENT_PARAMETERS& p) {
    char text[1024];
    const int length = std::snprintf(
        text, sizeof(text), kPresentLogFormat, static_cast<int>(p.AutoDepthStencilFormat),
        static_cast<int>(p.BackBufferCount), static_cast<int>(p.BackBufferFormat), static_cast<int>(p.BackBufferHeight),
        static_cast<int>(p.BackBufferWidth), static_cast<int>(p.EnableAutoDepthStencil), static_cast<int>(p.Flags),
        static_cast<unsigned>(p.PresentationInterval), static_cast<int>(p.FullScreen_RefreshRateInHz),
        static_cast<int>(p.MultiSampleType), static_cast<int>(p.SwapEffect), static_cast<int>(p.Windowed));
    if (length <= 0) return std::string();
    return std::string(text,
                       static_cast<size_t>(length) < sizeof(text) ? static_cast<size_t>(length) : sizeof(text) - 1);
}
