// The control panel's Preview section (window class "CtrlPanelFlipWndClass"): the zoom slider of
// the live picture with its read-out and "100%" box, the two flips and the four picture effects.
#pragma once

#include <windows.h>

// The section's record, in its first extra window word.
struct PreviewSectionState {
    HWND window = nullptr;
};

LRESULT CALLBACK PreviewSectionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
