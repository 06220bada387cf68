// The measurement tests draw in red lines, a cyan grid and crosshair and blue text, colours the
// specimen does not have; these tell them apart from it with room for smoothing.
#pragma once

#include <windows.h>

inline bool IsLine(COLORREF c) {
    return GetRValue(c) >= 190 && GetGValue(c) <= 100 && GetBValue(c) <= 100;
}
inline bool IsGrid(COLORREF c) {
    return GetRValue(c) <= 80 && GetGValue(c) >= 190 && GetBValue(c) >= 190;
}
inline bool IsText(COLORREF c) {
    return GetRValue(c) <= 80 && GetGValue(c) <= 80 && GetBValue(c) >= 190;
}
