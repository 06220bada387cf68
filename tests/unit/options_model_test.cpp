// The Options dialog's lookups and the settings it writes back.
#include "base/string_table.h"
#include "panels/options_model.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

TEST(OptionsModel, PaletteLookupsFallBackToLimeAndTheListItems) {
    for (int i = 0; i < kPaletteSize; ++i) {
        EXPECT_EQ(PaletteIndexOf(kPaletteColors[i]), i);
        EXPECT_EQ(PaletteColorAt(i), kPaletteColors[i]);
        EXPECT_TRUE(IsDrawableColorItem(static_cast<unsigned>(i)));
    }
    EXPECT_EQ(PaletteColorAt(kPaletteFallbackIndex), 0x00FF00u);
    for (uint32_t outside : {0x000000u, 0xFFFFFFu, 0x123456u, 0x01000080u})
        EXPECT_EQ(PaletteIndexOf(outside), kPaletteFallbackIndex) << std::hex << outside;
    for (int outside : {-1, 12, 1000})
        EXPECT_EQ(PaletteColorAt(outside), 0x00FF00u) << outside;
    // "No item" arrives as -1 taken unsigned.
    EXPECT_FALSE(IsDrawableColorItem(12));
    EXPECT_FALSE(IsDrawableColorItem(static_cast<unsigned>(-1)));

    EXPECT_EQ(LineWidthItems(), (std::vector<std::wstring>{L" 1", L" 2"}));
    EXPECT_EQ(PhotoFormatItems(), (std::vector<std::wstring>{L" JPG", L" PNG"}));
    const auto sizes = TextSizeItems();
    ASSERT_EQ(sizes.size(), 17u);
    EXPECT_EQ(sizes.front(), L" 8");
    EXPECT_EQ(sizes.back(), L" 24");
}

TEST(OptionsModel, SelectionsShowTheSettings) {
    AppSettings settings;
    std::tie(settings.language, settings.saveFolder, settings.gridColor, settings.lineColor,
             settings.lineWidth, settings.textColor, settings.textSize, settings.photoFormat) =
        std::tuple(7, L"C:\\pics", 0xFF0000, 0x000001, 2, 0x00FFFF, 14, 1);
    EXPECT_EQ(SelectionsFromSettings(settings), (OptionsSelections{5, 3, 1, 11, 6, 1, 7, L"C:\\pics"}));

    // Values without an item leave their lists without a selection.
    std::tie(settings.lineWidth, settings.textSize, settings.photoFormat, settings.language) =
        std::tuple(3, 25, 2, 12);
    const OptionsSelections none = SelectionsFromSettings(settings);
    EXPECT_EQ(std::tuple(none.lineWidth, none.textSize, none.photoFormat, none.language),
              std::tuple(-1, -1, -1, -1));
}

TEST(OptionsModel, OkWritesTheSelectionsBackAndChangesTheLanguageOnlyWhenItDiffers) {
    AppSettings settings;
    std::tie(settings.language, settings.saveFolder, settings.gridColor, settings.lineColor,
             settings.lineWidth, settings.textColor, settings.textSize, settings.maxRecordSeconds) =
        std::tuple(3, L"C:\\old", 0x0000FF, 0x00FF00, 1, 0x00FF00, 14, 30);

    // Unchanged selections leave the settings as they were, with no language change.
    AppSettings same = settings;
    EXPECT_FALSE(ApplySelections(same, SelectionsFromSettings(settings)));
    EXPECT_EQ(same, settings);

    // Nothing selected in a colour list: the fallback colour.
    OptionsSelections s = SelectionsFromSettings(settings);
    std::tie(s.gridColor, s.lineColor, s.textColor, s.lineWidth, s.textSize, s.photoFormat, s.saveFolder) =
        std::tuple(9, -1, 0, 1, 16, 1, L"D:\\new");
    AppSettings changed = settings;
    EXPECT_FALSE(ApplySelections(changed, s));
    AppSettings want = settings;
    std::tie(want.gridColor, want.lineColor, want.textColor, want.lineWidth, want.textSize, want.photoFormat,
             want.saveFolder) = std::tuple(0xFFFF00, 0x00FF00, 0x000080, 2, 24, 1, L"D:\\new");
    EXPECT_EQ(changed, want);

    // A list without a selection keeps its value rather than storing nonsense.
    s.lineWidth = s.textSize = s.photoFormat = -1;
    AppSettings kept = settings;
    ApplySelections(kept, s);
    EXPECT_EQ(std::tuple(kept.lineWidth, kept.textSize, kept.photoFormat), std::tuple(1, 14, 0));

    // The folder is cut to what the setting holds.
    s.saveFolder = std::wstring(300, L'x');
    ApplySelections(kept, s);
    EXPECT_EQ(kept.saveFolder.size(), kSaveFolderCapacity - 1);

    // The language changes only when the selection differs.
    settings.language = 5;
    s = SelectionsFromSettings(settings);
    EXPECT_FALSE(ApplySelections(settings, s));
    s.language = 1;
    EXPECT_TRUE(ApplySelections(settings, s));
    EXPECT_EQ(settings.language, 1);

    // A stored language outside the list: the unselected list stores -1, which shows English.
    settings.language = 12;
    s = SelectionsFromSettings(settings);
    EXPECT_TRUE(ApplySelections(settings, s));
    EXPECT_EQ(settings.language, -1);
    EXPECT_STREQ(LanguageListName(settings.language), L" English");
}

TEST(OptionsModel, DialogsSitCentredBelowTheTopOfTheirOwner) {
    const DialogPosition p = PlaceOverOwner(100, 50, 1100, 400);
    EXPECT_EQ(std::pair(p.x, p.y), std::pair(400, 118));
}
