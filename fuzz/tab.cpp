// Tab-separated tables: the splitter, then cells in and around the table.
#include "KTabFile.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(tab) {
    return {
        {"table", Text("Name\tLevel\tSpeed\nSword\t3\t1.5\nBow\t\t0x10\n")},
        {"crlf-ragged", Text("a\tb\tc\r\n1\r\n\t\t\t4\r\n")},
        {"trailing-empty", Text("x\n\n")},
        {"numbers", Text("-2147483648\t4294967295\t1e40\t-0.0\t 12 \n")},
        {"refused-nul", Bytes{'a', '\t', 0, '\n'}},
    };
}

LUMIVA_FUZZ_TARGET(tab, data, size) {
    ServeFile("fuzz.txt", data, size);
    KTabFile tab;
    if (!tab.Load("fuzz.txt")) return;
    int rows = tab.GetHeight(), columns = tab.GetWidth();
    char buffer[12];
    // Every cell of a small table, the edges of a large one, and just outside.
    for (int row = 0; row <= rows + 1; ++row) {
        if (row > 8 && row < rows - 1) row = rows - 1;
        for (int column = 0; column <= columns + 1; ++column) {
            if (column > 8 && column < columns - 1) column = columns - 1;
            int i = 0;
            float f = 0;
            tab.GetString(row, column, "-", buffer, sizeof(buffer));
            tab.GetInteger(row, column, 0, &i);
            tab.GetFloat(row, column, 0, &f);
        }
    }
}
