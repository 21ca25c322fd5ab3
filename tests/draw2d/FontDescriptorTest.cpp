#include <gtest/gtest.h>

#include <cstring>

#include "draw2d/text/FontDescriptor.h"

namespace {

TEST(FontDescriptor, GdiFieldsFillTheDescription) {
    GdiFontRequest request{};
    ASSERT_TRUE(ParseGdiDescriptor("@Arial,12,0,32,0", &request));
    EXPECT_STREQ(request.description.lfFaceName, "Arial");
    EXPECT_EQ(request.description.lfHeight, -12);
    EXPECT_EQ(request.description.lfWidth, 0);
    EXPECT_EQ(request.description.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(request.description.lfWeight, 0);
    EXPECT_EQ(request.grayLevel, 32);
    EXPECT_EQ(request.mono, 0);

    ASSERT_TRUE(ParseGdiDescriptor("@\xBA\xDA\xCC\xE5,16,8,40,3", &request));
    EXPECT_STREQ(request.description.lfFaceName, "\xBA\xDA\xCC\xE5");
    EXPECT_EQ(request.description.lfHeight, -16);
    EXPECT_EQ(request.description.lfWidth, 8);
    EXPECT_EQ(request.grayLevel, 40);
    EXPECT_EQ(request.mono, 1);
}

TEST(FontDescriptor, MalformedGdiDescriptorsAreRefused) {
    const char* const bad[] = {
        "@",                                          // too short
        "@Arial",                                     // no fields
        "@Arial,12,0,32",                             // mono missing
        "@Arial,12,0,32,",                            // mono empty
        "@Arial,12,0,32,0,1",                         // a field too many
        "@ABCDEFGHIJKLMNOPQRSTUVWXYZ012345,12,0,0,0",  // face of 32 bytes
        "Arial,12,0,32,0",                            // not the GDI form
    };
    for (const char* descriptor : bad) {
        GdiFontRequest request{};
        EXPECT_FALSE(ParseGdiDescriptor(descriptor, &request)) << descriptor;
    }
    GdiFontRequest request{};
    // A field needs only some byte after its ','; an empty middle field reads as 0.
    ASSERT_TRUE(ParseGdiDescriptor("@Arial,,9,32,0", &request));
    EXPECT_EQ(request.description.lfHeight, 0);
    EXPECT_EQ(request.description.lfWidth, 9);
    EXPECT_TRUE(ParseGdiDescriptor("@ABCDEFGHIJKLMNOPQRSTUVWXYZ01234,12,0,0,0", &request)) << "31 bytes fit";
    EXPECT_EQ(std::strlen(request.description.lfFaceName), 31u);
}

TEST(FontDescriptor, ShareFormNamesAnId) {
    EXPECT_TRUE(IsShareDescriptor("#12"));
    EXPECT_EQ(SharedFontId("#12"), 12);
    EXPECT_FALSE(IsShareDescriptor("@Arial,12,0,0,0"));
    EXPECT_FALSE(IsShareDescriptor("font\\a.asf"));
    EXPECT_FALSE(IsShareDescriptor(nullptr));
}

}  // namespace
