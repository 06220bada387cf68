// The Files section of the control panel (window class "CtrlPanelFilesWndClass"): the list of the
// photos and videos saved so far, by file name, and a preview of the selected one at 25 % in an
// image viewer below it. A double click on the list or on the preview opens the file with the
// program the system associates with it.
//
// The panel creates it with a FilesSectionCreation as the creation parameter and talks to it with
// UM_SECTION_SIZE, UM_SECTION_EXPAND, UM_RECENT_FILE_ADDED and WM_COMMAND 1039.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "output/recent_files.h"
#include "panels/files_layout.h"

// What the section is made with, as the control panel is: the panel's width in pixels and the
// program's recent files, which the section fills from the settings at creation and shows.
struct FilesSectionCreation {
    int panelWidth = 0;
    RecentFiles* recent = nullptr;
};

// One section's record, in its first extra window word from WM_CREATE to WM_DESTROY.
struct FilesSectionState {
    HWND window;
    HWND header;
    HWND list;
    HWND preview;
    FilesSectionLayout layout;
    RecentFiles* recent;
};

LRESULT CALLBACK FilesSectionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
