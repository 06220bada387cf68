// Dialogs in in-process tests: a modal dialog inspected from inside its own message loop, and
// where the program places its dialogs.
#pragma once

#include <windows.h>

#include <functional>
#include <set>

#include "base/layout_units.h"
#include "tests/support/win32_support.h"

namespace modal_detail {
inline std::function<void(HWND)> inspect;
inline std::set<HWND> before;
inline bool seen = false;

inline std::set<HWND> VisibleDialogs() {
    std::set<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) {
            if (WindowClass(hwnd) == L"#32770" && IsWindowVisible(hwnd))
                reinterpret_cast<std::set<HWND>*>(lParam)->insert(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

inline void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (seen)
        return;
    for (HWND dialog : VisibleDialogs()) {
        if (before.count(dialog))
            continue;
        seen = true;
        inspect(dialog);
        EndDialog(dialog, IDCANCEL);
        return;
    }
}
} // namespace modal_detail

// Runs `open`, which shows a modal dialog (or message box) and returns once it is closed. A
// thread timer, which also fires inside the dialog's own loop, hands the first dialog of this
// thread that was not showing before to `inspect`, then ends it. False when none showed.
inline bool InspectModal(const std::function<void()>& open, const std::function<void(HWND)>& inspect) {
    modal_detail::inspect = inspect;
    modal_detail::seen = false;
    modal_detail::before = modal_detail::VisibleDialogs();
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, modal_detail::OnTimer);
    open();
    KillTimer(nullptr, timer);
    return modal_detail::seen;
}

// The program's place for a dialog: centred across its owner, kDialogTopOffset below its top.
inline bool IsPlacedOverOwner(HWND dialog, HWND owner) {
    RECT d = {};
    RECT o = {};
    GetWindowRect(dialog, &d);
    GetWindowRect(owner, &o);
    return d.top == o.top + kDialogTopOffset && d.left == (o.left + o.right - (d.right - d.left)) / 2;
}
