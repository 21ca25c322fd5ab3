// The string table file: numbers, escapes, and lookups of what it defined.
#include "KStringMap.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(stringtable) {
    return {
        {"texts", Text("; texts\n44=Lumiva\n32=Texture memory: %d.%03d MB\n\n7=a\\tb\\nc\\\\d\n")},
        {"crlf-repeat", Text("1=first\r\n1=second\r\n2147483647=last\r\n")},
        {"refused-number", Text("2147483648=too big\n")},
        {"refused-line", Text("44=ok\nnot a text\n")},
        {"trailing-backslash", Text("5=ends with \\")},
    };
}

LUMIVA_FUZZ_TARGET(stringtable, data, size) {
    ServeFile("strings.txt", data, size);
    g_cStringMap.ResetForTests();
    g_cStringMap.Load("strings.txt");
    for (int n : {0, 1, 5, 7, 32, 44, 2147483647, -1}) {
        const char* text = g_cStringMap.GetString(n);
        // Reading to the terminator is what callers do.
        while (*text) ++text;
    }
}
