// The Device section's geometry and the lists that it and the Open-microscope dialog show.
#include "capture/format_map.h"
#include "panels/device_section_layout.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

VideoFormat Format(uint32_t subtype, int width, int height, int interpolated = 0) {
    VideoFormat f;
    f.subtype = subtype;
    f.width = width;
    f.height = height;
    f.interpolated = interpolated;
    return f;
}

FormatMap Map(uint32_t subtype, std::initializer_list<std::pair<int, int>> sizes) {
    FormatMap map;
    for (auto [w, h] : sizes)
        InsertFormat(map, Format(subtype, w, h));
    return map;
}

const PanelRect& At(const DeviceSectionLayout& l, int id) {
    return l.controls[static_cast<size_t>(id - kIdDeviceHeader)];
}

} // namespace

TEST(DeviceSectionLayout, EvenBaseUnitsGiveTwoPixelsAUnit) {
    const DeviceSectionLayout l = LayoutDeviceSection(236, 8, 16);
    EXPECT_EQ(std::tuple(l.headerHeight, l.collapsedHeight, l.expandedHeight), std::tuple(28, 29, 29 + 184));
    EXPECT_EQ(At(l, kIdDeviceHeader), (PanelRect{0, 0, 236, 28}));
    EXPECT_EQ(At(l, kIdNameLabel), (PanelRect{4, 39, 82, 16}));
    EXPECT_EQ(At(l, kIdDeviceCombo), (PanelRect{86, 35, 144, 160}));
    EXPECT_EQ(At(l, kIdResolutionLabel), (PanelRect{4, 69, 82, 16}));
    EXPECT_EQ(At(l, kIdResolutionCombo), (PanelRect{86, 65, 144, 160}));
    EXPECT_EQ(At(l, kIdFormatLabel), (PanelRect{4, 99, 82, 16}));
    EXPECT_EQ(At(l, kIdFormatCombo), (PanelRect{86, 95, 144, 160}));
    // Buttons two by two, each half of what is left after the margins.
    EXPECT_EQ(At(l, kIdPhotoButton), (PanelRect{8, 131, 104, 32}));
    EXPECT_EQ(At(l, kIdVideoButton), (PanelRect{124, 131, 104, 32}));
    EXPECT_EQ(At(l, kIdFilesButton), (PanelRect{8, 171, 104, 32}));
    EXPECT_EQ(At(l, kIdSettingButton), (PanelRect{124, 171, 104, 32}));

    const SectionHeights h = DeviceSectionHeights(16);
    EXPECT_EQ(h.collapsed, l.collapsedHeight);
    EXPECT_EQ(h.expanded, l.expandedHeight);
}

TEST(DeviceSectionLayout, EachTermRoundsOnItsOwn) {
    // 7 x 15 base units: Y(5) = 9.4 -> 9, Y(3) = 5.6 -> 6, Y(15) = 28.1 -> 28, Y(14) = 26.25 -> 26.
    const DeviceSectionLayout l = LayoutDeviceSection(221, 7, 15);
    EXPECT_EQ(l.headerHeight, 26);
    EXPECT_EQ(l.collapsedHeight, 27);
    EXPECT_EQ(l.expandedHeight, 27 + 173);                // Y(92) = 172.5 -> 173
    EXPECT_EQ(At(l, kIdFormatLabel).y, 27 + 9 + 28 + 28); // not K + Y(35) = 93
    EXPECT_EQ(At(l, kIdFormatCombo).y, 27 + 6 + 28 + 28);
    EXPECT_EQ(At(l, kIdDeviceCombo).width, 221 - 81); // X(46) = 80.5 -> 81
    // B = (221 - X(14)) / 2 = (221 - 25) / 2 = 98; the right column at X(6) + B + X(4) = 11 + 98 + 7.
    EXPECT_EQ(At(l, kIdVideoButton), (PanelRect{116, 27 + 96, 98, 30})); // Y(16) = 30

    // A width below the margins gives empty controls, not negative sizes.
    const DeviceSectionLayout tiny = LayoutDeviceSection(10, 8, 16);
    EXPECT_EQ(At(tiny, kIdDeviceCombo).width, 0);
    EXPECT_EQ(At(tiny, kIdPhotoButton).width, 0);
}

// Captions too wide for half the section: the buttons stand one below the other at the rows the
// two-by-two layout starts with, each as wide as both columns, and the section grows by two rows.
TEST(DeviceSectionLayout, ButtonsInOneColumnSpanBothColumns) {
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
}

// With the labels' texts measured, the labels are as wide as the widest text (never narrower than
// a short English one needs) and the lists take all that is left, up to the same right margin.
TEST(DeviceSectionLayout, MeasuredLabelsGiveTheListsTheRest) {
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

TEST(DeviceFormatList, ListsTheSubtypesACameraHasAndSelectsTheRunningOne) {
    const FormatMap mjpg = Map(kFourccMjpg, {{1280, 720}});
    const FormatMap yuy2 = Map(kFourccYuy2, {{640, 480}});
    const FormatMap none;

    const std::vector<uint32_t> both = ListedSubtypes(mjpg, yuy2);
    EXPECT_EQ(both, (std::vector<uint32_t>{kFourccMjpg, kFourccYuy2}));
    EXPECT_EQ(SubtypeText(both[0]), L"MJPG");
    EXPECT_EQ(SubtypeText(both[1]), L"YUY2");
    EXPECT_EQ(RunningSubtypeItem(both, kFourccMjpg), 0);
    EXPECT_EQ(RunningSubtypeItem(both, kFourccYuy2), 1);

    // A YUY2-only camera shows only "YUY2", and that item is selected.
    const std::vector<uint32_t> onlyYuy2 = ListedSubtypes(none, yuy2);
    EXPECT_EQ(onlyYuy2, (std::vector<uint32_t>{kFourccYuy2}));
    EXPECT_EQ(RunningSubtypeItem(onlyYuy2, kFourccYuy2), 0);

    // A running subtype the list lacks falls back to the first item; an empty list has none.
    EXPECT_EQ(RunningSubtypeItem(ListedSubtypes(mjpg, none), kFourccYuy2), 0);
    EXPECT_EQ(RunningSubtypeItem(ListedSubtypes(none, none), kFourccMjpg), -1);

    EXPECT_EQ(&MapOfSubtype(mjpg, yuy2, kFourccMjpg), &mjpg);
    EXPECT_EQ(&MapOfSubtype(mjpg, yuy2, kFourccYuy2), &yuy2);
}

TEST(DeviceResolutionList, AscendingByAreaWhateverOrderTheCameraReports) {
    const FormatMap formats =
        Map(kFourccMjpg, {{1920, 1080}, {640, 480}, {1280, 720}, {800, 600}, {320, 240}});
    EXPECT_EQ(ResolutionTexts(formats),
              (std::vector<std::wstring>{L"640x480", L"800x600", L"1280x720", L"1920x1080"}));
    EXPECT_TRUE(ResolutionTexts({}).empty());
}

TEST(DeviceResolutionList, SectionSelectsThePictureSizeElseTheFirst) {
    const FormatMap formats = Map(kFourccMjpg, {{640, 480}, {800, 600}, {1280, 720}, {1920, 1080}});
    EXPECT_EQ(SectionResolutionItem(formats, 1280, 720), 2);
    EXPECT_EQ(SectionResolutionItem(formats, 1024, 768), 0);
    EXPECT_EQ(SectionResolutionItem({}, 640, 480), -1);

    // An interpolated size is listed under the size the picture has.
    FormatMap small = Map(kFourccMjpg, {{640, 480}});
    AddInterpolatedFormats(small, kFourccMjpg);
    EXPECT_EQ(SectionResolutionItem(small, 1280, 960), 1);
}

TEST(DeviceResolutionList, DialogSelectsTheRequestedSizeElseTheMiddle) {
    const FormatMap four = Map(kFourccYuy2, {{640, 480}, {800, 600}, {1280, 720}, {1920, 1080}});
    EXPECT_EQ(DialogResolutionItem(four, 800, 600), 1);
    EXPECT_EQ(DialogResolutionItem(four, 1024, 768), 2); // the third of four
    EXPECT_EQ(DialogResolutionItem(four, 0, 0), 2);
    EXPECT_EQ(DialogResolutionItem(Map(kFourccYuy2, {{800, 600}}), 1024, 768), 0);
    EXPECT_EQ(DialogResolutionItem(Map(kFourccYuy2, {{800, 600}, {1024, 768}, {1280, 720}}), 1, 1), 1);
    EXPECT_EQ(DialogResolutionItem({}, 640, 480), -1);
}

TEST(DeviceResolutionList, PositionsOutsideTheMapGiveNoFormat) {
    const FormatMap formats = Map(kFourccMjpg, {{640, 480}, {1280, 720}});
    ASSERT_TRUE(FormatAtItem(formats, 1).has_value());
    EXPECT_EQ(FormatAtItem(formats, 1)->width, 1280);
    EXPECT_FALSE(FormatAtItem(formats, 2).has_value());
    EXPECT_FALSE(FormatAtItem(formats, -1).has_value()); // no selection
    EXPECT_FALSE(FormatAtItem({}, 0).has_value());
}

TEST(DeviceDialogFormats, FormatItemPicksTheMap) {
    const FormatMap mjpg = Map(kFourccMjpg, {{1280, 720}});
    const FormatMap yuy2 = Map(kFourccYuy2, {{640, 480}});
    const FormatMap none;
    EXPECT_EQ(&DialogFormatMap(mjpg, yuy2, 0), &mjpg);
    EXPECT_EQ(&DialogFormatMap(mjpg, yuy2, 1), &yuy2);
    EXPECT_EQ(&DialogFormatMap(none, yuy2, 0), &yuy2); // "YUY2" is the first item then
    // An item the list does not have picks a map that is empty: nothing can be opened from it.
    EXPECT_TRUE(DialogFormatMap(mjpg, none, 1).empty());
}

TEST(DeviceSectionSwitching, FormatItemToSubtype) {
    const FormatMap mjpg = Map(kFourccMjpg, {{1280, 720}});
    const FormatMap yuy2 = Map(kFourccYuy2, {{640, 480}});
    const FormatMap none;
    EXPECT_EQ(SubtypeForFormatItem(mjpg, yuy2, 0), kFourccMjpg);
    EXPECT_EQ(SubtypeForFormatItem(mjpg, yuy2, 1), kFourccYuy2);
    EXPECT_EQ(SubtypeForFormatItem(none, yuy2, 0), kFourccYuy2);
    EXPECT_EQ(SubtypeForFormatItem(mjpg, none, 0), kFourccMjpg);
    EXPECT_FALSE(SubtypeForFormatItem(mjpg, none, 1).has_value());
    EXPECT_FALSE(SubtypeForFormatItem(mjpg, yuy2, -1).has_value());
    EXPECT_FALSE(SubtypeForFormatItem(none, none, 0).has_value());
}

TEST(DeviceSectionSwitching, ResolutionChangeKeepsTheRunningSubtype) {
    FormatMap formats = Map(kFourccMjpg, {{640, 480}});
    AddInterpolatedFormats(formats, kFourccMjpg); // 640x480, 1280x960*, 1920x1080*

    // The size already shown changes nothing.
    EXPECT_FALSE(ResolutionChangeRequest(formats, 0, kFourccMjpg, 640, 480).has_value());

    const std::optional<VideoFormat> larger = ResolutionChangeRequest(formats, 2, kFourccYuy2, 640, 480);
    ASSERT_TRUE(larger.has_value());
    EXPECT_EQ(*larger, Format(kFourccYuy2, 1920, 1080, 1));

    EXPECT_FALSE(ResolutionChangeRequest(formats, 3, kFourccMjpg, 640, 480).has_value());
    EXPECT_FALSE(ResolutionChangeRequest(formats, -1, kFourccMjpg, 640, 480).has_value());
}

TEST(OpenDeviceDialog, CentredOverTheMainWindowBelowItsTop) {
    EXPECT_EQ(CentredDialogRect({100, 50, 1000, 700}, 400, 250), (PanelRect{400, 118, 400, 250}));
    // Wider than the main window: it overhangs both sides equally.
    EXPECT_EQ(CentredDialogRect({0, 0, 300, 200}, 401, 250).x, -50);
}
