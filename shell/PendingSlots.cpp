// Slots that later work fills in. Until then each returns the failure value
// its operation documents (false, 0, null, -1 or E_FAIL) and does nothing.
// Move a body out of this file when its operation is built.
#include "shell/KDrawShell.h"

/*   0 */ void KDrawShell::SetPresentExclusion(BYTE, int, int, int, int) {}
/*   1 */ void KDrawShell::ViewToScreen(int*, int*) {}
/*   2 */ void KDrawShell::RenderDebugMeshes(WORD, DWORD, DWORD) {}
/*   4 */ void KDrawShell::MoveFreeCamera(BYTE, WORD) {}
/*   5 */ void KDrawShell::SetFreeCameraTarget(float, float, float) {}
/*   6 */ bool KDrawShell::HitTestBox(float, float, float, float, float, float, float, float, float, int, int) {
    return false;
}
/*   7 */ void KDrawShell::BeginBillboardState(DWORD) {}
/*   8 */ void KDrawShell::EndBillboardState(DWORD) {}
/*  15 */ void KDrawShell::SaveScreenShotDDS() {}
/*  16 */ KParticleSystem* KDrawShell::CreateParticleSystem(int) { return nullptr; }
/*  17 */ void KDrawShell::ReleaseParticleSystem(KParticleSystem**) {}
/*  49 */ void KDrawShell::DrawPrimitives(int, void*, DWORD, int, BYTE, int, float) {}
/*  50 */ void KDrawShell::CompositePictureToCapture(void*) {}
/*  55 */ void KDrawShell::BeginFrame(int, DWORD, KModelProxy*) {}
/*  56 */ void KDrawShell::EndFrame() {}
/*  57 */ void KDrawShell::ScreenToMap(int*, int*, int) {}
/*  58 */ void KDrawShell::SetLightColorGrid(int, int, const DWORD*) {}
/*  63 */ bool KDrawShell::SaveScreenShot(const char*, int, int) { return false; }
/*  67 */ KModelProxy* KDrawShell::CreateModel(const char*) { return nullptr; }
/*  68 */ IK3DEffectNode* KDrawShell::CreateEffectNode(const char*, DWORD) { return nullptr; }
/*  69 */ void KDrawShell::ReleaseEffectNode(IK3DEffectNode*) {}
/*  70 */ DWORD KDrawShell::ReadEffectHeader(const char*) { return 0; }
/*  71 */ KLightning* KDrawShell::LoadLightning(const char*) { return nullptr; }
/*  72 */ void KDrawShell::UnloadLightning(const char*) {}
/*  73 */ KLightningSet* KDrawShell::CreateLightningSet(const char*) { return nullptr; }
/*  74 */ void KDrawShell::ReleaseLightningSet(KLightningSet*) {}
/*  75 */ K3DEffectInstance* KDrawShell::CreateEffectInstance(const char*) { return nullptr; }
/*  76 */ void KDrawShell::ReleaseEffectInstance(K3DEffectInstance*) {}
/*  77 */ bool KDrawShell::ReleaseModel(KModelProxy*) { return false; }
/*  83 */ void KDrawShell::SetPresentWindow(DWORD, DWORD, HWND) {}
/*  84 */ bool KDrawShell::ClearScreen() { return false; }
/*  85 */ bool KDrawShell::PresentRect(int, int) { return false; }
/*  86 */ bool KDrawShell::PrepareOffscreenView(void*, int, int, int) { return false; }
/*  87 */ void KDrawShell::RenderOffscreenView(void*, int, int, int) {}
/*  88 */ void KDrawShell::SetTextureRelease(int) {}
/*  99 */ bool KDrawShell::EnableBackRefresh(BYTE) { return false; }
/* 101 */ DWORD KDrawShell::Color565To8888(WORD) { return 0; }
/* 103 */ void KDrawShell::GetSystemInfo(KSystemInfo*) {}
/* 104 */ DWORD KDrawShell::PreloadPictureFrames(const char*) { return 0; }
/* 105 */ DWORD KDrawShell::GetPictureFrameCost(const char*, int) { return 0; }
/* 106 */ DWORD KDrawShell::MeasureObjectMemory(const char*) { return 0; }
/* 107 */ void KDrawShell::ProjectPoint(int*, int*, int) {}
/* 108 */ void KDrawShell::ProjectPointF(float*, float*, float) {}
/* 109 */ void KDrawShell::ProjectPointOffset(int*, int*, int, int, int) {}
/* 110 */ void KDrawShell::ProjectPointOffsetF(float*, float*, float, float, float) {}
/* 111 */ DWORD KDrawShell::CreateRibbon(DWORD, DWORD, float, float, const char*, DWORD, DWORD, DWORD) {
    return 0xFFFFFFFF;
}
/* 112 */ DWORD KDrawShell::UpdateRibbon(DWORD, DWORD) { return 0; }
/* 113 */ void KDrawShell::DrawRibbons(DWORD, int, int, int) {}
/* 114 */ void KDrawShell::ReadCapturedPixels(int, int, int, int) {}
/* 115 */ void KDrawShell::CapturePreview(const char*, int, int, int, int) {}
/* 116 */ void KDrawShell::SetColorBlend() {}
/* 117 */ bool KDrawShell::IsInViewRange(float, float, float, float, float, float, float, float, float, float, float,
                                         float, float, float, float) {
    return false;
}
/* 118 */ void KDrawShell::SampleOcclusionPixels() {}
/* 119 */ bool KDrawShell::TestOcclusionPixels() { return false; }
/* 122 */ void KDrawShell::SaveRenderStates2() {}
/* 123 */ void KDrawShell::RestoreRenderStates2() {}
/* 125 */ KChannelMagic* KDrawShell::CreateChannelMagic() { return nullptr; }
/* 126 */ void KDrawShell::ReleaseChannelMagic(KChannelMagic*) {}
/* 127 */ void KDrawShell::SetAlphaMode(DWORD, DWORD, DWORD) {}
/* 129 */ void KDrawShell::SetUiScale(float) {}
/* 130 */ bool KDrawShell::ShrinkPlaceGround() { return false; }
/* 133 */ void KDrawShell::SetGlobalAlpha(float) {}
/* 134 */ void KDrawShell::DrawQuad3D(const float*, const float*, DWORD) {}
/* 135 */ void KDrawShell::DrawTexturedRect(float, float, float, float, DWORD, DWORD, DWORD, DWORD) {}
/* 136 */ void KDrawShell::AddGlowLight(const D3DLIGHT9*) {}
/* 137 */ int KDrawShell::AddLight(const D3DLIGHT9*) { return -1; }
/* 138 */ void KDrawShell::ClearLights() {}
/* 139 */ int KDrawShell::GetLightCount() { return 0; }
/* 140 */ HRESULT KDrawShell::EnableLight(int, BYTE) { return E_FAIL; }
/* 143 */ void KDrawShell::CreateTableQuad(int, float, float, float, float, float, float, float, float, float, float,
                                           float, float, BYTE) {}
/* 144 */ void KDrawShell::DrawTableQuad(const char*, int16_t, int) {}
/* 145 */ void KDrawShell::ScreenToView(int*, int*) {}
/* 149 */ void KDrawShell::RenderOwnViewPass(KModelProxy**, int, int, int, int, int, DWORD) {}
/* 153 */ void KDrawShell::SetPreviewObject(KPrimPicture*) {}
/* 155 */ void KDrawShell::BeginPreviewRender() {}
/* 156 */ void KDrawShell::EndPreviewRender() {}
/* 160 */ KStaticMesh* KDrawShell::CreateStaticMesh(int, int) { return nullptr; }
/* 164 */ void KDrawShell::DrawRect(int, int, int, int, DWORD) {}
/* 165 */ void KDrawShell::DrawColorRect(KColorRect*, const char*, int, int) {}
/* 166 */ void KDrawShell::RenderTimedPass(KStaticMesh*, int, int, int, int) {}
