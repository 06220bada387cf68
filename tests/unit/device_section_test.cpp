// The lists that the Device section and the Open-microscope dialog show.
#include "capture/format_map.h"
#include "panels/device_section_layout.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
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

} // namespace

TEST(DeviceFormatList, ListsTheSubtypesACameraHasAndMapsItemsBack) {
    const FormatMap mjpg = Map(kFourccMjpg, {{1280, 720}});
    const FormatMap yuy2 = Map(kFourccYuy2, {{640, 480}});
    const FormatMap none;

    const std::vector<uint32_t> both = ListedSubtypes(mjpg, yuy2);
    EXPECT_EQ(both, (std::vector<uint32_t>{kFourccMjpg, kFourccYuy2}));
    EXPECT_EQ(SubtypeText(both[0]), L"MJPG");
    EXPECT_EQ(SubtypeText(both[1]), L"YUY2");
    EXPECT_EQ(RunningSubtypeItem(both, kFourccYuy2), 1);

    // A YUY2-only camera shows only "YUY2".
    EXPECT_EQ(ListedSubtypes(none, yuy2), (std::vector<uint32_t>{kFourccYuy2}));

    // A running subtype the list lacks falls back to the first item; an empty list has none.
    EXPECT_EQ(RunningSubtypeItem(ListedSubtypes(mjpg, none), kFourccYuy2), 0);
    EXPECT_EQ(RunningSubtypeItem(ListedSubtypes(none, none), kFourccMjpg), -1);

    EXPECT_EQ(&MapOfSubtype(mjpg, yuy2, kFourccMjpg), &mjpg);
    EXPECT_EQ(&MapOfSubtype(mjpg, yuy2, kFourccYuy2), &yuy2);

    // The dialog's format item picks the map, the section's the subtype ("YUY2" is the first item
    // without MJPG); an item the list does not have picks an empty map, or no subtype.
    EXPECT_EQ(&DialogFormatMap(mjpg, yuy2, 0), &mjpg);
    EXPECT_EQ(&DialogFormatMap(mjpg, yuy2, 1), &yuy2);
    EXPECT_EQ(&DialogFormatMap(none, yuy2, 0), &yuy2);
    EXPECT_EQ(SubtypeForFormatItem(mjpg, yuy2, 1), kFourccYuy2);
    EXPECT_EQ(SubtypeForFormatItem(mjpg, none, 0), kFourccMjpg);
    EXPECT_FALSE(SubtypeForFormatItem(mjpg, none, 1).has_value());
    EXPECT_FALSE(SubtypeForFormatItem(mjpg, yuy2, -1).has_value());
}

TEST(DeviceResolutionList, AscendingByAreaSelectingTheSizeShownOrRequested) {
    const FormatMap unordered =
        Map(kFourccMjpg, {{1920, 1080}, {640, 480}, {1280, 720}, {800, 600}, {320, 240}});
    EXPECT_EQ(ResolutionTexts(unordered),
              (std::vector<std::wstring>{L"640x480", L"800x600", L"1280x720", L"1920x1080"}));
    EXPECT_TRUE(ResolutionTexts({}).empty());

    const FormatMap formats = Map(kFourccMjpg, {{640, 480}, {800, 600}, {1280, 720}, {1920, 1080}});
    EXPECT_EQ(SectionResolutionItem(formats, 1280, 720), 2);
    EXPECT_EQ(SectionResolutionItem(formats, 1024, 768), 0);
    EXPECT_EQ(SectionResolutionItem({}, 640, 480), -1);

    // An interpolated size is listed under the size the picture has.
    FormatMap small = Map(kFourccMjpg, {{640, 480}});
    AddInterpolatedFormats(small, kFourccMjpg);
    EXPECT_EQ(SectionResolutionItem(small, 1280, 960), 1);

    // Positions outside the map (or no selection) give no format.
    ASSERT_TRUE(FormatAtItem(formats, 1).has_value());
    EXPECT_EQ(FormatAtItem(formats, 1)->width, 800);
    EXPECT_FALSE(FormatAtItem(formats, 4).has_value());
    EXPECT_FALSE(FormatAtItem(formats, -1).has_value());

    const FormatMap four = Map(kFourccYuy2, {{640, 480}, {800, 600}, {1280, 720}, {1920, 1080}});
    EXPECT_EQ(DialogResolutionItem(four, 800, 600), 1);
    EXPECT_EQ(DialogResolutionItem(four, 1024, 768), 2); // the third of four
    EXPECT_EQ(DialogResolutionItem(Map(kFourccYuy2, {{800, 600}, {1024, 768}, {1280, 720}}), 1, 1), 1);
    EXPECT_EQ(DialogResolutionItem({}, 640, 480), -1);
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
}
