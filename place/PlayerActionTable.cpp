// The player's action animations, loaded ahead through the model manager so
// the first use of an action does not wait on its file.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include <string>
#include <vector>

#include "lumiva/basrel/KTabFile.h"
#include "place/KPlayerActionTable.h"
#include "place/PlayerAnimationPreload.h"

namespace {

constexpr size_t kTableNameSize = 260;
constexpr const char* kActionRoot = "\\Portrait\\Action\\Action";

bool IsAnimationName(const char* text) {
    const size_t length = std::strlen(text);
    return length > 4 && strcasecmp(text + length - 4, ".ani") == 0;
}

void CollectActionFile(const char* tableName, std::vector<std::string>& paths) {
    KTabFile table;
    if (!table.Load(tableName)) return;
    for (int row = 1; row <= table.GetHeight(); ++row)
        for (int column = 1; column <= table.GetWidth(); ++column) {
            char cell[kTableNameSize] = {};
            if (!table.GetString(row, column, "", cell, sizeof cell) || !IsAnimationName(cell)) continue;
            paths.push_back(std::string(kActionRoot) + "01\\" + cell);
            paths.push_back(std::string(kActionRoot) + "02\\" + cell);
        }
}

}  // namespace

std::vector<std::string> KPlayerActionTable::AnimationPaths() {
    std::vector<std::string> paths;
    KTabFile list;
    if (!list.Load("\\settings\\npcres\\player_ani.txt")) return paths;
    for (int row = 2; row <= list.GetHeight(); ++row)
        for (const int column : {3, 5}) {
            char name[kTableNameSize] = {};
            if (list.GetString(row, column, "", name, sizeof name) && name[0]) CollectActionFile(name, paths);
        }
    return paths;
}

void KPlayerActionTable::Load() {
    for (const std::string& path : AnimationPaths()) PreloadPlayerAnimation(path.c_str());
}
