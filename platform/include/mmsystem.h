// Stand-in for <mmsystem.h>: timeGetTime lives with the other clock calls.
#pragma once
#include <windows.h>
