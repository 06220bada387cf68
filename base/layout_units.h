// Rectangles and dialog units of window layouts. Pure code (no windows.h), so every layout rounds
// the same way.
#pragma once

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// a * b / c rounded half away from zero, as the platform's MulDiv; -1 when c is 0.
int MulDivRounded(int a, int b, int c);

// Horizontal dialog units to pixels for the given horizontal dialog base unit.
int DialogUnitsToPixelsX(int units, int baseUnitX);
// Vertical dialog units to pixels for the given vertical dialog base unit.
int DialogUnitsToPixelsY(int units, int baseUnitY);
