// Returns every stand-in to its defaults; each part resets its own state.
#include "Clock.h"
#include "MessageBox.h"
#include "Random.h"
#include "WindowRecords.h"
#include "win32/Control.h"

namespace lumiva::win32 {

void ResetForTests() {
    detail::ResetClock();
    detail::ResetRandom();
    detail::ResetWindows();
    detail::ResetMessageBoxes();
}

}  // namespace lumiva::win32
