// The main frame window: holds the control panel, the toolbar and the camera view, and carries
// out the commands the other windows send it.
#pragma once

#include <windows.h>

#include <string>

inline constexpr wchar_t kMainWindowTitle[] = L"Vantix Quorel Digital Imaging Software HD-V1.0";

extern HINSTANCE g_hInstance;
extern HWND g_hMainWnd;
extern HWND g_hTooltip;
extern HWND g_hToolbar;
extern HWND g_hCameraView;
extern HWND g_hControlPanel;
extern HWND g_hCalibrateDlg; // modeless calibration dialog while it exists
extern HWND g_hTextInputDlg; // modeless text-input dialog while it exists
extern int g_panelWidth;
extern std::wstring g_lastSavedPath; // last photo or video saved, empty at start

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Creates the main window (and with it every child window). Returns null on failure.
HWND CreateMainWindow(HINSTANCE instance);

void LayoutChildren();
void SelectTool(int tool);
int CurrentTool();
void ShowToolButtonState(int tool, int checked);
void SetViewStyle(COLORREF gridColor, COLORREF lineColor, int lineWidth, COLORREF textColor, int textSize);
void SetViewZoom(int percent);
void SetViewScale(float scale, int unit);
void OpenSaveFolder();
void StepDigitalZoom();

// Commands carried out by other parts of the program.
void TakePhoto();
void ShowOptionsDialog();
void ShowRecordDialog();
void StartCalibration();

// What the file browser should show for the save folder: the last saved file if there is one,
// else the first jpg, png or mp4 found in the folder, else the folder itself.
std::wstring ChooseSaveFolderItem(const std::wstring& saveFolder, const std::wstring& lastSavedPath);
