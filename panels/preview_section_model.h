// The Preview section's controls, its zoom read-out, the rule that keeps the four effects apart,
// and its layout. Pure code (no windows.h).
#pragma once

#include "panels/section_units.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kPreviewHeaderId = 100;
inline constexpr int kZoomReadoutId = 101;
inline constexpr int kZoomSliderId = 102;
inline constexpr int kZoom100BoxId = 103;
inline constexpr int kFlipHorzBoxId = 104;
inline constexpr int kFlipVertBoxId = 105;
inline constexpr int kGrayBoxId = 106;
inline constexpr int kBinaryBoxId = 107;
inline constexpr int kInvertBoxId = 108;
inline constexpr int kEmbossBoxId = 109;
inline constexpr int kPreviewFirstControlId = 101; // shown only while the section is expanded
inline constexpr int kPreviewLastControlId = 109;

inline constexpr int kPreviewZoomMin = 50;
inline constexpr int kPreviewZoomMax = 200;

// The six filter boxes and the keys of their texts, in identifier order.
struct FilterBox {
    int id;
    std::string_view key;
};
inline constexpr std::array<FilterBox, 6> kFilterBoxes = {{
    {kFlipHorzBoxId, "flip horz"},
    {kFlipVertBoxId, "flip vert"},
    {kGrayBoxId, "gray"},
    {kBinaryBoxId, "binary"},
    {kInvertBoxId, "invert"},
    {kEmbossBoxId, "emboss"},
}};

// The filter switches as the boxes show them; each 0 or 1.
struct PreviewSwitches {
    int mirror = 0;
    int flipVertical = 0;
    int gray = 0;
    int binary = 0;
    int invert = 0;
    int emboss = 0;
    bool operator==(const PreviewSwitches&) const = default;
};

// The switches after box `id` was clicked and is now `ticked`. Ticking one of gray, binary,
// invert and emboss clears the other three; unticking clears only its own. The two flips are
// independent of everything. Any other identifier changes nothing.
PreviewSwitches AfterFilterBoxClick(PreviewSwitches switches, int id, bool ticked);

// Whether box `id` shows ticked for these switches.
bool FilterBoxTicked(const PreviewSwitches& switches, int id);

// "100%", "150%".
std::wstring ZoomReadout(int percent);

// The six filter boxes stand in two columns, or in one when a text is too wide for half the
// section; the section is then three rows taller.
std::vector<ControlPlacement> PreviewSectionLayout(int width, const SectionUnits& units,
                                                   bool oneColumn = false);
int PreviewExpandedHeight(const SectionUnits& units, bool oneColumn = false);

// The width of a filter box in the two-column layout.
int PreviewBoxWidth(int width, const SectionUnits& units);
