// Arithmetic shared by the control panel's Preview and Colors sections: dialog units to pixels,
// control placements and the thumb position of a slider's scroll notification. Pure code (no
// windows.h).
#pragma once

#include "base/layout_units.h"

#include <cstdint>
#include <vector>

// Dialog units of the system's default dialog font (GetDialogBaseUnits).
struct SectionUnits {
    int baseX = 0;
    int baseY = 0;

    int X(int n) const { return DialogUnitsToPixelsX(n, baseX); }
    int Y(int n) const { return DialogUnitsToPixelsY(n, baseY); }
    // The header bar's height and the height of a collapsed section (the bar and one line).
    int HeaderHeight() const { return Y(14); }
    int CollapsedHeight() const { return Y(14) + 1; }
};

// The answer to the panel's heights query: collapsed in the low 16 bits, expanded in the high 16.
uint32_t PackSectionHeights(int collapsed, int expanded);

// Where one child control goes, in the section's client coordinates.
struct ControlPlacement {
    int id = 0;
    LayoutRect rect;
    bool operator==(const ControlPlacement& other) const {
        return id == other.id && rect.x == other.rect.x && rect.y == other.rect.y &&
               rect.width == other.rect.width && rect.height == other.rect.height;
    }
};

// The placement of `id` in a layout, or nullptr.
const ControlPlacement* FindPlacement(const std::vector<ControlPlacement>& layout, int id);

// The scroll requests of a slider's WM_HSCROLL (the platform's SB_* numbers).
inline constexpr int kSliderThumbPosition = 4; // SB_THUMBPOSITION
inline constexpr int kSliderThumbTrack = 5;    // SB_THUMBTRACK

// The slider position a scroll notification stands for: the thumb's 16-bit position for the
// thumb requests, otherwise the slider's current position. A slider whose range reaches beyond
// 16 bits cannot report its thumb in the notification, so its current position counts then too.
int SliderScrollPosition(int request, int thumb16, int currentPosition, int64_t sliderSpan);
