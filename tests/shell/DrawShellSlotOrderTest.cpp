// The host calls the shell by slot number: every operation must sit at its
// place in the table. A pointer to a virtual member function holds its
// table offset (Itanium ABI: offset in bytes + 1).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "shell/KDrawShell.h"

namespace {

template <typename Member>
long SlotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(uintptr_t));
    uintptr_t raw[2];
    std::memcpy(raw, &member, sizeof raw);
    EXPECT_EQ(raw[0] % sizeof(void*), 1u) << "not a virtual operation";
    return static_cast<long>((raw[0] - 1) / sizeof(void*));
}

struct SlotCase {
    const char* name;
    long slot;
};

#define SLOT(name) \
    SlotCase { #name, SlotOf(&IKDrawShell::name) }

TEST(DrawShellSlots, EveryOperationAtItsPlace) {
    const SlotCase slots[] = {
        SLOT(SetPresentExclusion),
        SLOT(ViewToScreen),
        SLOT(RenderDebugMeshes),
        SLOT(SetFreeCamera),
        SLOT(MoveFreeCamera),
        SLOT(SetFreeCameraTarget),
        SLOT(HitTestBox),
        SLOT(BeginBillboardState),
        SLOT(EndBillboardState),
        SLOT(HasDevice),
        SLOT(ReleaseQuadTable),
        SLOT(IsQuadTableReady),
        SLOT(SetZoomFactor),
        SLOT(SetFreeCameraZoomLimit),
        SLOT(SetReservedValue),
        SLOT(SaveScreenShotDDS),
        SLOT(CreateParticleSystem),
        SLOT(ReleaseParticleSystem),
        SLOT(Release),
        SLOT(Create),
        SLOT(ChangeDisplayMode),
        SLOT(SetDefaultRenderStates),
        SLOT(CreateWindowed),
        SLOT(ResizeBackBuffer),
        SLOT(GetDevice),
        SLOT(AttachDevice),
        SLOT(InitDeviceObjects),
        SLOT(DeleteDeviceObjects),
        SLOT(InvalidateDeviceObjects),
        SLOT(RestoreDeviceObjects),
        SLOT(SetRenderTargetImage),
        SLOT(CreateFont),
        SLOT(OutputText),
        SLOT(OutputTextEx),
        SLOT(GetTextExtent),
        SLOT(OutputTextInRect),
        SLOT(OutputTextInRectEx),
        SLOT(HitTestText),
        SLOT(ReleaseFont),
        SLOT(CreateImage),
        SLOT(RemoveImage),
        SLOT(ReleaseAllImages),
        SLOT(LockImage),
        SLOT(UnlockImage),
        SLOT(GetImageInfo),
        SLOT(GetImageFrameRect),
        SLOT(GetImageAlphaAt),
        SLOT(SetImageCacheParam),
        SLOT(Reserved48),
        SLOT(DrawPrimitives),
        SLOT(CompositePictureToCapture),
        SLOT(DrawImage),
        SLOT(ClearImage),
        SLOT(SetViewCenter),
        SLOT(CanDraw),
        SLOT(BeginFrame),
        SLOT(EndFrame),
        SLOT(ScreenToMap),
        SLOT(SetLightColorGrid),
        SLOT(SetOption),
        SLOT(GetZoomPercent),
        SLOT(SetTextImageHandler),
        SLOT(RemoveTextImageHandler),
        SLOT(SaveScreenShot),
        SLOT(ApplyBrightness),
        SLOT(SetBrightness),
        SLOT(Reserved66),
        SLOT(CreateModel),
        SLOT(CreateEffectNode),
        SLOT(ReleaseEffectNode),
        SLOT(ReadEffectHeader),
        SLOT(LoadLightning),
        SLOT(UnloadLightning),
        SLOT(CreateLightningSet),
        SLOT(ReleaseLightningSet),
        SLOT(CreateEffectInstance),
        SLOT(ReleaseEffectInstance),
        SLOT(ReleaseModel),
        SLOT(ClearWorldOffset),
        SLOT(HasWorldOffset),
        SLOT(SetClientFlag),
        SLOT(GetClientFlag),
        SLOT(GetAvailableTextureMem),
        SLOT(SetPresentWindow),
        SLOT(ClearScreen),
        SLOT(PresentRect),
        SLOT(PrepareOffscreenView),
        SLOT(RenderOffscreenView),
        SLOT(SetTextureRelease),
        SLOT(Reserved89),
        SLOT(Reserved90),
        SLOT(ToggleWindowMode),
        SLOT(IsWindowed),
        SLOT(CommitViewCenter),
        SLOT(GetVideoPolicy),
        SLOT(GetLastFrameCounter),
        SLOT(IncrementFrameCounter),
        SLOT(SetImageLoadThrottle),
        SLOT(IsImageLoadThrottled),
        SLOT(EnableBackRefresh),
        SLOT(IsBackRefreshEnabled),
        SLOT(Color565To8888),
        SLOT(GetPictureTextureFormat),
        SLOT(GetSystemInfo),
        SLOT(PreloadPictureFrames),
        SLOT(GetPictureFrameCost),
        SLOT(MeasureObjectMemory),
        SLOT(ProjectPoint),
        SLOT(ProjectPointF),
        SLOT(ProjectPointOffset),
        SLOT(ProjectPointOffsetF),
        SLOT(CreateRibbon),
        SLOT(UpdateRibbon),
        SLOT(DrawRibbons),
        SLOT(ReadCapturedPixels),
        SLOT(CapturePreview),
        SLOT(SetColorBlend),
        SLOT(IsInViewRange),
        SLOT(SampleOcclusionPixels),
        SLOT(TestOcclusionPixels),
        SLOT(GetCameraPos),
        SLOT(GetViewOrigin),
        SLOT(SaveRenderStates2),
        SLOT(RestoreRenderStates2),
        SLOT(LoadCoolSettings),
        SLOT(CreateChannelMagic),
        SLOT(ReleaseChannelMagic),
        SLOT(SetAlphaMode),
        SLOT(GetUiScale),
        SLOT(SetUiScale),
        SLOT(ShrinkPlaceGround),
        SLOT(SetCallback),
        SLOT(InvokeCallback),
        SLOT(SetGlobalAlpha),
        SLOT(DrawQuad3D),
        SLOT(DrawTexturedRect),
        SLOT(AddGlowLight),
        SLOT(AddLight),
        SLOT(ClearLights),
        SLOT(GetLightCount),
        SLOT(EnableLight),
        SLOT(SetSceneBright),
        SLOT(GetSceneBright),
        SLOT(CreateTableQuad),
        SLOT(DrawTableQuad),
        SLOT(ScreenToView),
        SLOT(GetFrameTime),
        SLOT(GetReservedFlag),
        SLOT(Reserved148),
        SLOT(RenderOwnViewPass),
        SLOT(GetWorldOffset),
        SLOT(GetFrameTimeSum),
        SLOT(GetLastFrameInterval),
        SLOT(SetPreviewObject),
        SLOT(SetWindowPresentExclusion),
        SLOT(BeginPreviewRender),
        SLOT(EndPreviewRender),
        SLOT(SetLargeScreen),
        SLOT(SetZoom),
        SLOT(GetImageCache),
        SLOT(CreateStaticMesh),
        SLOT(GetSparkColor),
        SLOT(ReleaseSparks),
        SLOT(Reserved163),
        SLOT(DrawRect),
        SLOT(DrawColorRect),
    };
    ASSERT_EQ(std::size(slots), 166u);
    for (long i = 0; i < 166; ++i) EXPECT_EQ(slots[i].slot, i) << slots[i].name;
}

TEST(DrawShellSlots, ClassOnlyOperationFollowsTheInterface) {
    EXPECT_EQ(SlotOf(&KDrawShell::RenderTimedPass), 166);
    // The class keeps the interface's places.
    EXPECT_EQ(SlotOf(&KDrawShell::SetPresentExclusion), 0);
    EXPECT_EQ(SlotOf(&KDrawShell::DrawColorRect), 165);
}

}  // namespace
