// What the Options dialog shows and stores: palette lookups with their fallback, the list items,
// the selections taken from the settings and written back at OK, and where the dialog goes.
// Pure code (no windows.h).
#pragma once

#include "base/app_settings.h"

#include <cstdint>
#include <string>
#include <vector>

// The palette entry that stands in for a colour outside the palette (lime).
inline constexpr int kPaletteFallbackIndex = 3;
inline constexpr int kPaletteSize = static_cast<int>(kPaletteColors.size());

// Index of `color` in the palette, or the fallback index.
int PaletteIndexOf(uint32_t color);

// The colour of a list selection; a selection outside the palette gives the fallback colour.
uint32_t PaletteColorAt(int selection);

// Whether the colour list draws item `itemId` (as the platform passes it, -1 being "no item").
bool IsDrawableColorItem(unsigned itemId);

inline constexpr int kMinTextSize = 8;
inline constexpr int kMaxTextSize = 24;
inline constexpr size_t kSaveFolderMaxLength = kSaveFolderCapacity - 1;

std::vector<std::wstring> LineWidthItems();   // " 1", " 2"
std::vector<std::wstring> TextSizeItems();    // " 8" ... " 24"
std::vector<std::wstring> PhotoFormatItems(); // " JPG", " PNG"

// The dialog's lists and edit field; -1 is a list without a selection.
struct OptionsSelections {
    int gridColor = -1;
    int lineColor = -1;
    int lineWidth = -1;
    int textColor = -1;
    int textSize = -1;
    int photoFormat = -1;
    int language = -1;
    std::wstring saveFolder;
    bool operator==(const OptionsSelections&) const = default;
};

// The selections that show the settings. A value with no item leaves its list unselected.
OptionsSelections SelectionsFromSettings(const AppSettings& settings);

// Writes the selections into the settings and tells whether the language changed. A list left
// without a selection keeps the width, size or photo format as they were (a colour takes the
// fallback, the language takes -1, which shows English). The folder is cut to what the setting
// holds.
bool ApplySelections(AppSettings& settings, const OptionsSelections& selections);

// Top-left corner of a dialog placed over its owner: centred across, 68 pixels below its top.
struct DialogPosition {
    int x = 0;
    int y = 0;
};
DialogPosition PlaceOverOwner(int ownerLeft, int ownerTop, int ownerRight, int dialogWidth);
