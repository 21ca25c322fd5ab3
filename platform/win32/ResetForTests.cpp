// Returns every stand-in to its defaults; each part resets its own state.
#include "Clock.h"
#include "DebugOutput.h"
#include "MessageBox.h"
#include "ProcessExit.h"
#include "ProcessScheduling.h"
#include "Random.h"
#include "SystemFacts.h"
#include "Waits.h"
#include "WindowRecords.h"
#include "win32/Control.h"

namespace lumiva::win32 {

void ResetForTests() {
    detail::ResetClock();
    detail::ResetRandom();
    detail::ResetWindows();
    detail::ResetMessageBoxes();
    detail::ResetFatalHook();
    detail::ResetWaits();
    detail::ResetDebugOutput();
    detail::ResetSystemFacts();
    detail::ResetProcessScheduling();
}

}  // namespace lumiva::win32
