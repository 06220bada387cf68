#include "panels/options_model.h"

#include "base/layout_units.h"

#include "base/string_table.h"

int PaletteIndexOf(uint32_t color) {
    for (int i = 0; i < kPaletteSize; ++i) {
        if (kPaletteColors[i] == color)
            return i;
    }
    return kPaletteFallbackIndex;
}

uint32_t PaletteColorAt(int selection) {
    if (selection < 0 || selection >= kPaletteSize)
        return kPaletteColors[kPaletteFallbackIndex];
    return kPaletteColors[selection];
}

bool IsDrawableColorItem(unsigned itemId) {
    return itemId < static_cast<unsigned>(kPaletteSize);
}

namespace {

std::vector<std::wstring> NumberItems(int first, int last) {
    std::vector<std::wstring> items;
    for (int n = first; n <= last; ++n)
        items.push_back(L" " + std::to_wstring(n));
    return items;
}

// The index when it names an item of a list of `count`, else -1.
int ItemOrNone(int index, int count) {
    return index >= 0 && index < count ? index : -1;
}

} // namespace

std::vector<std::wstring> LineWidthItems() {
    return NumberItems(1, 2);
}

std::vector<std::wstring> TextSizeItems() {
    return NumberItems(kMinTextSize, kMaxTextSize);
}

std::vector<std::wstring> PhotoFormatItems() {
    return {L" JPG", L" PNG"};
}

OptionsSelections SelectionsFromSettings(const AppSettings& settings) {
    OptionsSelections s;
    s.gridColor = PaletteIndexOf(settings.gridColor);
    s.lineColor = PaletteIndexOf(settings.lineColor);
    s.textColor = PaletteIndexOf(settings.textColor);
    s.lineWidth = ItemOrNone(settings.lineWidth - 1, 2);
    s.textSize = ItemOrNone(settings.textSize - kMinTextSize, kMaxTextSize - kMinTextSize + 1);
    s.photoFormat = ItemOrNone(settings.photoFormat, 2);
    s.language = ItemOrNone(settings.language, kLanguageCount);
    s.saveFolder = settings.saveFolder;
    return s;
}

bool ApplySelections(AppSettings& settings, const OptionsSelections& s) {
    settings.gridColor = PaletteColorAt(s.gridColor);
    settings.lineColor = PaletteColorAt(s.lineColor);
    settings.textColor = PaletteColorAt(s.textColor);
    if (ItemOrNone(s.lineWidth, 2) >= 0)
        settings.lineWidth = s.lineWidth + 1;
    if (ItemOrNone(s.textSize, kMaxTextSize - kMinTextSize + 1) >= 0)
        settings.textSize = s.textSize + kMinTextSize;
    if (ItemOrNone(s.photoFormat, 2) >= 0)
        settings.photoFormat = s.photoFormat;
    settings.saveFolder = s.saveFolder.substr(0, kSaveFolderMaxLength);
    if (s.language == settings.language)
        return false;
    settings.language = s.language;
    return true;
}

DialogPosition PlaceOverOwner(int ownerLeft, int ownerTop, int ownerRight, int dialogWidth) {
    const DialogCorner corner = DialogCornerOver(ownerLeft, ownerTop, ownerRight - ownerLeft, dialogWidth);
    return {corner.x, corner.y};
}
