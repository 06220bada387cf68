// Geometry of the main window: where the control panel, the toolbar and the camera view go.
#pragma once

inline constexpr int kToolbarHeight = 52;
inline constexpr int kPanelWidthDialogUnits = 126;
inline constexpr int kPanelGap = 2; // strip between the panel and the toolbar/view
inline constexpr int kMainMinTrackWidth = 798;
inline constexpr int kMainMinTrackHeight = 520;

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct MainLayout {
    LayoutRect panel;
    LayoutRect toolbar;
    LayoutRect view;
};

// a * b / c rounded half away from zero, as the platform's MulDiv; -1 when c is 0.
int MulDivRounded(int a, int b, int c);

// Horizontal dialog units to pixels for the given horizontal dialog base unit.
int DialogUnitsToPixelsX(int units, int baseUnitX);
// Vertical dialog units to pixels for the given vertical dialog base unit.
int DialogUnitsToPixelsY(int units, int baseUnitY);

// Lays the three children out in a client area of the given size. Sizes never go negative,
// so a minimised (0 x 0) client gives empty rectangles rather than nonsense.
MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int panelWidth);
