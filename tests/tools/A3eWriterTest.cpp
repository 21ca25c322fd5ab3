// The effect-file writer against the file's layout, byte offsets as the
// format gives them.
#include <gtest/gtest.h>

#include <cstring>

#include "ByteFields.h"
#include "A3eWriter.h"

namespace {

using tools_test::U32At;

float F32At(const std::vector<uint8_t>& b, size_t at) {
    const uint32_t bits = U32At(b, at);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

TEST(A3eWriter, HeaderFieldsSitAtTheirOffsetsAtAnyVersion) {
    a3e::File file;
    file.version = 2;
    file.duration = -5;
    file.spinSpeed = 1.25f;
    file.scale = {2, 3, 4};
    file.additive = 6;
    file.extraValue = 7;
    const std::vector<uint8_t> b = a3e::WriteA3e(file);
    ASSERT_EQ(b.size(), 256u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "a3de");
    EXPECT_EQ(U32At(b, 4), 2u);
    EXPECT_EQ(U32At(b, 8), 0u);
    EXPECT_EQ(U32At(b, 12), uint32_t(-5));
    EXPECT_EQ(F32At(b, 16), 1.25f);
    EXPECT_EQ(F32At(b, 28), 4.0f);
    EXPECT_EQ(U32At(b, 32), 6u);
    EXPECT_EQ(U32At(b, 36), 7u);
    for (size_t at = 40; at < 256; ++at) ASSERT_EQ(b[at], 0) << at;
}

TEST(A3eWriter, RecordsFollowTheHeaderAndTracksTheRecords) {
    a3e::File file;
    a3e::Element e;
    e.type = 4;
    e.brightness = -2;
    e.name = "n";
    e.pivot = {1, 2, 3};
    e.dimension = {4, 5, 6};
    e.segments = {7, 8};
    e.fileName = "pic";
    e.mappingMode = 9;
    e.animSpeed = 0.5f;
    e.frameOffset = 11;
    file.elements = {e, e};
    a3e::Tracks t;
    t.rotation = {{1.5f, 10}, {2.5f, 20}};
    t.visible = {{0, 30}};
    t.countOverride[a3e::kOffset] = 99;
    file.tracks = {t, a3e::Tracks{}};
    const std::vector<uint8_t> b = a3e::WriteA3e(file);
    EXPECT_EQ(U32At(b, 8), 2u);
    const size_t r = 256 + 144;  // the second record
    EXPECT_EQ(b[r], 4);
    EXPECT_EQ(b[r + 1], 0xFE);
    EXPECT_EQ(b[r + 4], 'n');
    EXPECT_EQ(F32At(b, r + 36), 1.0f);
    EXPECT_EQ(F32At(b, r + 48), 4.0f);
    EXPECT_EQ(U32At(b, r + 64), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[r + 68])), "pic");
    EXPECT_EQ(U32At(b, r + 132), 9u);
    EXPECT_EQ(F32At(b, r + 136), 0.5f);
    EXPECT_EQ(U32At(b, r + 140), 11u);
    size_t at = 256 + 2 * 144;
    const uint32_t counts[6] = {0, 2, 0, 0, 1, 99};
    for (uint32_t count : counts) EXPECT_EQ(U32At(b, (at += 4) - 4), count);
    // Rotation values, then their times, then the visible key.
    EXPECT_EQ(F32At(b, at), 1.5f);
    EXPECT_EQ(F32At(b, at + 4), 2.5f);
    EXPECT_EQ(U32At(b, at + 8), 10u);
    EXPECT_EQ(U32At(b, at + 12), 20u);
    EXPECT_EQ(U32At(b, at + 16), 0u);
    EXPECT_EQ(U32At(b, at + 20), 30u);
    // The overridden count brought no keys; the second block is six zero counts.
    EXPECT_EQ(b.size(), at + 24 + 24);
}

}  // namespace
