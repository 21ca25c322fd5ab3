#include "ImageCacheFixture.h"

#include <algorithm>

#include "SprWriter.h"
#include "lumiva/basrel/FileNameId.h"
#include "win32/Control.h"

namespace shell_test {

void ImageCacheTest::SetUp() {
    DrawShellTest::SetUp();
    lumiva::win32::InstallManualClock(kClockStart);
    MakeCreatedShell();
}

void ImageCacheTest::WriteSprite(const std::string& name) {
    SprSpriteInfo info{40, 30, 11, 12, 16, 18};
    std::vector<SprPixels> frames = {
        {3, 2, 5, 7, {0xFFFF0000u, 0x00000000u, 0xFFFF0000u, 0xFFFF0000u, 0x80FF0000u, 0xFFFF0000u}},
        {2, 1, 0, 0, {0xFF00FF00u, 0xFF00FF00u}},
    };
    WriteDataFile(name, WriteSpr(info, frames));
}

KImageTexture* ImageCacheTest::Get(const char* name, int type, BYTE pin, int frame) {
    return Cache().GetImage(name, nullptr, nullptr, frame, type, 0, 1, 0, pin);
}

int ImageCacheTest::IndexOf(const std::string& name) {
    const auto& entries = Cache().Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name == name) return static_cast<int>(i);
    return -1;
}

std::vector<std::string> ImageCacheTest::NamesInTableOrder(const std::string& prefix, const std::string& suffix,
                                                           int n) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back(prefix + std::to_string(i) + suffix);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return g_FileName2Id(a.c_str()) < g_FileName2Id(b.c_str());
    });
    return names;
}

}  // namespace shell_test
