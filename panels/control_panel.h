// The control panel (window class "CtrlPanelWndClass", child 109 of the main window): the column
// of collapsible sections Device, Preview, Colors and Files, stacked top to bottom with a vertical
// scroll bar when they are taller than the panel. It relays the main window's notices
// (UM_PANEL_REFRESH, UM_RECENT_FILE_ADDED, the refresh-texts command) to the sections.
//
// The section protocol: the panel asks a section for its heights with UM_SECTION_SIZE (collapsed
// in the low 16 bits, expanded in the high 16 bits); a section tells the panel it was expanded or
// collapsed with UM_SECTION_EXPAND (wParam = its slot, lParam = 1 expanded or 0).
//
// Its creation parameter is what the Files section is made with (FilesSectionCreation): the panel's
// width and the recent files.
#pragma once

#include "panels/files_section.h"
#include "panels/panel_layout.h"

#include <windows.h>

#include <array>

struct ControlPanelState {
    HWND window = nullptr;
    FilesSectionCreation files; // the creation parameter, passed on to the Files section
    std::array<HWND, kPanelSectionCapacity> sections = {};
    std::array<PanelSlot, kPanelSectionCapacity> slots = {};
    int sectionCount = 0;
    int contentHeight = 0; // 2 x top margin + the sections' current heights
    int scrollPosition = 0;
    bool heightsRechecked = false; // the last layout found new heights and laid out again
};

// Measured once, on the first panel's creation, and kept for the process.
struct ControlPanelMetrics {
    int lineStep = 0;   // height of "ZH" in the sections' control font: one wheel or arrow step
    int sideMargin = 0; // 4 horizontal dialog units
    int topMargin = 0;  // 4 vertical dialog units
};
const ControlPanelMetrics& PanelMetrics();

LRESULT CALLBACK ControlPanelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
