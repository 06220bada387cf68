// The Device, Colors and Preview sections' arithmetic: layouts in dialog units, the slider mapping of
// the camera controls, how each row and the power-line list show a control, the effect boxes.
#include "base/string_table.h"
#include "capture/camera_property.h"
#include "panels/device_section_layout.h"
#include "panels/colors_section_model.h"
#include "panels/panel_layout.h"
#include "panels/preview_section_model.h"
#include "panels/section_units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
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

const PanelRect& At(const DeviceSectionLayout& l, int id) {
    return l.controls[static_cast<size_t>(id - kIdDeviceHeader)];
}

// What every section layout holds: the header across the top; every other control below the
// collapsed height and within the expanded height, never of a negative width, and where the width
// is enough for the margins inside it and over no other. A drop-down list's height is its open
// list's: only its top counts.
void ExpectSoundLayout(std::vector<ControlPlacement> controls, int width, SectionUnits units, int expanded,
                       std::set<int> dropDowns) {
    const auto header = std::find_if(controls.begin(), controls.end(),
                                     [](const ControlPlacement& c) { return c.id == kIdSectionHeader; });
    ASSERT_NE(header, controls.end());
    EXPECT_EQ(std::tuple(header->rect.x, header->rect.y, header->rect.width, header->rect.height),
              std::tuple(0, 0, width, units.HeaderHeight()));
    controls.erase(header);
    for (ControlPlacement& c : controls) {
        SCOPED_TRACE(c.id);
        if (dropDowns.count(c.id))
            c.rect.height = 1;
        EXPECT_GE(c.rect.width, 0);
        EXPECT_GE(c.rect.y, units.CollapsedHeight());
        EXPECT_LE(c.rect.y + c.rect.height, expanded);
        if (width >= 200) {
            EXPECT_GE(c.rect.x, 0);
            EXPECT_LE(c.rect.x + c.rect.width, width);
        }
    }
    for (size_t i = 0; width >= 200 && i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const LayoutRect a = controls[i].rect, b = controls[j].rect;
            EXPECT_TRUE(a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                        b.y + b.height <= a.y)
                << controls[i].id << " over " << controls[j].id;
        }
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
    EXPECT_EQ(kEvenUnits.CollapsedHeight(), kEvenUnits.HeaderHeight() + 1);
    EXPECT_EQ(PackSectionHeights(29, 465), 29u | (465u << 16));

    // Thumb requests carry the position; anything else (line, page, end of a drag) reads the slider.
    EXPECT_EQ(SliderScrollPosition(kSliderThumbTrack, 150, 100, 200), 150);
    EXPECT_EQ(SliderScrollPosition(kSliderThumbPosition, 65535, 0, 65535), 65535);
    EXPECT_EQ(SliderScrollPosition(0 /* line up */, 150, 99, 200), 99);
    // A range wider than 16 bits cannot report its thumb in the notification.
    EXPECT_EQ(SliderScrollPosition(kSliderThumbTrack, 1234, 70000, 70000), 70000);
}

// Both sections at even and rounding units and at a normal and a too narrow width: sound layouts,
// rows at a steady pitch (each unit figure converted on its own, so no row drifts by a rounding).
TEST(ColorsSection, LayoutStacksNineRowsThenFrequencyAndDefaultRowsFindTheirNames) {
    for (const SectionUnits units : {kEvenUnits, kOddUnits})
        for (const int w : {252, 4}) {
            SCOPED_TRACE(testing::Message() << units.baseX << "x" << units.baseY << ", width " << w);
            const auto layout = ColorsSectionLayout(w, units);
            EXPECT_EQ(layout.size(), 1u + kColorRowCount * 2 + 2 + 3);
            ExpectSoundLayout(layout, w, units, ColorsExpandedHeight(units), {kFrequencyListId});
            for (int i = 0; i < kColorRowCount; ++i) {
                SCOPED_TRACE(i);
                const LayoutRect label = At(layout, kColorRows[i].labelId);
                const LayoutRect slider = At(layout, kColorRows[i].sliderId);
                EXPECT_GE(slider.y, label.y + label.height);
                EXPECT_EQ(std::tuple(slider.x, slider.width), std::tuple(label.x, At(layout, 110).width));
                if (i >= 3) {
                    EXPECT_EQ(label.y - At(layout, kColorRows[i - 1].labelId).y,
                              At(layout, 104).y - At(layout, 103).y);
                }
                if (kColorRows[i].autoBoxId != 0) {
                    EXPECT_EQ(At(layout, kColorRows[i].autoBoxId).y, label.y);
                }
            }
            EXPECT_GT(At(layout, kFrequencyLabelId).y, At(layout, 118).y);
            EXPECT_GT(At(layout, kDefaultButtonId).y, At(layout, kFrequencyListId).y);
        }

    SelectLanguage(0);
    std::set<std::string_view> keys;
    for (const ColorRow& row : kColorRows) {
        EXPECT_TRUE(keys.insert(ColorTextKey(row.textId)).second) << row.textId;
        EXPECT_TRUE(GetText(ColorTextKey(row.textId)).ends_with(L":")) << row.textId;
        EXPECT_EQ(ColorRowOfSlider(row.sliderId), &row);
        if (row.autoBoxId != 0) {
            EXPECT_EQ(ColorRowOfAutoBox(row.autoBoxId), &row);
        }
    }
    EXPECT_EQ(GetText(ColorTextKey(kColorRows[0].textId)), L"Exposure:");
    EXPECT_TRUE(ColorTextKey(kColorRows[0].textId - 1).empty());
    EXPECT_TRUE(ColorTextKey(kColorRows.back().textId + 1).empty());
    EXPECT_EQ(ColorRowOfSlider(119), nullptr);
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

TEST(ColorsSection, RowsShowValueOnlyForManualControlsAutoRowsFollowTheModeLastChosen) {
    const ColorRow& brightness = Row(kPropBrightness);
    ColorRowView view = ColorRowViewOf(brightness, Control(-64, 64, 1, 0, 2, 64, 2), L"Brightness:");
    EXPECT_TRUE(view.usable);
    EXPECT_EQ(std::tuple(view.label, view.sliderSpan, view.sliderPosition),
              std::tuple(L"Brightness:  64", 128, 128));
    EXPECT_FALSE(view.autoBoxEnabled);

    // Not supported (a missing interface leaves the record zero): the name alone, disabled.
    view = ColorRowViewOf(brightness, CameraProperty{}, L"Brightness:");
    EXPECT_FALSE(view.usable);
    EXPECT_EQ(view.label, L"Brightness:");
    // A control the device reports in automatic mode has no slider of its own.
    EXPECT_FALSE(ColorRowViewOf(Row(kPropGain), Control(0, 100, 1, 0, 3, 10, 1), L"Gain:").usable);

    // Rows with an automatic mode follow the mode last chosen.
    const ColorRow& exposure = Row(kPropExposure);
    CameraProperties props{};
    // Opened in automatic mode: box enabled and ticked, slider disabled.
    props[kPropExposure] = Control(-13, -1, 1, -6, 3, -3, 1);
    view = ColorRowViewOf(exposure, props[kPropExposure], L"Exposure:");
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
        {1, 2, 1, 2, {L"50 Hz", L"60 Hz"}, 1, true}, // the entries come from the power-line walk
        {1, 2, 1, 7, {L"50 Hz", L"60 Hz"}, 0, true}, // no entry matches: the first
        {0, 2, 1, 1, {L"N/A"}, 0, true},             // min 0: nothing to choose, list still enabled
        {0, 0, 0, 0, {L"N/A"}, 0, false},            // no power-line control at all
        {2, 1, 1, 1, {}, -1, true},                  // upside down: nothing added
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
    EXPECT_EQ(FrequencyValueAt(both, 1), 2);
    EXPECT_EQ(FrequencyValueAt(both, 2), 0);
    EXPECT_EQ(FrequencyValueAt(both, -1), 0);
    EXPECT_EQ(FrequencyValueAt(FrequencyListOf(Control(0, 2, 1, 1, 2, 1, 2)), 0), 0);
}

TEST(PreviewSection, LayoutPutsTheSixBoxesInTwoColumns) {
    for (const SectionUnits units : {kEvenUnits, kOddUnits})
        for (const int w : {251, 10}) {
            SCOPED_TRACE(testing::Message() << units.baseX << "x" << units.baseY << ", width " << w);
            const auto layout = PreviewSectionLayout(w, units);
            EXPECT_EQ(layout.size(), 10u);
            ExpectSoundLayout(layout, w, units, PreviewExpandedHeight(units), {});
            // Three rows of two below the zoom slider, one on the other: the left column's boxes
            // share x, the right's too, all one size.
            const LayoutRect first = At(layout, kFilterBoxes[0].id);
            const LayoutRect second = At(layout, kFilterBoxes[1].id);
            EXPECT_EQ(second.y, first.y);
            EXPECT_GE(first.y, At(layout, kZoomSliderId).y + At(layout, kZoomSliderId).height);
            for (size_t i = 2; i < kFilterBoxes.size(); ++i) {
                const LayoutRect box = At(layout, kFilterBoxes[i].id);
                const LayoutRect above = At(layout, kFilterBoxes[i - 2].id);
                EXPECT_EQ(std::tuple(box.x, box.y - above.y, box.width, box.height),
                          std::tuple(above.x, first.height, first.width, first.height))
                    << i;
            }
        }
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

TEST(DeviceSectionLayout, SoundWithSteadyRowsButtonsInOneColumnAndListsAfterMeasuredLabels) {
    for (const SectionUnits units : {kEvenUnits, kOddUnits})
        for (const int w : {236, 10}) {
            SCOPED_TRACE(testing::Message() << units.baseX << "x" << units.baseY << ", width " << w);
            const DeviceSectionLayout l = LayoutDeviceSection(w, units.baseX, units.baseY);
            EXPECT_EQ(std::tuple(l.headerHeight, l.collapsedHeight),
                      std::tuple(units.HeaderHeight(), units.CollapsedHeight()));
            const SectionHeights h = DeviceSectionHeights(units.baseY);
            EXPECT_EQ(std::tuple(h.collapsed, h.expanded), std::tuple(l.collapsedHeight, l.expandedHeight));
            std::vector<ControlPlacement> placed;
            for (int id = kIdDeviceHeader; id < kIdDeviceHeader + kDeviceControlCount; ++id) {
                const PanelRect& r = At(l, id);
                placed.push_back({id, {r.x, r.y, r.width, r.height}});
            }
            ExpectSoundLayout(placed, w, units, l.expandedHeight,
                              {kIdDeviceCombo, kIdResolutionCombo, kIdFormatCombo});
            // The three rows of a label and its list, and the two rows of buttons, a steady pitch apart.
            EXPECT_EQ(At(l, kIdFormatLabel).y - At(l, kIdResolutionLabel).y,
                      At(l, kIdResolutionLabel).y - At(l, kIdNameLabel).y);
            EXPECT_EQ(At(l, kIdFormatCombo).y - At(l, kIdResolutionCombo).y,
                      At(l, kIdResolutionCombo).y - At(l, kIdDeviceCombo).y);
            EXPECT_EQ(std::tuple(At(l, kIdVideoButton).y, At(l, kIdSettingButton).y, At(l, kIdFilesButton).x),
                      std::tuple(At(l, kIdPhotoButton).y, At(l, kIdFilesButton).y, At(l, kIdPhotoButton).x));
            EXPECT_EQ(At(l, kIdPhotoButton).width, DeviceButtonWidth(w, units.baseX));
        }

    // Captions too wide for half the section: the buttons stand one below the other at the rows the
    // two-by-two layout starts with, each as wide as both columns, and the section grows by two rows.
    const DeviceSectionLayout two = LayoutDeviceSection(236, 8, 16);
    const DeviceSectionLayout one = LayoutDeviceSection(236, 8, 16, true);
    const PanelRect& left = At(two, kIdPhotoButton);
    const PanelRect& right = At(two, kIdVideoButton);
    int y = left.y;
    for (const int id : {kIdPhotoButton, kIdVideoButton, kIdFilesButton, kIdSettingButton}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(At(one, id), (PanelRect{left.x, y, right.x + right.width - left.x, left.height}));
        y += 40;
    }
    EXPECT_EQ(At(one, kIdVideoButton).y, At(two, kIdFilesButton).y);
    EXPECT_LE(At(one, kIdSettingButton).y + At(one, kIdSettingButton).height, one.expandedHeight);
    EXPECT_EQ(one.expandedHeight, two.expandedHeight + 80);
    EXPECT_EQ(DeviceSectionHeights(16, true).expanded, one.expandedHeight);
    for (int id = kIdDeviceHeader; id <= kIdFormatCombo; ++id)
        EXPECT_EQ(At(one, id), At(two, id)) << id;

    // With the labels' texts measured, the labels are as wide as the widest text (never narrower than
    // a short English one needs) and the lists take all that is left, up to the same right margin.
    for (const int text : {0, 40, 64, 90, 150}) {
        SCOPED_TRACE(text);
        const DeviceSectionLayout l = LayoutDeviceSection(236, 8, 16, false, text);
        for (const auto& [label, combo] :
             {std::pair{kIdNameLabel, kIdDeviceCombo}, std::pair{kIdResolutionLabel, kIdResolutionCombo},
              std::pair{kIdFormatLabel, kIdFormatCombo}}) {
            EXPECT_GE(At(l, label).width, text);
            EXPECT_GE(At(l, label).width, 64);
            EXPECT_EQ(At(l, label).x + At(l, label).width + 2, At(l, combo).x); // one unit apart
            EXPECT_EQ(At(l, combo).x + At(l, combo).width, 236 - 4);
        }
    }
}
