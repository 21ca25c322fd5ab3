#include <gtest/gtest.h>

#include <cstring>

#include "ByteFields.h"
#include "DtsWriter.h"

namespace {

using tools_test::U32At;

TEST(DtsWriter, AnEmptyShapeLaysItsThreeStreamsOutOneAfterTheOther) {
    dts::Shape s;
    s.version = 24;
    s.versionHighBits = 0x100;
    const std::vector<uint8_t> bytes = dts::WriteDts(s);
    // 19 count words, 17 guards and 11 words of bounds in the 32-bit
    // stream; 17 guard values in each of the others, padded to words.
    EXPECT_EQ(U32At(bytes, 0), 0x118u);
    EXPECT_EQ(U32At(bytes, 4), 47u + 9u + 5u);
    EXPECT_EQ(U32At(bytes, 8), 47u);
    EXPECT_EQ(U32At(bytes, 12), 56u);
    const size_t buffer = 16;
    EXPECT_EQ(U32At(bytes, buffer + 19 * 4), 0u);             // guard 0
    EXPECT_EQ(U32At(bytes, buffer + 31 * 4), 1u);             // guard 1 after the bounds
    EXPECT_EQ(U32At(bytes, buffer + 46 * 4), 16u);            // the last guard
    EXPECT_EQ(bytes.at(buffer + 47 * 4 + 2 * 16), 16u);       // 16-bit guard 16
    EXPECT_EQ(bytes.at(buffer + 56 * 4 + 16), 16u);           // 8-bit guard 16
    const size_t after = buffer + 61 * 4;
    EXPECT_EQ(U32At(bytes, after), 0u);  // sequences
    EXPECT_EQ(bytes.at(after + 4), 1u);  // material list version
    EXPECT_EQ(U32At(bytes, after + 5), 0u);
    EXPECT_EQ(bytes.size(), after + 9);
}

TEST(DtsWriter, AVersion20SequenceKeepsItsOldForms) {
    dts::Shape s;
    s.version = 20;
    dts::Sequence q;
    q.name = 3;
    q.flags = 8 | 32 | 4;  // the scale kind is not stored below 22
    q.keyFrames = 6;
    q.bases[0] = 11;
    q.bases[1] = 99;  // not stored: the rotation base serves both
    q.bases[3] = 33;
    q.bases[4] = 44;
    q.rotation = dts::Set::Of({1, 40});
    s.sequences = {q};
    const std::vector<uint8_t> bytes = dts::WriteDts(s);
    const size_t at = 16 + size_t(U32At(bytes, 4)) * 4 + 4;
    EXPECT_EQ(U32At(bytes, at), 3u);       // name
    EXPECT_EQ(U32At(bytes, at + 4), 6u);   // key frames (no flags word below 22)
    EXPECT_EQ(bytes.at(at + 12), 1u);      // blend
    EXPECT_EQ(bytes.at(at + 13), 0u);      // cyclic
    EXPECT_EQ(bytes.at(at + 14), 1u);      // fires triggers
    const size_t bases = at + 15 + 12;     // after priority and two words
    EXPECT_EQ(U32At(bytes, bases), 11u);
    EXPECT_EQ(U32At(bytes, bases + 4), 33u);
    EXPECT_EQ(U32At(bytes, bases + 8), 44u);
    const size_t set = bases + 12 + 8 + 4;  // after triggers and the image-list offset
    EXPECT_EQ(U32At(bytes, set + 4), 2u);   // two words
    EXPECT_EQ(U32At(bytes, set + 8), 1u << 1);
    EXPECT_EQ(U32At(bytes, set + 12), 1u << 8);
}

}  // namespace
