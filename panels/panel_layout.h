// Arithmetic of the control panel: the sections stacked top to bottom, their heights as the
// sections report them, the vertical scroll range and position, and the chevron of a header bar.
// Pure code; the panel window (control_panel.cpp) and the header bar (section_header.cpp) use it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

inline constexpr int kPanelSectionCapacity = 18;
inline constexpr int kPanelSectionCount = 4;

// Panel slots, which are also the sections' order on screen.
inline constexpr int kSlotDevice = 0;
inline constexpr int kSlotPreview = 1;
inline constexpr int kSlotColors = 2;
inline constexpr int kSlotFiles = 3;

// Child identifiers of the sections inside the panel, and of a header bar inside its section.
inline constexpr int kIdDeviceSection = 100;
inline constexpr int kIdPreviewSection = 101;
inline constexpr int kIdFilesSection = 102;
inline constexpr int kIdColorsSection = 103;
inline constexpr int kIdSectionHeader = 100;

// The panel lays its sections out when it receives this command from itself.
inline constexpr int kPanelLayoutCommand = 6;

// Header bar and section heights in vertical dialog units.
inline constexpr int kSectionHeaderDialogUnits = 14;

// What a section answers to the heights query: collapsed height in the low 16 bits, expanded
// height in the high 16 bits.
struct SectionHeights {
    int collapsed = 0;
    int expanded = 0;
};
uint32_t PackHeightsAnswer(int collapsed, int expanded);
SectionHeights UnpackHeightsAnswer(uint32_t answer);

struct PanelSlot {
    SectionHeights heights;
    int expanded = 0;
};

// The height a section takes in its present state. A window that does not answer the query
// answers 0 and so takes no room.
int SlotHeight(const PanelSlot& slot);

// 2 x top margin + the sections' current heights.
int PanelContentHeight(std::span<const PanelSlot> slots, int topMargin);

// The vertical scroll bar for a content height in a client height. When everything fits the bar
// is hidden and the position is 0; otherwise the bar counts pixels with a page of 20, so that
// the thumb reaches exactly `range` (scrollMax = range + 19).
inline constexpr int kPanelScrollPage = 20;
struct PanelScroll {
    bool showBar = false;
    int range = 0;     // the largest position
    int position = 0;  // clamped to 0..range
    int scrollMax = 0; // range + page - 1 while shown
};
PanelScroll ComputePanelScroll(int contentHeight, int clientHeight, int oldPosition);

// Scroll-bar requests, numbered as the platform numbers them (SB_LINEUP ... SB_BOTTOM).
enum PanelScrollRequest : int {
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
    kScrollTop = 6,
    kScrollBottom = 7,
};

// The new position for a scroll request: a line is `lineStep` pixels, a page four lines, the thumb
// gives its own (16-bit) position. Always within 0..content - client; unchanged while everything
// fits or for a request the panel does not know.
int ScrolledPanelPosition(int request, int position, int thumbPosition, int lineStep, int contentHeight,
                          int clientHeight);

// The wheel scrolls one line up for a positive delta, else (a delta of 0 included) one line down.
int WheelScrollRequest(int wheelDelta);

struct PanelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PanelRect&) const = default;
};

// Where each section goes in a client width: stacked from top margin - scroll position, inset by
// the side margin on both sides.
std::vector<PanelRect> LayoutPanelSections(std::span<const PanelSlot> slots, int clientWidth, int sideMargin,
                                           int topMargin, int scrollPosition);

// The chevron at the right of a header bar: two strokes through three points, the tip in the
// middle. It points up while the section is expanded and down while it is collapsed.
struct ChevronPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ChevronPoint&) const = default;
};
struct Chevron {
    ChevronPoint from, tip, to;
};
Chevron HeaderChevron(int clientWidth, int clientHeight, bool expanded);

// Where a header bar draws its title: 5 pixels in, centred vertically.
inline constexpr int kHeaderTextX = 5;
int HeaderTextY(int clientHeight, int textHeight);
