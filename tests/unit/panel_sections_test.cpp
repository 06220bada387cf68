// The Colors and Preview sections' arithmetic: layouts in dialog units, the slider mapping of the
// camera controls, how each row and the power-line list show a control, the effect boxes.
#include "base/string_table.h"
#include "capture/camera_property.h"
#include "panels/colors_section_model.h"
#include "panels/panel_layout.h"
#include "panels/preview_section_model.h"
#include "panels/section_units.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// Base units with which every dialog unit is two pixels, and awkward ones that round.
constexpr SectionUnits kEvenUnits = {8, 16};
constexpr SectionUnits kOddUnits = {7, 13};

LayoutRect At(const std::vector<ControlPlacement>& layout, int id) {
    const ControlPlacement* p = FindPlacement(layout, id);
    EXPECT_NE(p, nullptr) << id;
    return p ? p->rect : LayoutRect{};
}

CameraProperty Control(int32_t min, int32_t max, int32_t step, int32_t def, int32_t caps, int32_t value,
                       int32_t mode) {
    CameraProperty p;
    TakeRange(p, min, max, step, def, caps);
    TakeCurrent(p, value, mode);
    return p;
}

const ColorRow& Row(CameraPropertyIndex index) {
    for (const ColorRow& row : kColorRows) {
        if (row.property == index)
            return row;
    }
    ADD_FAILURE() << "no row for " << index;
    return kColorRows[0];
}

} // namespace

TEST(SectionUnits, HeightsAnswerAndSliderNotifications) {
    EXPECT_EQ(kEvenUnits.HeaderHeight(), 28);
    EXPECT_EQ(kEvenUnits.CollapsedHeight(), 29);
    EXPECT_EQ(PackSectionHeights(29, 465), 29u | (465u << 16));
    EXPECT_EQ(PackSectionHeights(29, 465), PackHeightsAnswer(29, 465));

    // Thumb requests carry the position; anything else (line, page, end of a drag) reads the slider.
    EXPECT_EQ(SliderScrollPosition(kSliderThumbTrack, 150, 100, 200), 150);
    EXPECT_EQ(SliderScrollPosition(kSliderThumbPosition, 65535, 0, 65535), 65535);
    EXPECT_EQ(SliderScrollPosition(0 /* line up */, 150, 99, 200), 99);
    EXPECT_EQ(SliderScrollPosition(8 /* end scroll */, 0, 120, 200), 120);
    // A range wider than 16 bits cannot report its thumb in the notification.
    EXPECT_EQ(SliderScrollPosition(kSliderThumbTrack, 1234, 70000, 70000), 70000);
}

TEST(ColorsSection, LayoutStacksNineRowsThenFrequencyAndDefault) {
    const int w = 252;
    const auto layout = ColorsSectionLayout(w, kEvenUnits);
    EXPECT_EQ(layout.size(), 1u + 9 * 2 + 2 + 3);

    const LayoutRect header = At(layout, kColorsHeaderId);
    EXPECT_EQ(header.width, w);
    EXPECT_EQ(header.height, 28);

    // Labels 19 units apart except 21 after the second (white balance) row; sliders 10 units below.
    const int labelY[] = {37, 75, 117, 155, 193, 231, 269, 307, 345};
    for (int i = 0; i < kColorRowCount; ++i) {
        SCOPED_TRACE(i);
        const LayoutRect label = At(layout, kColorRows[i].labelId);
        const LayoutRect slider = At(layout, kColorRows[i].sliderId);
        EXPECT_EQ(label.x, 8);
        EXPECT_EQ(label.y, labelY[i]);
        // Up to the "Auto" box (2 units before it) in the first two rows, else across the row.
        EXPECT_EQ(label.width, i < 2 ? w - 76 : w - 16);
        EXPECT_EQ(label.height, 16);
        EXPECT_EQ(std::tuple(slider.x, slider.y, slider.width, slider.height),
                  std::tuple(8, labelY[i] + 20, w - 16, 16));
    }
    const LayoutRect autoExposure = At(layout, kExposureAutoId);
    EXPECT_EQ(std::tuple(autoExposure.x, autoExposure.y, autoExposure.width, autoExposure.height),
              std::tuple(w - 64, 37, 56, 20));
    EXPECT_EQ(At(layout, kWhiteBalanceAutoId).y, 75);

    EXPECT_EQ(At(layout, kFrequencyLabelId).y, 345 + 46);
    const LayoutRect list = At(layout, kFrequencyListId);
    EXPECT_EQ(std::tuple(list.x, list.y, list.width, list.height), std::tuple(108, 365 + 24, w - 116, 120));
    const LayoutRect button = At(layout, kDefaultButtonId);
    EXPECT_EQ(std::tuple(button.y, button.width, button.height), std::tuple(list.y + 36, w - 16, 32));

    const int expanded = ColorsExpandedHeight(kEvenUnits);
    EXPECT_EQ(expanded, 29 + 436);
    EXPECT_LE(button.y + button.height, expanded);
}

TEST(ColorsSection, LayoutConvertsEachTermOnItsOwn) {
    // Y(n) = MulDiv(n, 13, 8): Y(4) = 7, Y(14) = 23, Y(19) = 31, Y(21) = 34, Y(23) = 37, Y(12) = 20.
    const auto layout = ColorsSectionLayout(200, kOddUnits);
    const int k = 23 + 1;
    EXPECT_EQ(At(layout, 101).y, k + 7);
    EXPECT_EQ(At(layout, 102).y - At(layout, 101).y, 31);
    EXPECT_EQ(At(layout, 103).y - At(layout, 102).y, 34);
    EXPECT_EQ(At(layout, 109).y - At(layout, 103).y, 6 * 31); // not Y(114) = 185
    EXPECT_EQ(At(layout, 110).y, k + 23);
    EXPECT_EQ(At(layout, kFrequencyLabelId).y, At(layout, 109).y + 37);
    EXPECT_EQ(At(layout, kFrequencyListId).y, At(layout, 118).y + 20);
    // X(8) = 14, X(32) = 56, X(58) = 102 (101.5 rounds up).
    EXPECT_EQ(At(layout, 110).width, 200 - 14);
    EXPECT_EQ(At(layout, kExposureAutoId).x, 200 - 56);
    EXPECT_EQ(At(layout, kFrequencyListId).width, 200 - 102);

    // A width too narrow for the margins gives empty controls, never negative sizes.
    for (const ControlPlacement& p : ColorsSectionLayout(4, kOddUnits))
        EXPECT_GE(p.rect.width, 0) << p.id;
}

TEST(ColorsSection, RowsFindTheirNamesThroughTheTextTable) {
    SelectLanguage(0);
    const wchar_t* english[] = {L"Exposure:", L"White balance:", L"Gain:",      L"Brightness:", L"Contrast:",
                                L"Hue:",      L"Saturation:",    L"Sharpness:", L"Gamma:"};
    for (int i = 0; i < kColorRowCount; ++i) {
        EXPECT_EQ(kColorRows[i].textId, 1061 + i);
        EXPECT_EQ(GetText(ColorTextKey(kColorRows[i].textId)), english[i]);
        EXPECT_EQ(ColorRowOfSlider(kColorRows[i].sliderId), &kColorRows[i]);
    }
    EXPECT_TRUE(ColorTextKey(1060).empty());
    EXPECT_TRUE(ColorTextKey(1070).empty());
    EXPECT_EQ(ColorRowOfSlider(119), nullptr);
    EXPECT_EQ(ColorRowOfAutoBox(kExposureAutoId)->property, kPropExposure);
    EXPECT_EQ(ColorRowOfAutoBox(kWhiteBalanceAutoId)->property, kPropWhiteBalance);
    EXPECT_EQ(ColorRowOfAutoBox(0), nullptr);
    EXPECT_EQ(ColorRowOfAutoBox(110), nullptr);
}

TEST(ColorsSection, SlidersRunFromZeroToTheWidthOfTheRange) {
    // -13..-1: a slider of 0..12 whose position 0 stands for -13.
    const CameraProperty exposure = Control(-13, -1, 1, -6, 3, -6, 2);
    EXPECT_EQ(ColorSliderSpan(exposure), 12);
    EXPECT_EQ(ColorSliderPosition(exposure), 7);
    EXPECT_EQ(ColorSliderValue(exposure, 0), -13);
    EXPECT_EQ(ColorSliderValue(exposure, 12), -1);
    EXPECT_EQ(ColorSliderValue(exposure, 13), -1); // kept on the slider
    EXPECT_EQ(ColorSliderValue(exposure, -1), -13);

    // A value the device reports outside its own range sits at the nearer end.
    EXPECT_EQ(ColorSliderPosition(Control(0, 100, 1, 50, 2, 140, 2)), 100);
    EXPECT_EQ(ColorSliderPosition(Control(0, 100, 1, 50, 2, -5, 2)), 0);

    // Wider than 16 bits: the whole range is kept, not its low 16 bits.
    const CameraProperty wide = Control(0, 100000, 1, 0, 2, 70000, 2);
    EXPECT_EQ(ColorSliderSpan(wide), 100000);
    EXPECT_EQ(ColorSliderPosition(wide), 70000);
    EXPECT_EQ(ColorSliderValue(wide, 99999), 99999);

    // A range upside down gives a slider of one position; the extremes do not overflow.
    EXPECT_EQ(ColorSliderSpan(Control(10, 5, 1, 0, 2, 7, 2)), 0);
    const CameraProperty full = Control(INT32_MIN, INT32_MAX, 1, 0, 2, 0, 2);
    EXPECT_EQ(ColorSliderSpan(full), INT32_MAX);
    EXPECT_EQ(ColorSliderValue(full, INT32_MAX), -1);
}

TEST(ColorsSection, RowsShowValueOnlyForManualControls) {
    const ColorRow& brightness = Row(kPropBrightness);
    ColorRowView view = ColorRowViewOf(brightness, Control(-64, 64, 1, 0, 2, 64, 2), L"Brightness:");
    EXPECT_TRUE(view.usable);
    EXPECT_EQ(std::tuple(view.label, view.sliderSpan, view.sliderPosition),
              std::tuple(L"Brightness:  64", 128, 128));
    EXPECT_FALSE(view.autoBoxEnabled);
    EXPECT_EQ(ColorRowViewOf(brightness, Control(-64, 64, 1, 0, 2, -7, 2), L"B:").label, L"B:  -7");

    // Not supported (a missing interface leaves the record zero): the name alone, disabled.
    view = ColorRowViewOf(brightness, CameraProperty{}, L"Brightness:");
    EXPECT_FALSE(view.usable);
    EXPECT_EQ(view.label, L"Brightness:");
    // A control the device reports in automatic mode has no slider of its own.
    EXPECT_FALSE(ColorRowViewOf(Row(kPropGain), Control(0, 100, 1, 0, 3, 10, 1), L"Gain:").usable);
}

TEST(ColorsSection, AutoRowsFollowTheModeLastChosen) {
    const ColorRow& exposure = Row(kPropExposure);
    CameraProperties props{};
    // Opened in automatic mode: box enabled and ticked, slider disabled.
    props[kPropExposure] = Control(-13, -1, 1, -6, 3, -3, 1);
    ColorRowView view = ColorRowViewOf(exposure, props[kPropExposure], L"Exposure:");
    EXPECT_EQ(std::tuple(bool(view.usable), bool(view.autoBoxEnabled), bool(view.autoBoxTicked), view.label),
              std::tuple(false, true, true, L"Exposure:"));

    // Auto off: the default in manual mode, and the row usable at once and after any later
    // refresh, although the mode read at open said automatic.
    SetPropertyAuto(props, kPropExposure, false);
    view = ColorRowViewOf(exposure, props[kPropExposure], L"Exposure:");
    EXPECT_EQ(std::tuple(bool(view.usable), bool(view.autoBoxTicked), view.label, view.sliderPosition),
              std::tuple(true, false, L"Exposure:  -6", 7));

    // Auto on from manual: the slider stays disabled whatever the mode read at open.
    props[kPropWhiteBalance] = Control(2800, 6500, 10, 4600, 3, 5000, 2);
    EXPECT_TRUE(ColorRowViewOf(Row(kPropWhiteBalance), props[kPropWhiteBalance], L"W").usable);
    SetPropertyAuto(props, kPropWhiteBalance, true);
    view = ColorRowViewOf(Row(kPropWhiteBalance), props[kPropWhiteBalance], L"W");
    EXPECT_FALSE(view.usable);
    EXPECT_TRUE(view.autoBoxTicked);

    // Without automatic mode the box is disabled and the reported mode decides.
    const CameraProperty manualOnly = Control(-13, -1, 1, -6, 2, -6, 2);
    view = ColorRowViewOf(exposure, manualOnly, L"Exposure:");
    EXPECT_TRUE(view.usable);
    EXPECT_FALSE(view.autoBoxEnabled);
    EXPECT_FALSE(ColorRowViewOf(exposure, CameraProperty{}, L"Exposure:").autoBoxEnabled);
}

TEST(ColorsSection, FrequencyListFromThePowerLineRange) {
    struct Case {
        int32_t min, max, step, value;
        std::vector<std::wstring> texts;
        int selected;
        bool enabled;
    };
    const Case cases[] = {
        {1, 2, 1, 2, {L"50 Hz", L"60 Hz"}, 1, true},
        {1, 2, 1, 7, {L"50 Hz", L"60 Hz"}, 0, true}, // no entry matches: the first
        {1, 3, 1, 1, {L"50 Hz", L"60 Hz"}, 0, true}, // 3 ends the walk
        {2, 2, 1, 2, {L"60 Hz"}, 0, true},
        {0, 2, 1, 1, {L"N/A"}, 0, true},             // min 0: nothing to choose, list still enabled
        {0, 0, 0, 0, {L"N/A"}, 0, false},            // no power-line control at all
        {2, 1, 1, 1, {}, -1, true},                  // upside down: nothing added
        {1, 2, 0, 1, {L"50 Hz", L"60 Hz"}, 0, true}, // a zero step still ends
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " step " << c.step);
        const FrequencyListView list = FrequencyListOf(Control(c.min, c.max, c.step, 1, 2, c.value, 2));
        EXPECT_EQ(std::tuple(list.texts, list.selected, list.enabled),
                  std::tuple(c.texts, c.selected, c.enabled));
    }

    // What choosing an entry sets: 60 Hz alone sets 2; "N/A" and no entry set nothing.
    EXPECT_EQ(FrequencyValueAt(FrequencyListOf(Control(2, 2, 1, 2, 2, 2, 2)), 0), 2);
    const FrequencyListView both = FrequencyListOf(Control(1, 2, 1, 1, 2, 1, 2));
    EXPECT_EQ(FrequencyValueAt(both, 0), 1);
    EXPECT_EQ(FrequencyValueAt(both, 1), 2);
    EXPECT_EQ(FrequencyValueAt(both, 2), 0);
    EXPECT_EQ(FrequencyValueAt(both, -1), 0);
    EXPECT_EQ(FrequencyValueAt(FrequencyListOf(Control(0, 2, 1, 1, 2, 1, 2)), 0), 0);
}

TEST(PreviewSection, LayoutPutsTheSixBoxesInTwoColumns) {
    const int w = 251;
    const auto layout = PreviewSectionLayout(w, kEvenUnits);
    EXPECT_EQ(layout.size(), 10u);
    const int k = 29;
    const int half = (w - 28) / 2; // 111, truncated
    const LayoutRect readout = At(layout, kZoomReadoutId);
    EXPECT_EQ(readout.x, 8);
    EXPECT_EQ(readout.y, k + 8);
    const LayoutRect slider = At(layout, kZoomSliderId);
    EXPECT_EQ(slider.y, k + 28);
    EXPECT_EQ(slider.width, w - 16);
    const LayoutRect box100 = At(layout, kZoom100BoxId);
    EXPECT_EQ(box100.x, w - 100);
    EXPECT_EQ(box100.y, k + 8);

    const int rows[] = {k + 50, k + 74, k + 98};
    const int left[] = {kFlipHorzBoxId, kGrayBoxId, kInvertBoxId};
    const int right[] = {kFlipVertBoxId, kBinaryBoxId, kEmbossBoxId};
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        const LayoutRect a = At(layout, left[r]);
        const LayoutRect b = At(layout, right[r]);
        EXPECT_EQ(a.x, 14);
        EXPECT_EQ(b.x, 4 + half + 14);
        EXPECT_EQ(a.y, rows[r]);
        EXPECT_EQ(b.y, rows[r]);
        EXPECT_EQ(a.width, half);
        EXPECT_EQ(b.width, half);
        EXPECT_EQ(a.height, 24);
    }
    EXPECT_EQ(PreviewExpandedHeight(kEvenUnits), k + 132);
    EXPECT_LE(rows[2] + 24, PreviewExpandedHeight(kEvenUnits));
    for (const ControlPlacement& p : PreviewSectionLayout(10, kEvenUnits))
        EXPECT_GE(p.rect.width, 0) << p.id;
}

TEST(PreviewSection, EffectsExcludeEachOtherAndFlipsStayApart) {
    PreviewSwitches s;
    s = AfterFilterBoxClick(s, kEmbossBoxId, true);
    s = AfterFilterBoxClick(s, kFlipHorzBoxId, true);
    s = AfterFilterBoxClick(s, kFlipVertBoxId, true);
    // Gray while emboss is on turns emboss off; the flips stay.
    s = AfterFilterBoxClick(s, kGrayBoxId, true);
    EXPECT_EQ(s, (PreviewSwitches{1, 1, 1, 0, 0, 0}));
    for (int id : {kBinaryBoxId, kInvertBoxId, kEmbossBoxId, kGrayBoxId}) {
        s = AfterFilterBoxClick(s, id, true);
        for (int other = kGrayBoxId; other <= kEmbossBoxId; ++other)
            EXPECT_EQ(FilterBoxTicked(s, other), other == id) << id << " " << other;
    }
    // Unticking clears only its own switch.
    s = AfterFilterBoxClick(s, kGrayBoxId, false);
    EXPECT_EQ(s, (PreviewSwitches{1, 1, 0, 0, 0, 0}));
    s = AfterFilterBoxClick(s, kFlipHorzBoxId, false);
    EXPECT_EQ(s, (PreviewSwitches{0, 1, 0, 0, 0, 0}));
    // A flip never touches the effects.
    s = AfterFilterBoxClick(PreviewSwitches{0, 0, 0, 0, 1, 0}, kFlipVertBoxId, false);
    EXPECT_EQ(s, (PreviewSwitches{0, 0, 0, 0, 1, 0}));
    // The "100%" box and strangers change nothing.
    EXPECT_EQ(AfterFilterBoxClick(s, kZoom100BoxId, true), s);
    EXPECT_FALSE(FilterBoxTicked(s, kZoom100BoxId));

    EXPECT_EQ(ZoomReadout(100), L"100%");
    EXPECT_EQ(ZoomReadout(55), L"55%");
}

// Texts too wide for half the section: the boxes stand one a row, spanning both columns, and the
// section grows by the three rows that takes.
TEST(PreviewSection, OneColumnSpansBothColumnsAndGrowsTheSection) {
    for (const int w : {251, 10}) {
        SCOPED_TRACE(w);
        const auto two = PreviewSectionLayout(w, kEvenUnits);
        const auto one = PreviewSectionLayout(w, kEvenUnits, true);
        ASSERT_EQ(one.size(), two.size());
        const LayoutRect first = At(two, kFlipHorzBoxId);
        const LayoutRect right = At(two, kFlipVertBoxId);
        for (size_t i = 0; i < kFilterBoxes.size(); ++i) {
            SCOPED_TRACE(i);
            const LayoutRect box = At(one, kFilterBoxes[i].id);
            EXPECT_EQ(std::tuple(box.x, box.y, box.width),
                      std::tuple(first.x, first.y + static_cast<int>(i) * 24,
                                 std::max(right.x + right.width - first.x, 0)));
            EXPECT_LE(box.y + box.height, PreviewExpandedHeight(kEvenUnits, true));
        }
        for (const int id : {kZoomReadoutId, kZoomSliderId, kZoom100BoxId})
            EXPECT_EQ(At(one, id).y, At(two, id).y) << id;
    }
    EXPECT_EQ(PreviewExpandedHeight(kEvenUnits, true), PreviewExpandedHeight(kEvenUnits) + 72);
}
