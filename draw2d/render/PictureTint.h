// The factor that fades and darkens JPEG pictures: for a percent of 0..100
// the first stage modulates the texture by it around a draw, and the stage
// states and the factor come back afterwards. Other percents change nothing.
#pragma once

#include <windows.h>

struct IDirect3DDevice9;

class KPictureTint {
public:
    // A negative brightness is full brightness; beyond 1.0 it saturates.
    KPictureTint(int percent, float brightness);

    bool Applies() const { return m_applies; }
    // Saves the states it changes, then sets them.
    void Begin(IDirect3DDevice9* device);
    // Gives back what Begin saved.
    void End(IDirect3DDevice9* device);

private:
    static constexpr int kStageStates = 6;

    bool m_applies;
    DWORD m_factor = 0;
    DWORD m_saved[kStageStates] = {};
    DWORD m_savedFactor = 0;
};
