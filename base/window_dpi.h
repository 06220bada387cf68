// The DPI a window is shown at. The per-monitor functions of user32 are looked up at run time:
// systems without them fall back to the system's DPI.
#pragma once

#include <windows.h>

// The window's DPI (96 at 100 %); the system's DPI where the system cannot tell per window.
int WindowDpi(HWND hwnd);

// The DPI the system's fonts and dialog base units are made for.
int SystemDpi();
