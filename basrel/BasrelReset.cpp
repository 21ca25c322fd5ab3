#include "BasrelReset.h"

#include "DataRoot.h"
#include "DebugLog.h"
#include "HostGlobals.h"
#include "KStringMap.h"
#include "PakPreloads.h"

void BasrelResetForTests() {
    basrel::ResetDataRoot();
    basrel::ResetPreloads();
    basrel::ResetDebugLog();
    g_cStringMap.ResetForTests();
    g_iCharacterSet = 0;
    g_SetMainHWnd(nullptr);
}
