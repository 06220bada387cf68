// Commands to the camera view, for the windows that drive it. Each does nothing while there is no view.
#pragma once

#include <windows.h>

// The camera view's window while it exists: set by its WM_CREATE, cleared by its WM_DESTROY.
extern HWND g_hCameraView;

void SendViewCommand(int command, LPARAM lParam);
void SetViewStyle(COLORREF gridColor, COLORREF lineColor, int lineWidth, COLORREF textColor, int textSize);
void SetViewZoom(int percent);
void SetViewScale(float scale, int unit);
