// Geometry of the main window: where the control panel, the toolbar and the camera view go.
#pragma once

#include "base/layout_units.h"
#include "view/view_query.h" // kIdCameraView, the view's own id

// Child window identifiers of the main window.
inline constexpr int kIdToolbar = 107;
inline constexpr int kIdControlPanel = 109;

inline constexpr int kToolbarHeight = 52;
inline constexpr int kPanelWidthDialogUnits = 126;
inline constexpr int kPanelGap = 2; // strip between the panel and the toolbar/view
inline constexpr int kMainMinTrackWidth = 798;
inline constexpr int kMainMinTrackHeight = 520;

struct MainLayout {
    LayoutRect panel;
    LayoutRect toolbar;
    LayoutRect view;
};

// Lays the three children out in a client area of the given size. Sizes never go negative,
// so a minimised (0 x 0) client gives empty rectangles rather than nonsense.
MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int panelWidth);

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
