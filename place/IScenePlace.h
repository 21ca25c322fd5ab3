// The place's interface lives with the other public headers.
#pragma once

#include "lumiva/IScenePlace.h"
