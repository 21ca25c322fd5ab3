// The picture interface keeps its operations in table order: IsValid, the
// destructor, then Reset to Trim.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

// With this ABI a pointer to a virtual member function holds 1 + its byte
// offset in the table.
template <class F>
uint64_t SlotOf(F function) {
    uint64_t word = 0;
    std::memcpy(&word, &function, sizeof(word));
    EXPECT_EQ(word & 1, 1u);
    return (word - 1) / sizeof(void*);
}

TEST(ImageSlotsTest, OperationsKeepTheirTableOrder) {
    // The destructor takes two entries, slots 1 and 2.
    EXPECT_EQ(SlotOf(&KImageTexture::IsValid), 0u);
    EXPECT_EQ(SlotOf(&KImageTexture::Reset), 3u);
    EXPECT_EQ(SlotOf(&KImageTexture::Create), 4u);
    EXPECT_EQ(SlotOf(&KImageTexture::Open), 5u);
    EXPECT_EQ(SlotOf(&KImageTexture::Close), 6u);
    EXPECT_EQ(SlotOf(&KImageTexture::InvalidateDeviceObjects), 7u);
    EXPECT_EQ(SlotOf(&KImageTexture::RestoreDeviceObjects), 8u);
    EXPECT_EQ(SlotOf(&KImageTexture::Trim), 9u);
}

TEST(ImageSlotsTest, EveryPictureIsValidAndStartsWithOneReference) {
    KJpgImage picture;
    KSprImage sprite;
    for (KImageTexture* image : {static_cast<KImageTexture*>(&picture), static_cast<KImageTexture*>(&sprite)}) {
        EXPECT_TRUE(image->IsValid());
        EXPECT_EQ(image->RefCount(), 1);
        EXPECT_EQ(image->GetCost(), 0u);
        EXPECT_EQ(image->GetMemory(), 0u);
    }
    EXPECT_EQ(picture.GetType(), 0);
    EXPECT_EQ(sprite.GetType(), 1);
}

}  // namespace
