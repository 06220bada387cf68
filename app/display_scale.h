// Display scale arithmetic: sizes laid out for 96 DPI (100 %) turned into pixels for a window's
// DPI. Pure code (no windows.h), so the rounding is the same wherever a size is scaled.
#pragma once

#include "app/main_layout.h"

inline constexpr int kBaseDpi = 96;

// A DPI as a window reports it; nonsense (0, negative) counts as 96.
int UsableDpi(int dpi);

// `value` pixels at 96 DPI as pixels at `dpi`, rounded half away from zero. Exactly `value` at 96.
int ScaleForDpi(int value, int dpi);

// `value` pixels measured at `fromDpi` (say, with the system's fonts) as pixels at `toDpi`.
int ScaleBetweenDpis(int value, int fromDpi, int toDpi);

LayoutRect ScaleRectForDpi(const LayoutRect& rect, int dpi);

// The main window's layout at a DPI: the toolbar's height and the strip beside the panel scale,
// the panel keeps the width it is given (it comes from the dialog font, already at that DPI).
MainLayout ComputeMainLayoutForDpi(int clientWidth, int clientHeight, int panelWidth, int dpi);

struct MinTrackSize {
    int width = 0;
    int height = 0;
};

// The smallest size a user can drag the main window to, at a DPI: scaled, but never beyond the
// monitor's work area (0 x 0 when unknown), where it would push the window off the screen.
MinTrackSize MinTrackSizeForDpi(int dpi, MinTrackSize workArea);
