// Geometry of the Files section: the header bar, the list of saved files and the 4:3 preview under
// it, in vertical dialog units converted with the system's vertical dialog base unit.
#pragma once

#include "base/layout_units.h"

// Child identifiers inside the section.
inline constexpr int kFilesHeaderId = 100;
inline constexpr int kFilesListId = 101;
inline constexpr int kFilesPreviewId = 102;

// The section's slot in the control panel.
inline constexpr int kFilesPanelSlot = 3;

// At creation the section only knows the panel's width; its own is this much narrower.
inline constexpr int kFilesCreationWidthAllowance = 16;

// Item colours of the list (COLORREF 0x00BBGGRR).
inline constexpr unsigned kFilesItemBackground = 0xFAFFFF;     // RGB(255, 255, 250)
inline constexpr unsigned kFilesSelectedBackground = 0xDCDC91; // RGB(145, 220, 220)
inline constexpr int kFilesItemTextInset = 3;
inline constexpr int kFilesItemExtraHeight = 6; // over the height of a line of header text

struct FilesSectionLayout {
    int collapsedHeight = 0; // header height + 1
    int expandedHeight = 0;  // bottom of the preview
    LayoutRect header;
    LayoutRect list;
    LayoutRect preview;
};

// Layout for a section `width` pixels wide; a negative width counts as 0.
FilesSectionLayout ComputeFilesSectionLayout(int width, int baseUnitY);
