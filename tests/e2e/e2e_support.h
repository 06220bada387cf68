// Starts vantix.exe in the test's Wine prefix and drives it from outside, like a user: the session,
// its windows and dialogs, mouse input, the screen, the saved settings and the files it leaves.
#pragma once

#include <windows.h>

#include "base/gdi_holders.h"
#include "testcam/testcam_control.h"
#include "tests/support/file_bytes.h"
#include "tests/support/picture.h"
#include "tests/support/view_query.h"
#include "tests/support/win32_support.h"
#include "view/view_query.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

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

// Waits for the process to end by itself (or terminates it, as a crash would: `kill`) and closes
// the session; the exit code, STILL_ACTIVE when it did not end in time.
DWORD EndProgram(ProgramSession* session, bool kill, DWORD timeoutMs = 20000);

// The first visible top-level window of the process for which `match` holds, or null.
HWND FindTopWindow(DWORD processId, const std::function<bool(HWND)>& match);
// The same, waited for.
HWND WaitForTopWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs = 5000);

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

// A dialog's push button, clicked.
void PressButton(HWND dialog, int id);
// A selection in a list or combo box: the selection moves and the owner hears of it. Both are
// posted, so that nothing the program has queued already comes between them.
void Choose(HWND owner, HWND control, int id, int item, bool listBox = false);

// Saves the whole screen as a BMP under the run's artifact folder (VANTIX_ARTIFACTS),
// or the current folder without it. Returns the path written, empty on failure.
std::wstring SaveScreenshot(const wchar_t* name);
std::wstring ArtifactFolder();
// Copies a file the program wrote next to the screenshots, for a look when a check fails.
void KeepArtifact(const std::wstring& path, const wchar_t* name);

// Values under the program's settings key, several at once before a start.
void StoreSettings(std::initializer_list<std::pair<const wchar_t*, DWORD>> values);
// Read back after: kNotStored and empty when missing.
inline constexpr DWORD kNotStored = 0xFFFFFFFF;
inline DWORD StoredDword(const wchar_t* name) {
    return SavedDword(name).value_or(kNotStored);
}
inline std::wstring StoredString(const wchar_t* name) {
    return SavedString(name).value_or(L"");
}

// Documents\Vantix Files, where the program saves without a folder of its own.
std::wstring DefaultSaveFolder();

// A whole JPEG or PNG file: its type's start, and its end marker.
bool CompletePhoto(const std::vector<uint8_t>& bytes, bool png);
// Share of sample points where a photo shows the camera's picture: pixel (x, y) of the photo is
// pixel map(x, y) of the specimen at the camera's size (away from the turning marker).
double MatchingShare(const Picture& photo, int cameraWidth, int cameraHeight, int tolerance,
                     const std::function<POINT(int, int)>& map);

// The screen from client point `origin` of `hwnd` (of the screen without one), width x height.
Picture GrabScreen(HWND hwnd, POINT origin, int width, int height);

// A test that starts the program: the cameras it registered are removed and the settings deleted
// afterwards, and a program still running must close cleanly.
class ProgramTest : public testing::Test {
protected:
    void TearDown() override;

    // Registers a camera for this test.
    bool AddCamera(const TestCamConfig& config);
    bool AddCamera(const wchar_t* instance, const wchar_t* name, std::vector<TestCamFormat> formats) {
        return AddCamera(TestCam_MakeConfig(instance, name, std::move(formats)));
    }
    // Starts the program and finds its main children.
    void Launch();
    LRESULT Query(ViewQuery which, LPARAM argument = 0) const { return ::Query(view_, which, argument); }
    // The camera is open and its picture shown.
    bool Live() const { return Query(kQueryContentWidth) > 0 && Query(kQueryPaints) > 0; }
    // A command from the panel or the toolbar, as the main window gets it.
    void Command(int id) const { PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // A tool button of the toolbar, clicked.
    void ClickTool(int id) const;
    // A visible dialog of the program for which `match` holds.
    HWND WaitForDialog(const std::function<bool(HWND)>& match, DWORD timeoutMs = 5000) const;
    HWND WaitForDialog(const std::wstring& caption, DWORD timeoutMs = 5000) const;
    // The client point of content pixel (x, y) of the view at 100 %: scrolled when the picture
    // is larger than the window, centred when it is smaller.
    POINT ClientOfContent(int contentWidth, int contentHeight, int x, int y) const;
    // Sample points of the live picture of width x height at 100 % whose screen pixel is not
    // expected(x, y) (within 3 a channel); the camera's turning marker is left out, with the row
    // above it and its place upside down, where a flip moves it.
    int PictureMismatches(int width, int height, const std::function<TestRgb(int, int)>& expected) const;
    // Mouse input to the view at content pixel (x, y) of the picture of content_ size, sent: the
    // view has handled it on return.
    void ViewMouse(UINT msg, int x, int y, WPARAM keys = 0) const;
    // Press at `from`, move in steps, release at `to`.
    void Stroke(POINT from, POINT to, int steps = 4) const;
    // A three-point shape: the stroke, the pointer to the third point, a click.
    void ThreePoints(POINT p1, POINT p2, POINT p3) const;

    GdiplusSession gdiplus_;
    ProgramSession session_;
    HWND main_ = nullptr;
    HWND view_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND panel_ = nullptr;
    std::vector<std::wstring> cameras_;
    SIZE content_ = {}; // the picture's size, for ViewMouse
};
