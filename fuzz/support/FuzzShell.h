// One drawing shell on the software device for the fuzz targets that draw
// through the shell, with the pixel work skipped: a shell per input would
// dwarf what is fuzzed. Other targets hand the Direct3D wrapper a device of
// their own, so the shell's device is put in place only for the duration
// of a ShellScope.
#pragma once

class KDrawShell;

namespace lumiva::fuzz {

class ShellScope {
public:
    ShellScope();
    ~ShellScope();
    ShellScope(const ShellScope&) = delete;
    ShellScope& operator=(const ShellScope&) = delete;

    KDrawShell* Shell() const { return m_shell; }

private:
    KDrawShell* m_shell;
    void* m_savedDevice;
    bool m_savedNoRaster;
};

}  // namespace lumiva::fuzz
