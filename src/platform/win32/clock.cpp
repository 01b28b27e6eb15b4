// timeGetTime and Sleep (winmm, kernel32) on the shared frame clock.
#include "platform/backend/frame_clock.h"
#include "platform/win32/windows.h"

using namespace velmora::platform;

DWORD WINAPI timeGetTime() { return ClockMilliseconds(); }

void WINAPI Sleep(DWORD milliseconds) { ClockSleep(milliseconds); }
