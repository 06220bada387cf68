// Rectangles and dialog units of window layouts. Pure code (no windows.h), so every layout rounds
// the same way.
#pragma once

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Top-left corner of a dialog `dialogWidth` wide placed over its owner: centred across it,
// kDialogTopOffset pixels below its top edge.
inline constexpr int kDialogTopOffset = 68;
struct DialogCorner {
    int x = 0;
    int y = 0;
    bool operator==(const DialogCorner&) const = default;
};
DialogCorner DialogCornerOver(int ownerLeft, int ownerTop, int ownerWidth, int dialogWidth);

// a * b / c rounded half away from zero, as the platform's MulDiv; -1 when c is 0.
int MulDivRounded(int a, int b, int c);

// Horizontal dialog units to pixels for the given horizontal dialog base unit.
int DialogUnitsToPixelsX(int units, int baseUnitX);
// Vertical dialog units to pixels for the given vertical dialog base unit.
int DialogUnitsToPixelsY(int units, int baseUnitY);
