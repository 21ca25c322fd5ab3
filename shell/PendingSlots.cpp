// Slots that later work fills in. Until then each returns the failure value
// its operation documents (false, 0, null, -1 or E_FAIL) and does nothing.
// Move a body out of this file when its operation is built.
#include "shell/KDrawShell.h"

/*  16 */ KParticleSystem* KDrawShell::CreateParticleSystem(int) { return nullptr; }
/*  17 */ void KDrawShell::ReleaseParticleSystem(KParticleSystem**) {}
/* 103 */ void KDrawShell::GetSystemInfo(KSystemInfo*) {}
/* 111 */ DWORD KDrawShell::CreateRibbon(DWORD, DWORD, float, float, const char*, DWORD, DWORD, DWORD) {
    return 0xFFFFFFFF;
}
/* 112 */ DWORD KDrawShell::UpdateRibbon(DWORD, DWORD) { return 0; }
/* 113 */ void KDrawShell::DrawRibbons(DWORD, int, int, int) {}
/* 130 */ bool KDrawShell::ShrinkPlaceGround() { return false; }
/* 134 */ void KDrawShell::DrawQuad3D(const float*, const float*, DWORD) {}
/* 136 */ void KDrawShell::AddGlowLight(const D3DLIGHT9*) {}
/* 137 */ int KDrawShell::AddLight(const D3DLIGHT9*) { return -1; }
/* 138 */ void KDrawShell::ClearLights() {}
/* 139 */ int KDrawShell::GetLightCount() { return 0; }
/* 140 */ HRESULT KDrawShell::EnableLight(int, BYTE) { return E_FAIL; }
/* 143 */ void KDrawShell::CreateTableQuad(int, float, float, float, float, float, float, float, float, float, float,
                                           float, float, BYTE) {}
/* 144 */ void KDrawShell::DrawTableQuad(const char*, int16_t, int) {}
/* 149 */ void KDrawShell::RenderOwnViewPass(KModelProxy**, int, int, int, int, int, DWORD) {}
/* 160 */ KStaticMesh* KDrawShell::CreateStaticMesh(int, int) { return nullptr; }
/* 166 */ void KDrawShell::RenderTimedPass(KStaticMesh*, int, int, int, int) {}
