#include "BasrelReset.h"

#include "DataRoot.h"
#include "DebugLog.h"
#include "HostGlobals.h"
#include "PakPreloads.h"

void BasrelResetForTests() {
    basrel::ResetDataRoot();
    basrel::ResetPreloads();
    basrel::ResetDebugLog();
    g_iCharacterSet = 0;
    g_SetMainHWnd(nullptr);
}
