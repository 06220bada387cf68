// The Device section of the control panel (window class "CtrlPanelSourceWndClass", panel slot 0):
// the camera in use with its resolution and format, which the user can switch directly, the way
// to the Open-microscope dialog (closing the camera list's drop-down), and the Photo, Video, Files
// and Setting buttons, which ask the main window to act.
#pragma once

#include <windows.h>

struct DeviceSectionState {
    HWND window = nullptr;
    int expanded = 0;
};

LRESULT CALLBACK DeviceSectionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
