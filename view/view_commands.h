// Commands to the camera view, for the windows that drive it. Each takes the view's window (see
// CameraViewOf) and does nothing without one.
#pragma once

#include <windows.h>

void SendViewCommand(HWND view, int command, LPARAM lParam);
void SetViewStyle(HWND view, COLORREF gridColor, COLORREF lineColor, int lineWidth, COLORREF textColor,
                  int textSize);
void SetViewZoom(HWND view, int percent);
void SetViewScale(HWND view, float scale, int unit);
