// The header bar at the top of every control-panel section (window class
// "CtrlPanelHeaderWndClass", child 100 of its section): the section's title on a coloured bar with
// a chevron at the right. A click toggles the section; the bar tells its section with
// UM_SECTION_EXPAND (wParam = 1 expanded, 0 collapsed), and the section then shows or hides its
// controls and tells the panel. Sending UM_SECTION_EXPAND to the bar toggles it as a click does.
#pragma once

#include <windows.h>

struct PanelHeaderState {
    HWND window = nullptr;
    int hover = 0;        // from the first mouse move over the bar until the pointer leaves it
    int expanded = 0;     // starts collapsed
    HFONT font = nullptr; // WM_SETFONT; the panel's header font when none was set
};

inline constexpr COLORREF kHeaderFaceColor = RGB(143, 219, 219);
inline constexpr COLORREF kHeaderTextColor = RGB(192, 0, 0);
inline constexpr COLORREF kHeaderHoverTextColor = RGB(0, 0, 192);

LRESULT CALLBACK SectionHeaderWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Creates a section's header bar (child 100, visible) with its title, at the top of the section.
HWND CreateSectionHeader(HWND section, const wchar_t* title, int width, int height);

// Sets the bar's title and repaints it at once (the sections do this after a language change).
void SetSectionHeaderTitle(HWND header, const wchar_t* title);

// The sections' shared fonts, made on first use and kept for the process: the header font
// ("Segoe UI" 12 points, weight 300) and the font of the sections' controls (10 points).
HFONT SectionHeaderFont();
HFONT SectionControlFont();
