// The main frame window: holds the control panel, the toolbar and the camera view, and carries
// out the commands the other windows send it.
#pragma once

#include "base/display_scale.h"
#include "measure/measure_tool.h"
#include "output/recent_files.h"
#include "panels/calibration_dialogs.h"

#include <windows.h>

#include <string>

// The main window's record: its window, the children it talks to and what it follows. One per
// process; the other folders are given the windows they need.
struct MainWindowState {
    HWND window = nullptr;
    HWND toolbar = nullptr;
    HWND controlPanel = nullptr;
    HWND cameraView = nullptr;
    HWND tooltip = nullptr; // shared by the toolbar's buttons
    ManageCalibrationsMemory manageCalibrations;
    RecentFiles recentFiles; // the program's one list, shown by the Files section
    int panelWidth = 0;
    int currentTool = TOOL_DRAG;
    int dpi = kBaseDpi; // followed on WM_DPICHANGED
};
extern MainWindowState g_mainWindow;

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Creates the main window (and with it every child window). Returns null on failure.
HWND CreateMainWindow(HINSTANCE instance);

void LayoutChildren();
void SelectTool(int tool);
int CurrentTool();
void ShowToolButtonState(int tool, int checked);
void OpenSaveFolder();
void StepDigitalZoom();

// What the file browser should show for the save folder: the last saved file if there is one,
// else the first jpg, png or mp4 found in the folder, else the folder itself.
std::wstring ChooseSaveFolderItem(const std::wstring& saveFolder, const std::wstring& lastSavedPath);
