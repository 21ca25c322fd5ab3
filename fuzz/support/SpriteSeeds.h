// Seed sprites of the three kinds, shared by the sprite-file and
// sprite-picture targets.
#pragma once

#include "support/FuzzTarget.h"

namespace lumiva::fuzz {

SeedList SeedSprites();

}  // namespace lumiva::fuzz
