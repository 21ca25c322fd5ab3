// Stand-in for <process.h>: the C runtime's thread start.
#pragma once
#include <windows.h>

uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(__stdcall* start)(void*), void* argument,
                         unsigned flags, unsigned* threadId);
void _endthreadex(unsigned exitCode);
