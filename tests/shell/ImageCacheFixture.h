// A created shell on the software device with a manual clock, and picture
// files made by the tools' writers, for the image cache and the shell's
// image slots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DrawShellFixture.h"
#include "textures/ImageCache.h"

namespace shell_test {

constexpr uint64_t kClockStart = 1000000;

class ImageCacheTest : public DrawShellTest {
protected:
    void SetUp() override;

    KImageCache& Cache() { return m_shell->imageCache; }
    // A w x h JPEG of one grey level.
    void WriteJpeg(const std::string& name, int width = 8, int height = 4) { WriteGreyJpeg(name, width, height); }
    // Two frames: 3 x 2 at (5, 7) and 2 x 1 at (0, 0); sprite 40 x 30, centre (11, 12).
    void WriteSprite(const std::string& name);
    KImageTexture* Get(const char* name, int type = 0, BYTE pin = 0, int frame = 0);
    // Index of the entry with this name, -1 when none.
    int IndexOf(const std::string& name);
    // n names "<prefix><i>" ordered by file id, as the table orders them.
    static std::vector<std::string> NamesInTableOrder(const std::string& prefix, const std::string& suffix, int n);
};

}  // namespace shell_test
