// The Options dialog (template 2001): colours, line width and text size of the measurement
// graphics, the save folder, the photo format and the interface language. OK stores and applies
// everything at once. ShowOptionsDialog (declared in app/main_window.h) runs it over the main
// window.
#pragma once

#include <windows.h>

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
