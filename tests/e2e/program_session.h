// Starts vantix.exe in the test's Wine prefix and drives it from outside, like a user.
#pragma once

#include <windows.h>

#include <string>

struct ProgramSession {
    PROCESS_INFORMATION process = {};
    HWND mainWindow = nullptr;
};

// Path of vantix.exe given on the command line (--exe=PATH, a Unix or Windows path).
extern std::wstring g_programPath;

// "/a/b" -> "Z:\a\b"; Windows paths are returned as they are.
std::wstring ToWindowsPath(const std::string& path);

// Starts the program and waits until its main window is visible. False on failure or time-out.
bool LaunchProgram(ProgramSession* session, DWORD timeoutMs = 30000);

// Closes the main window as the user would and returns the process's exit code,
// or STILL_ACTIVE when it did not end in time (the process is then terminated).
DWORD CloseProgram(ProgramSession* session, DWORD timeoutMs = 20000);

// One of the camera view's figures (UM_VIEW_QUERY; `which` a ViewQuery), -1 when the view does not
// answer within 5 s.
LRESULT QueryView(HWND view, int which, LPARAM argument = 0);

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);

// Polls `condition` every 50 ms until it holds or the time is up.
template <typename Condition> bool WaitFor(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

// Saves the whole screen as a 24-bit BMP under the run's artifact folder (VANTIX_ARTIFACTS),
// or the current folder without it. Returns the path written, empty on failure.
std::wstring SaveScreenshot(const wchar_t* name);
