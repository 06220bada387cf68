// The program's dialogs driven in-process, modal ones included: steps run from a thread timer,
// which also fires inside a dialog's own modal loop. A step returns false to be tried again at
// the next tick; it never blocks (buttons that open a modal window are clicked by a posted
// BM_CLICK).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "tests/support/message_pump.h"
#include "tests/support/win32_support.h"

using Step = std::function<bool()>;

namespace dialog_steps {
inline std::deque<Step> queue;
inline bool inStep = false;
inline int tries = 0;
inline constexpr int kMaxTries = 200; // 20 ms apart: 4 s
} // namespace dialog_steps

// A visible dialog of this thread with that title (any title for null).
inline HWND FindDialog(const wchar_t* title) {
    struct Found {
        const wchar_t* title;
        HWND window;
    } found = {title, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* found = reinterpret_cast<Found*>(lParam);
            if (WindowClass(hwnd) != L"#32770" || !IsWindowVisible(hwnd) ||
                (found->title && WindowText(hwnd) != found->title))
                return TRUE;
            found->window = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.window;
}

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
