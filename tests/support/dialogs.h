// Dialogs in in-process tests: a modal dialog inspected from inside its own message loop, dialogs
// driven step by step, and where the program places its dialogs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>
#include <vector>

#include "base/layout_units.h"
#include "tests/support/message_pump.h"
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

// A visible dialog of this thread with that title (any title for null).
inline HWND FindDialog(const wchar_t* title) {
    for (HWND dialog : modal_detail::VisibleDialogs()) {
        if (!title || WindowText(dialog) == title)
            return dialog;
    }
    return nullptr;
}

// Dialogs driven by steps run from a thread timer, which also fires inside a dialog's own modal
// loop. A step returns false to be tried again at the next tick; it never blocks (buttons that open
// a modal window are clicked by a posted BM_CLICK).
using Step = std::function<bool()>;

namespace dialog_steps {
inline std::deque<Step> queue;
inline bool inStep = false;
inline int tries = 0;
inline constexpr int kMaxTries = 200; // 20 ms apart: 4 s
} // namespace dialog_steps

// Says which dialogs a test shows modeless: those are destroyed, not ended, when it gives up.
inline bool (*g_isModelessDialog)(HWND) = nullptr;

inline void CloseEveryDialog() {
    while (HWND dialog = FindDialog(nullptr)) {
        if (g_isModelessDialog && g_isModelessDialog(dialog)) {
            DestroyWindow(dialog);
        } else {
            EndDialog(dialog, IDCANCEL);
            ShowWindow(dialog, SW_HIDE);
        }
    }
}

inline void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
    using namespace dialog_steps;
    if (inStep || queue.empty())
        return;
    inStep = true;
    const bool done = queue.front()();
    inStep = false;
    if (done) {
        queue.pop_front();
        tries = 0;
    } else if (++tries > kMaxTries) {
        ADD_FAILURE() << "step " << queue.size() << " from the end never came true";
        queue.clear();
        CloseEveryDialog();
    }
}

// Calls `start` (which may run a modal dialog) with the steps driving whatever opens, then pumps
// until every step has run.
inline void RunSteps(const std::function<void()>& start, std::vector<Step> steps) {
    dialog_steps::queue.assign(steps.begin(), steps.end());
    dialog_steps::tries = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunStep);
    start();
    PumpUntil([] { return dialog_steps::queue.empty(); }, 20000);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(dialog_steps::queue.empty()) << dialog_steps::queue.size() << " steps left";
    dialog_steps::queue.clear();
}

// From now on a modal dialog left open with no step to drive it fails the test instead of
// hanging it.
inline void StartDialogWatchdog() {
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
        static int idleTicks = 0;
        HWND dialog = FindDialog(nullptr);
        if (!dialog_steps::queue.empty() || !dialog || (g_isModelessDialog && g_isModelessDialog(dialog))) {
            idleTicks = 0;
            return;
        }
        if (++idleTicks > 25) { // 5 s
            idleTicks = 0;
            ADD_FAILURE() << "a dialog was left open with nothing to close it";
            CloseEveryDialog();
        }
    });
}
