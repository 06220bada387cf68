// The Options dialog (template 2001): colours, line width and text size of the measurement
// graphics, the save folder, the photo format and the interface language. OK stores and applies
// everything at once, and tells its owner (the main window) with CMD_APPLY_STYLE, after
// CMD_REFRESH_TEXTS when the language changed.
#pragma once

#include <windows.h>

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally over `owner`.
void ShowOptionsDialog(HWND owner);
