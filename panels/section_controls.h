// Win32 helpers of the Preview and Colors sections: the system's dialog units, child controls,
// showing and hiding them together, and placing them in one batch. Their fonts and header bars are
// the ones every section shares (panels/section_header.h).
#pragma once

#include "panels/panel_layout.h"
#include "panels/section_units.h"

#include <windows.h>

#include <vector>

// The sections' header and control fonts (SectionHeaderFont, SectionControlFont), made once.
struct SectionFonts {
    HFONT header = nullptr;
    HFONT control = nullptr;
};
SectionFonts GetSectionFonts();

// The dialog units of the system's dialog font.
SectionUnits SystemSectionUnits();

// A hidden or visible child control with identifier `id`, at (0, 0) with no size: the section
// places it on WM_SIZE.
HWND CreateSectionControl(HWND section, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                          HFONT font);

// Shows or hides the controls firstId..lastId.
void ShowSectionControls(HWND section, int firstId, int lastId, bool show);

// Moves every control of the layout in one deferred batch, keeping the z-order.
void ApplySectionLayout(HWND section, const std::vector<ControlPlacement>& layout);

// The section's answer to the heights query.
LRESULT SectionHeightsAnswer(int collapsed, int expanded);

// Tells the panel (the section's parent) that the section in `slot` was expanded or collapsed.
void NotifyPanelOfExpand(HWND section, int slot, bool expanded);

// A length given at 96 DPI, in pixels at the screen's scale.
int ScreenPixels(int at96);

// The width of the control's own text, one line, in its own font.
int ControlTextWidth(HWND control);

// The widest text of the controls firstId..lastId, in each one's own font.
int WidestControlText(HWND section, int firstId, int lastId);

// What a check box takes beside its text: the box and the gap after it.
int CheckBoxMarkWidth();

// What a push button takes beside its caption: its border on both sides and, with an image, the
// image and the gap after it.
int PushButtonChromeWidth(HWND button);

void SetCheck(HWND control, bool ticked);
bool IsTicked(HWND control);
