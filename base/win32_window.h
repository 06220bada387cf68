// Small helpers every window of the program uses.
#pragma once

#include <windows.h>

// The module the program's windows, dialogs and resources belong to: the executable (a test
// executable links the same code and resources).
inline HINSTANCE ProgramInstance() {
    return GetModuleHandleW(nullptr);
}

// The size of a window's client area; 0 x 0 for a window that is gone.
inline SIZE ClientSize(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

// A window's record, kept in its first extra window word (or, for a dialog, in DWLP_USER);
// null before it is set and after it is cleared.
template <typename Record>
Record* WindowRecord(HWND hwnd) {
    return reinterpret_cast<Record*>(GetWindowLongPtrW(hwnd, 0));
}
template <typename Record>
Record* DialogRecord(HWND dialog) {
    return reinterpret_cast<Record*>(GetWindowLongPtrW(dialog, DWLP_USER));
}
