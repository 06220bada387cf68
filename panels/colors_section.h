// The control panel's Colors section (window class "CtrlPanelColorWndClass"): a slider per picture
// control of the open camera with its name and value, "Auto" boxes for exposure and white
// balance, the power-line frequency list and a "Default" button.
#pragma once

#include "panels/colors_section_model.h"

#include <windows.h>

// The section's record, in its first extra window word.
struct ColorsSectionState {
    HWND window = nullptr;
    FrequencyListView frequency; // what the entries of the frequency list stand for
};

LRESULT CALLBACK ColorsSectionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
