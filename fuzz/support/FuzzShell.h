// One drawing shell on the software device for the fuzz targets that draw
// through the shell, on a small window and with the pixel work skipped: a
// shell per input, or pixels per draw, would dwarf what is fuzzed. Other
// targets hand the Direct3D wrapper a device of their own, so the shell's
// device is put in place only for the duration of a ShellScope.
#pragma once

class KDrawShell;

namespace lumiva::fuzz {

// The shell's screen: the smallest display mode it takes, so that clears
// and presents cost little.
constexpr int kFuzzScreenWidth = 640, kFuzzScreenHeight = 480;

// Readers that draw what they read want a scene begun for them; the
// interface targets run their frames through BeginFrame and EndFrame as a
// host does.
enum class ScopeScene { kOpen, kHostFrames };

class ShellScope {
public:
    explicit ShellScope(ScopeScene scene = ScopeScene::kOpen);
    ~ShellScope();
    ShellScope(const ShellScope&) = delete;
    ShellScope& operator=(const ShellScope&) = delete;

    KDrawShell* Shell() const { return m_shell; }

private:
    KDrawShell* m_shell;
    void* m_savedDevice;
    bool m_savedNoRaster;
    bool m_openScene;
};

}  // namespace lumiva::fuzz
