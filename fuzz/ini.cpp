// Ini files: the parser, then every kind of Get over the names it found.
#include <windows.h>

#include "KIniFile.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(ini) {
    return {
        {"sections", Text("; settings\n[Screen]\nWidth = 800\nHeight=600\n\n[Sound]\nVolume=0x40\n")},
        {"numbers", Text("[n]\npair = 3 , -4\nrect=1,2,3,4\nf=1.5e3\nbig=4294967295\nneg=-2147483648\n")},
        {"nameless", Text("k=v\r\n[a]\r\nk=first\r\nK=second\r\n[A]\r\nx=1\r\n")},
        {"refused-open-section", Text("[broken\nk=v\n")},
        {"refused-no-equals", Text("[a]\njust words\n")},
        {"refused-empty-key", Text("[a]\n=v\n")},
        {"refused-nul", Bytes{'[', 'a', ']', '\n', 'k', '=', 0, '\n'}},
    };
}

LUMIVA_FUZZ_TARGET(ini, data, size) {
    ServeFile("fuzz.ini", data, size);
    KIniFile ini;
    if (!ini.Load("fuzz.ini")) return;
    // Names the seeds use, so mutated files still meet the lookups.
    const char* names[] = {"", "a", "Screen", "Width", "k", "rect", "pair"};
    char buffer[16];
    for (const char* section : names) {
        ini.IsSectionExist(section);
        for (const char* key : names) {
            int i = 0, j = 0;
            float f = 0;
            RECT rect{};
            ini.GetString(section, key, "default", buffer, sizeof(buffer));
            ini.GetString(section, key, nullptr, buffer, 1);
            ini.GetInteger(section, key, 7, &i);
            ini.GetFloat(section, key, 0.5f, &f);
            ini.GetInteger2(section, key, &i, &j);
            ini.GetRect(section, key, &rect);
        }
    }
}
