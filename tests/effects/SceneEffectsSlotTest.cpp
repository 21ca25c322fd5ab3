// The table order of the interfaces the host calls by slot: the particle
// system, its emitters and affectors, and the static mesh.
#include <gtest/gtest.h>

#include <vector>

#include "effects/KParticleSystem.h"
#include "effects/KStaticMesh.h"
#include "support/VirtualSlot.h"

namespace {

using test_support::SlotOf;

std::vector<long> Count(long n) {
    std::vector<long> slots;
    for (long i = 0; i < n; ++i) slots.push_back(i);
    return slots;
}

TEST(SceneEffectsSlots, OperationsSitInTheirTableOrder) {
    const std::vector<long> system = {
        SlotOf(&KParticleSystem::Render),          SlotOf(&KParticleSystem::SetParticleSize),
        SlotOf(&KParticleSystem::SetEmitter),      SlotOf(&KParticleSystem::AddAffector),
        SlotOf(&KParticleSystem::ClearAffectors),  SlotOf(&KParticleSystem::CreateSpreadEmitter),
        SlotOf(&KParticleSystem::CreateBoxEmitter), SlotOf(&KParticleSystem::CreateColorFader),
        SlotOf(&KParticleSystem::CreateVectorBlender), SlotOf(&KParticleSystem::SetPosition),
        SlotOf(&KParticleSystem::GetPosition),     SlotOf(&KParticleSystem::ReleaseResources),
        SlotOf(&KParticleSystem::EmptySlot12),     SlotOf(&KParticleSystem::EmptySlot13),
        SlotOf(&KParticleSystem::SetTexture)};
    EXPECT_EQ(system, Count(15));  // the destructor's entries follow

    // The emitter's destructor takes the first two entries.
    EXPECT_EQ(SlotOf(&KBoxEmitter::Emit), 2);
    EXPECT_EQ(SlotOf(&KBoxEmitter::SetVector), 3);
    EXPECT_EQ(SlotOf(&KBoxEmitter::SetVelocity), 4);
    EXPECT_EQ(SlotOf(&KSpreadEmitter::Release), 5);
    EXPECT_EQ(SlotOf(&KBoxEmitter::GetVelocity), 6);
    EXPECT_EQ(SlotOf(&KColorFader::Apply), 0);
    EXPECT_EQ(SlotOf(&KVectorBlender::Apply), 0);

    EXPECT_EQ(SlotOf(&KStaticMesh::SetVertices), 0);
    EXPECT_EQ(SlotOf(&KStaticMesh::SetIndices), 1);
    EXPECT_EQ(SlotOf(&KStaticMesh::SetTexture), 2);
}

}  // namespace
