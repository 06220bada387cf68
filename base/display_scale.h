// Display scale arithmetic: sizes laid out for 96 DPI (100 %) turned into pixels for a window's
// DPI. Pure code (no windows.h), so the rounding is the same wherever a size is scaled.
#pragma once

#include "base/layout_units.h"

inline constexpr int kBaseDpi = 96;

// A DPI as a window reports it; nonsense (0, negative) counts as 96.
int UsableDpi(int dpi);

// `value` pixels at 96 DPI as pixels at `dpi`, rounded half away from zero. Exactly `value` at 96.
int ScaleForDpi(int value, int dpi);

// `value` pixels measured at `fromDpi` (say, with the system's fonts) as pixels at `toDpi`.
int ScaleBetweenDpis(int value, int fromDpi, int toDpi);

LayoutRect ScaleRectForDpi(const LayoutRect& rect, int dpi);
