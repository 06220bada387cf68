// Message pumping for in-process Win32 tests: windows under test only act while their thread pumps.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches messages until `done` holds or the time is up; false on time-out.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Dispatches whatever arrives for `ms` milliseconds.
inline void Pump(DWORD ms = 50) {
    PumpUntil([] { return false; }, ms);
}
