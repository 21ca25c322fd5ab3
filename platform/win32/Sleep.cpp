// Sleep follows the process clock: real time, or a step of the manual clock.
#include <windows.h>

#include <chrono>
#include <thread>

#include "Clock.h"
#include "win32/Control.h"

void Sleep(DWORD milliseconds) {
    if (lumiva::win32::detail::ManualClockActive()) {
        lumiva::win32::AdvanceClock(milliseconds);
        return;
    }
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    } while (milliseconds == INFINITE);
}
