// The player's action animations, loaded ahead through the model manager so
// the first use of an action does not wait on its file.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "basrel/KTabFile.h"
#include "place/ScenePlace.h"
#include "place/ScenePlaceSeam.h"

namespace {

constexpr size_t kTableNameSize = 260;
constexpr const char* kActionRoot = "\\Portrait\\Action\\Action";

bool IsAnimationName(const char* text) {
    const size_t length = std::strlen(text);
    return length > 4 && strcasecmp(text + length - 4, ".ani") == 0;
}

void PreloadActionFile(const char* tableName) {
    KTabFile table;
    if (!table.Load(tableName)) return;
    for (int row = 1; row <= table.GetHeight(); ++row)
        for (int column = 1; column <= table.GetWidth(); ++column) {
            char cell[kTableNameSize] = {};
            if (!table.GetString(row, column, "", cell, sizeof cell) || !IsAnimationName(cell)) continue;
            char path[kTableNameSize + 32];
            std::snprintf(path, sizeof path, "%s01\\%s", kActionRoot, cell);
            PreloadPlayerAnimation(path);
            std::snprintf(path, sizeof path, "%s02\\%s", kActionRoot, cell);
            PreloadPlayerAnimation(path);
        }
}

}  // namespace

void LoadPlayerActionTable() {
    KTabFile list;
    if (!list.Load("\\settings\\npcres\\player_ani.txt")) return;
    for (int row = 2; row <= list.GetHeight(); ++row)
        for (const int column : {3, 5}) {
            char name[kTableNameSize] = {};
            if (list.GetString(row, column, "", name, sizeof name) && name[0]) PreloadActionFile(name);
        }
}
