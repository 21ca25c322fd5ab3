// The player's action animations, loaded ahead through the model manager
// when the place starts.
#pragma once

#include <string>
#include <vector>

class KPlayerActionTable {
public:
    // Every ".ani" cell of the tables that player_ani.txt names (columns 3
    // and 5 from row 2), once under each of the two action folders.
    static std::vector<std::string> AnimationPaths();
    // Hands each of those paths to the model manager ahead of use.
    static void Load();
};
