// The demo host calls the module's handles through its own views of their
// tables (host/ModelHandle.h, host/EffectHandles.h): every operation must
// sit in the module's slot.
#include <gtest/gtest.h>

#include "effects/KChannelMagic.h"
#include "effects/KLightning.h"
#include "effects/KParticleSystem.h"
#include "host/EffectHandles.h"
#include "host/ModelHandle.h"
#include "scene/KModelProxy.h"
#include "support/VirtualSlot.h"

namespace {

using test_support::SlotOf;

#define SAME_SLOT(View, Module, Operation) \
    EXPECT_EQ(SlotOf(&View::Operation), SlotOf(&Module::Operation)) << #Operation

TEST(HostHandleView, ModelHandleOperationsSitInTheModuleSlots) {
#define MODEL_SLOT(Operation) SAME_SLOT(IModelHandle, KModelProxy, Operation)
    MODEL_SLOT(GetShapeState); MODEL_SLOT(ClearShapeState); MODEL_SLOT(SetShapeTimeDivisor);
    MODEL_SLOT(SetShapeParams); MODEL_SLOT(GetModel); MODEL_SLOT(SetColor); MODEL_SLOT(GetColor);
    MODEL_SLOT(AttachChild); MODEL_SLOT(AttachTo); MODEL_SLOT(BindTo); MODEL_SLOT(Unbind); MODEL_SLOT(UnbindAll);
    MODEL_SLOT(GetBindValues); MODEL_SLOT(Detach); MODEL_SLOT(GetAnimationProgress); MODEL_SLOT(GetAnimationFlag);
    MODEL_SLOT(SetAnimationFlag); MODEL_SLOT(HasMesh); MODEL_SLOT(GetTrackCount); MODEL_SLOT(SetMaterial);
    MODEL_SLOT(InitMaterial); MODEL_SLOT(SetMesh); MODEL_SLOT(InitMesh); MODEL_SLOT(SetPaused);
    MODEL_SLOT(PlayAnimation); MODEL_SLOT(Clear); MODEL_SLOT(SetAlpha); MODEL_SLOT(SetDepthWrite);
    MODEL_SLOT(UpdateBindEffects); MODEL_SLOT(SetGlobalFlag); MODEL_SLOT(SetAnimationPosition);
    MODEL_SLOT(SetHeading); MODEL_SLOT(SetPosition); MODEL_SLOT(SetScale); MODEL_SLOT(SetScaleFactor);
    MODEL_SLOT(SetAnimationSpeed); MODEL_SLOT(GetAnimationLength); MODEL_SLOT(Reserved); MODEL_SLOT(SetMeshFlag);
    MODEL_SLOT(SetMeshParams); MODEL_SLOT(SetShadowTextureName); MODEL_SLOT(SetColorOffset);
    MODEL_SLOT(GetColorOffset); MODEL_SLOT(SetMaterialTexture); MODEL_SLOT(IsTrailLoaded);
    MODEL_SLOT(GetTrailFileName); MODEL_SLOT(LoadTrail); MODEL_SLOT(StartTrail); MODEL_SLOT(StopTrail);
    MODEL_SLOT(LoadEffectList); MODEL_SLOT(RemoveBindEffect); MODEL_SLOT(RemoveAllBindEffects);
    MODEL_SLOT(AddBindEffect); MODEL_SLOT(SetBindEffectSocket); MODEL_SLOT(GetBounds); MODEL_SLOT(SetAnimationMode);
    MODEL_SLOT(SetMaterialValue); MODEL_SLOT(SetCoolTrail); MODEL_SLOT(SetBindFlag); MODEL_SLOT(SetEnabled);
    MODEL_SLOT(IsEnabled); MODEL_SLOT(UpdateTree); MODEL_SLOT(GetPosition); MODEL_SLOT(SetMotionMode);
    MODEL_SLOT(AttachByName); MODEL_SLOT(SetEffectDirection); MODEL_SLOT(SetEffectScale); MODEL_SLOT(GetSceneNode);
    MODEL_SLOT(SetShapeFlag); MODEL_SLOT(GetShapeFlag); MODEL_SLOT(AddRef); MODEL_SLOT(Release);
    MODEL_SLOT(DrawShadow);
#undef MODEL_SLOT
    EXPECT_EQ(SlotOf(&IModelHandle::DrawShadow), 72);
}

TEST(HostHandleView, EffectOperationsSitInTheModuleSlots) {
    SAME_SLOT(IChannelBeam, KChannelMagic, Load);
    SAME_SLOT(IChannelBeam, KChannelMagic, SetEndPoints);
    SAME_SLOT(IChannelBeam, KChannelMagic, Render);
    SAME_SLOT(ILightningEnds, KLightning, SetStart);
    SAME_SLOT(ILightningEnds, KLightning, SetEnd);
    SAME_SLOT(IParticles, KParticleSystem, Render);
    SAME_SLOT(IParticles, KParticleSystem, CreateVectorBlender);
    SAME_SLOT(IParticles, KParticleSystem, SetPosition);
}

#undef SAME_SLOT

}  // namespace
