// The host implements IScenePlaceHost and the module calls it by slot; the
// memory file's operations sit after its two destructor entries.
#include <gtest/gtest.h>

#include <iterator>

#include "lumiva/IScenePlaceHost.h"
#include "place/RegionPack.h"
#include "support/VirtualSlot.h"

namespace {

using test_support::SlotOf;

TEST(PlaceSlots, HostOperationsInOrder) {
    const long slots[] = {
        SlotOf(&IScenePlaceHost::Unused0),          SlotOf(&IScenePlaceHost::IsPlayerObject),
        SlotOf(&IScenePlaceHost::GetLinkedModel),   SlotOf(&IScenePlaceHost::FindRegionId),
        SlotOf(&IScenePlaceHost::AttachRegion),     SlotOf(&IScenePlaceHost::DetachRegion),
        SlotOf(&IScenePlaceHost::FindObjectModel),  SlotOf(&IScenePlaceHost::SetPerspective),
        SlotOf(&IScenePlaceHost::GetObjectLight),   SlotOf(&IScenePlaceHost::PaintObject),
        SlotOf(&IScenePlaceHost::PaintMapIcons),    SlotOf(&IScenePlaceHost::QueryMiniMap),
        SlotOf(&IScenePlaceHost::PassMiniMapValue), SlotOf(&IScenePlaceHost::Unused13),
        SlotOf(&IScenePlaceHost::NotifyModelMove),  SlotOf(&IScenePlaceHost::OnDeviceRestored),
    };
    for (long i = 0; i < long(std::size(slots)); ++i) EXPECT_EQ(slots[i], i) << "operation " << i;
}

TEST(PlaceSlots, MemoryFileOperationsFollowTheDestructor) {
    EXPECT_EQ(SlotOf(&KMemFile::Read), 2);
    EXPECT_EQ(SlotOf(&KMemFile::Seek), 3);
    EXPECT_EQ(SlotOf(&KMemFile::Tell), 4);
    EXPECT_EQ(SlotOf(&KMemFile::Size), 5);
}

}  // namespace
