// The shell's font table: 20 fonts by host-chosen id, and the shell
// operations that fill and empty it.
#pragma once

#include <array>
#include <cstdint>

#include "draw2d/text/KFont.h"
#include "draw2d/text/ShellServicesForText.h"

struct KFontEntry {
    int32_t id = 0;
    KFont* font = nullptr;
};

// Font ids double as pixel sizes (advance id, line height id + 1). Ids
// outside 1..kLargestFontId are refused: no screen needs a larger cell, and
// the layout's arithmetic on sizes stays far from the int range.
constexpr int32_t kLargestFontId = 4096;
constexpr bool IsUsableFontId(int32_t id) { return id >= 1 && id <= kLargestFontId; }

class KFontTable {
public:
    static constexpr int kEntries = 20;

    KFontTable() = default;
    ~KFontTable();
    KFontTable(const KFontTable&) = delete;
    KFontTable& operator=(const KFontTable&) = delete;

    // Slot 31. A replacement is built before the old font goes, so a
    // failure keeps the working font under the id.
    bool CreateFont(ITextShellServices& shell, const char* descriptor, int32_t unused, int32_t id);
    // Slot 38.
    void ReleaseFont(int32_t id);
    // The font of the first entry with this id; null when none.
    KFont* FindFont(int32_t id) const;

    void InvalidateDeviceObjects();
    // False when a font could not get its texture back (tried again next time).
    bool RestoreDeviceObjects();
    void ReleaseAll();

    const KFontEntry& Entry(int index) const { return m_entries[size_t(index)]; }

private:
    int ChooseEntry(int32_t id) const;
    bool ShareFont(int entry, int32_t id, const char* descriptor);
    KFont* BuildFont(ITextShellServices& shell, const char* descriptor);
    void Install(int entry, int32_t id, KFont* font);

    std::array<KFontEntry, kEntries> m_entries{};
};
