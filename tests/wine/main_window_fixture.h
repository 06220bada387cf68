// The program's main window opened in-process as the Wine suites need it, optionally over a virtual
// camera, with every WM_COMMAND it gets recorded by subclassing it; and a suite over it.
#pragma once

#include "app/main_window.h"
#include "app/window_classes.h"
#include "base/string_table.h"
#include "capture/capture_graph.h"
#include "output/settings_store.h"
#include "panels/panel_messages.h"
#include "panels/tool_button.h"
#include "tests/support/message_pump.h"
#include "tests/support/win32_support.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

// What the main window was sent, oldest first.
inline std::vector<std::pair<WPARAM, LPARAM>> g_mainCommands;
// Commands it says yes to are recorded but not handled (dialogs a test must not open).
inline bool (*g_holdBackCommand)(WORD id) = nullptr;
inline WNDPROC g_mainProc = nullptr;

inline LRESULT CALLBACK RecordingMainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        g_mainCommands.emplace_back(wParam, lParam);
        if (g_holdBackCommand && g_holdBackCommand(LOWORD(wParam)))
            return 0;
    }
    return CallWindowProcW(g_mainProc, hwnd, msg, wParam, lParam);
}

inline int CommandCount(int id) {
    int n = 0;
    for (const auto& command : g_mainCommands)
        n += LOWORD(command.first) == id;
    return n;
}

// The main window's camera view.
inline CameraViewState* View() {
    return CameraViewStateOf(g_mainWindow.cameraView);
}

// Creates and shows the main window in English (at `place` unless it is empty), then records its
// commands. With a camera registered, waits until its graph is open and, if `contentWidth` is set,
// the view shows pictures that wide.
inline bool OpenMainWindow(RECT place = {}, bool waitForCamera = false, int contentWidth = 0) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClasses(instance);
    if (ToolButtonStripMarker() == 0)
        LoadToolButtonImages(instance);
    SelectLanguage(0);
    if (!CreateMainWindow(instance))
        return false;
    if (place.right > place.left)
        SetWindowPos(g_mainWindow.window, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER);
    ShowWindow(g_mainWindow.window, SW_SHOWNORMAL);
    UpdateWindow(g_mainWindow.window);
    if (waitForCamera && !PumpUntil(
                             [contentWidth] {
                                 return IsCaptureGraphOpen() &&
                                        (contentWidth == 0 ||
                                         (View() && View()->contentWidth == contentWidth));
                             },
                             15000))
        return false;
    Pump();
    g_mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(g_mainWindow.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingMainProc)));
    g_mainCommands.clear();
    return true;
}

inline void CloseMainWindow() {
    if (g_mainWindow.window)
        DestroyWindow(g_mainWindow.window);
    Pump(100);
}

// With COM started and the settings cleared, registers the virtual camera `instance` with these
// formats and opens the main window over it, waiting until the view shows the first one.
inline bool OpenMainWindowWithCamera(const wchar_t* instance, const wchar_t* name,
                                     const std::vector<TestCamFormat>& formats) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return false;
    ClearSettings();
    LoadSettings();
    return TestCam_Register(TestCam_MakeConfig(instance, name, formats)) &&
           OpenMainWindow({20, 10, 1260, 970}, true, formats[0].width);
}

inline void CloseMainWindowAndCamera(const wchar_t* instance) {
    CloseMainWindow();
    TestCam_Unregister(instance);
    TestCam_RemoveConfig(instance);
    CoUninitialize();
}

// The main window without a camera, COM started, for a whole suite: the Device section's commands
// that start dialogs and the file browser are only noted, and the real pointer stays off it.
class MainWindowSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        g_holdBackCommand = [](WORD id) { return id >= IDC_SETTING && id <= IDC_FILES; };
        SetCursorPos(1270, 1010);
        ASSERT_TRUE(OpenMainWindow({0, 0, 1100, 1000}));
    }
    static void TearDownTestSuite() {
        CloseMainWindow();
        CoUninitialize();
    }
    void SetUp() override { g_mainCommands.clear(); }
};
