#include "draw2d/text/KFontTable.h"

#include <new>

#include "lumiva/basrel/KStringMap.h"
#include "draw2d/text/FontDescriptor.h"

namespace {

void DebugText(int number) { OutputDebugStringA(g_cStringMap.GetString(number)); }

}  // namespace

KFontTable::~KFontTable() { ReleaseAll(); }

void KFontTable::ReleaseAll() {
    for (KFontEntry& entry : m_entries) {
        if (entry.font) entry.font->Release();
        entry = {};
    }
}

int KFontTable::ChooseEntry(int32_t id) const {
    int chosen = -1;
    for (int i = 0; i < kEntries; ++i) {
        if (m_entries[size_t(i)].id == id) return i;
        if (chosen < 0 && !m_entries[size_t(i)].font) chosen = i;
    }
    return chosen;
}

void KFontTable::Install(int entry, int32_t id, KFont* font) {
    KFontEntry& slot = m_entries[size_t(entry)];
    if (slot.font) slot.font->Release();
    slot.id = id;
    slot.font = font;
}

bool KFontTable::ShareFont(int entry, int32_t id, const char* descriptor) {
    const int32_t sharedId = SharedFontId(descriptor);
    for (int i = 0; i < kEntries; ++i) {
        const KFontEntry& other = m_entries[size_t(i)];
        if (i == entry || other.id != sharedId || !other.font) continue;
        KFont* shared = other.font->AddRef();
        if (!shared) return false;
        Install(entry, id, shared);
        return true;
    }
    DebugText(29);
    return false;
}

KFont* KFontTable::BuildFont(ITextShellServices& shell, const char* descriptor) {
    GdiFontRequest request{};
    const bool gdi = IsGdiDescriptor(descriptor);
    if (gdi && !ParseGdiDescriptor(descriptor, &request)) return nullptr;
    KFont* font = new (std::nothrow) KFont();
    if (!font) {
        DebugText(30);
        return nullptr;
    }
    font->AttachDevice(shell.Device());
    if (gdi) {
        font->SetMonoGlyphs(request.mono);
        if (!font->CreateFontFace(nullptr, &request.description, request.grayLevel)) {
            DebugText(31);
            OutputDebugStringA(request.description.lfFaceName);
            OutputDebugStringA("\n");
            font->Release();
            return nullptr;
        }
    } else if (!font->CreateFontFace(descriptor, nullptr, 0)) {
        font->Release();
        return nullptr;
    }
    return font;
}

bool KFontTable::CreateFont(ITextShellServices& shell, const char* descriptor, int32_t /*unused*/, int32_t id) {
    if (shell.IsDeviceLost()) return false;
    const int entry = ChooseEntry(id);
    if (entry < 0 || !descriptor || !IsUsableFontId(id)) {
        DebugText(28);
        return false;
    }
    if (IsShareDescriptor(descriptor)) return ShareFont(entry, id, descriptor);
    KFont* font = BuildFont(shell, descriptor);
    if (!font) return false;
    Install(entry, id, font);
    return true;
}

void KFontTable::ReleaseFont(int32_t id) {
    for (KFontEntry& entry : m_entries) {
        if (entry.id == id && entry.font) {
            entry.font->Release();
            entry = {};
            return;
        }
    }
}

KFont* KFontTable::FindFont(int32_t id) const {
    for (const KFontEntry& entry : m_entries) {
        if (entry.id == id) return entry.font;
    }
    return nullptr;
}

void KFontTable::InvalidateDeviceObjects() {
    for (KFontEntry& entry : m_entries) {
        if (entry.font) entry.font->InvalidateDeviceObjects();
    }
}

bool KFontTable::RestoreDeviceObjects() {
    bool restored = true;
    for (KFontEntry& entry : m_entries) {
        if (entry.font && !entry.font->RestoreDeviceObjects()) restored = false;
    }
    return restored;
}
