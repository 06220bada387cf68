// Small helpers every window of the program uses.
#pragma once

#include "base/layout_units.h"

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
template <typename Record> Record* WindowRecord(HWND hwnd) {
    return reinterpret_cast<Record*>(GetWindowLongPtrW(hwnd, 0));
}
template <typename Record> Record* DialogRecord(HWND dialog) {
    return reinterpret_cast<Record*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// Puts a dialog over `owner` where DialogCornerOver says, keeping its size; over the work area
// when there is no owner.
inline void PlaceDialogOver(HWND dialog, HWND owner) {
    RECT ownerRect = {};
    if (!owner || !GetWindowRect(owner, &ownerRect))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &ownerRect, 0);
    RECT dialogRect = {};
    GetWindowRect(dialog, &dialogRect);
    const DialogCorner corner = DialogCornerOver(
        ownerRect.left, ownerRect.top, ownerRect.right - ownerRect.left, dialogRect.right - dialogRect.left);
    SetWindowPos(dialog, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
