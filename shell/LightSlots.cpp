// Slots 136 to 140: the glow list the overlay draws from, and the scene
// light list that feeds the device's fixed-function lights.
#include <cstring>

#include "lumiva/basrel/DebugLog.h"
#include "shell/KDrawShell.h"

namespace {

// The type word read as the host wrote it: a value outside the enumeration
// is never loaded as one.
bool HasLightType(const D3DLIGHT9& light) {
    uint32_t type = 0;
    std::memcpy(&type, reinterpret_cast<const unsigned char*>(&light) + offsetof(D3DLIGHT9, Type), sizeof type);
    return type == D3DLIGHT_POINT || type == D3DLIGHT_SPOT || type == D3DLIGHT_DIRECTIONAL;
}

}  // namespace

/* 136 */ void KDrawShell::AddGlowLight(const D3DLIGHT9* light) {
    if (light) lightGlow.glowLights.push_back(*light);
}

/* 137 */ int KDrawShell::AddLight(const D3DLIGHT9* light) {
    if (!light) return -1;
    D3DLIGHT9 copy;
    std::memcpy(&copy, light, sizeof copy);
    if (!HasLightType(copy)) {
        g_DebugLog("[D3DRender]AddLight: not a light type");
        return -1;
    }
    lights.push_back(copy);
    return int(lights.size());
}

/* 138 */ void KDrawShell::ClearLights() {
    EnableLight(-1, 0);
    lights.clear();
}

/* 139 */ int KDrawShell::GetLightCount() { return int(lights.size()); }

// A negative index applies to every light in order; the result is that of
// the last device call.
/* 140 */ HRESULT KDrawShell::EnableLight(int index, BYTE enable) {
    const auto count = static_cast<int64_t>(lights.size());
    if (index >= count) return E_FAIL;
    IDirect3DDevice9* device = GetDevice();
    if (!device) return E_FAIL;
    const int64_t first = index < 0 ? 0 : index;
    const int64_t last = index < 0 ? count : index + 1;
    HRESULT result = 0;
    for (int64_t i = first; i < last; ++i) {
        device->SetLight(DWORD(i), &lights[size_t(i)]);
        result = device->LightEnable(DWORD(i), enable);
    }
    if (enable) result = device->SetRenderState(D3DRS_AMBIENT, clearColour);
    return result;
}
