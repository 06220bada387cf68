// The measuring toolbar (window class "MyToolbarWndClass"): a fixed row of fourteen tool buttons
// across the top of the main window. It passes the buttons' clicks on to the main window and the
// main window's check commands on to the buttons. Its creation parameter is the tooltip its
// buttons register with (null for none).
#pragma once

#include <windows.h>

LRESULT CALLBACK ToolbarWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
