// Module-wide state of the shell's model factory.
#pragma once

#include <windows.h>

class KMutex;

// Models made by CreateModel and not yet destroyed by ReleaseModel.
extern volatile LONG g_LiveModels;
// Serialises ReleaseModel.
KMutex& ModelLock();
