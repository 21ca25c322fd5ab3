#include "gdi/Control.h"

#include "gdi/FontFiles.h"
#include "gdi/GdiObjects.h"

namespace lumiva::gdi {

void ResetForTests() {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    objects.Clear();
    RestoreSystemFontFiles();
}

void UseFontFilesForTests(const std::string& cjkPath, const std::string& latinPath) {
    SetFontFiles(cjkPath, latinPath);
}

size_t LiveFontCount() {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    return objects.FontCount();
}

size_t LiveContextCount() {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    return objects.ContextCount();
}

std::string FontFileOf(HFONT font) {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    auto found = objects.FindFont(font);
    return found && found->realised ? found->realised->File() : std::string();
}

}  // namespace lumiva::gdi
