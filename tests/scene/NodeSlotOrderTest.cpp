// The host and the shell call nodes and effect nodes by slot: every
// operation must sit at its place.
#include <gtest/gtest.h>

#include "lumiva/IK3DEffectNode.h"
#include "lumiva/IK3DSceneNode.h"
#include "support/VirtualSlot.h"

namespace {

using test_support::SlotOf;

// The virtual destructor takes the first two entries of the node's table.
TEST(NodeSlots, SceneNodeOperationsInOrder) {
    const long slots[] = {
        SlotOf(&IK3DSceneNode::Detach),        SlotOf(&IK3DSceneNode::SetPosition),
        SlotOf(&IK3DSceneNode::AttachChild),   SlotOf(&IK3DSceneNode::AttachTo),
        SlotOf(&IK3DSceneNode::DetachChild),   SlotOf(&IK3DSceneNode::SetEnabled),
        SlotOf(&IK3DSceneNode::IsEnabled),     SlotOf(&IK3DSceneNode::UpdateTree),
        SlotOf(&IK3DSceneNode::GetPosition),   SlotOf(&IK3DSceneNode::BindTo),
        SlotOf(&IK3DSceneNode::Unbind),        SlotOf(&IK3DSceneNode::GetTimeStamp),
        SlotOf(&IK3DSceneNode::Update),        SlotOf(&IK3DSceneNode::SetMotionMode),
        SlotOf(&IK3DSceneNode::GetEffectNode), SlotOf(&IK3DSceneNode::SetEffectNode),
        SlotOf(&IK3DSceneNode::SetAttachedModel),
    };
    for (long i = 0; i < long(std::size(slots)); ++i) EXPECT_EQ(slots[i], i + 2) << "operation " << i + 2;
}

TEST(NodeSlots, EffectNodeOperationsInOrder) {
    const long slots[] = {
        SlotOf(&IK3DEffectNode::SetStartOffset), SlotOf(&IK3DEffectNode::SetPosition),
        SlotOf(&IK3DEffectNode::SetDirection),   SlotOf(&IK3DEffectNode::SetScale),
        SlotOf(&IK3DEffectNode::SetSpeed),       SlotOf(&IK3DEffectNode::GetDuration),
        SlotOf(&IK3DEffectNode::SetEnabled),     SlotOf(&IK3DEffectNode::IsValid),
    };
    for (long i = 0; i < long(std::size(slots)); ++i) EXPECT_EQ(slots[i], i) << "operation " << i;
}

}  // namespace
