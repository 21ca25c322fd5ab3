// The shell's ReadEffectHeader: an effect's duration without loading it.
#include "lumiva/basrel/KPakFile.h"
#include "effects/EffectFileFormat.h"
#include "shell/KDrawShell.h"

// Magic and version are not examined; 0 for a file that cannot be opened or
// is shorter than a header.
DWORD KDrawShell::ReadEffectHeader(const char* fileName) {
    if (!fileName) return 0;
    KPakFile file;
    if (!file.Open(fileName)) return 0;
    K3DEffectFileHeader header;
    if (!ReadEffectFileHeader(file, &header)) return 0;
    return DWORD(header.duration);
}
