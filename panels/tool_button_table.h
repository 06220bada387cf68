// The fourteen buttons of the measuring toolbar: identifiers, fixed positions, strip images and the
// string-table keys of their tips.
#pragma once

#include <array>
#include <string_view>

inline constexpr int kToolButtonCount = 14;
inline constexpr int kToolButtonSize = 52; // every face is 52 x 52 at y = 0
inline constexpr int kToolImageSize = 40;  // each strip image is 40 x 40
inline constexpr int kToolImageStripId = 137;

// The strip drawn at 100 % and the larger ones drawn for higher display scales, smallest first.
struct ToolStrip {
    int resourceId;
    int imageSize; // each image is imageSize x imageSize, side by side in button order
};
inline constexpr ToolStrip kToolStrips[] = {{kToolImageStripId, 40}, {138, 60}, {139, 80}};

struct ToolButtonSpec {
    int id;     // child identifier and the command the button sends
    int x;      // left edge in the toolbar, fixed whatever the toolbar's width
    int imageX; // left edge of the button's image in the strip
    std::string_view tipKey;
};

// Left to right, in creation order. The row is not evenly spaced: there are gaps after the
// first two buttons and before the two delete buttons.
inline constexpr std::array<ToolButtonSpec, kToolButtonCount> kToolButtons = {{
    {3017, 4, 0 * kToolImageSize, "tip calibration"},
    {3090, 58, 1 * kToolImageSize, "tip crosshair"},
    {3021, 112, 2 * kToolImageSize, "tip line"},
    {3022, 164, 3 * kToolImageSize, "tip line2"},
    {3024, 216, 4 * kToolImageSize, "tip rectangle"},
    {3023, 268, 5 * kToolImageSize, "tip circle"},
    {3039, 320, 6 * kToolImageSize, "tip circle2"},
    {3025, 372, 7 * kToolImageSize, "tip angle"},
    {3026, 424, 8 * kToolImageSize, "tip pencil"},
    {3068, 476, 9 * kToolImageSize, "tip arrow"},
    {3027, 528, 10 * kToolImageSize, "tip text"},
    {3030, 580, 11 * kToolImageSize, "tip drag"},
    {3028, 636, 12 * kToolImageSize, "tip del last"},
    {3029, 688, 13 * kToolImageSize, "tip del all"},
}};

// Position of the button `id` in kToolButtons, or -1 when no button has that identifier.
int ToolButtonIndex(int id);

// True for the identifiers of the fourteen buttons, the only commands the toolbar passes on.
bool IsToolButtonId(int id);
