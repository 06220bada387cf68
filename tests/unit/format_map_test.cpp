#include "capture/format_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

VideoFormat Mjpg(int w, int h, int interpolated = 0) {
    return {kFourccMjpg, w, h, interpolated};
}
VideoFormat Yuy2(int w, int h, int interpolated = 0) {
    return {kFourccYuy2, w, h, interpolated};
}

// A map as the enumeration builds it: capabilities in the device's order, then the extra sizes.
FormatMap Build(uint32_t subtype, const std::vector<std::pair<int, int>>& sizes) {
    FormatMap map;
    for (auto [w, h] : sizes)
        InsertFormat(map, {subtype, w, h, 0});
    AddInterpolatedFormats(map, subtype);
    return map;
}

std::vector<VideoFormat> Entries(const FormatMap& map) {
    std::vector<VideoFormat> out;
    for (const auto& [key, format] : map) {
        EXPECT_EQ(key, format.width * format.height);
        out.push_back(format);
    }
    return out;
}

} // namespace

TEST(FormatMap, AscendingByAreaAndNothingBelow640x480) {
    const FormatMap map = Build(kFourccYuy2, {{1920, 1080},
                                              {320, 240},
                                              {640, 480},
                                              {639, 1000},
                                              {1000, 479},
                                              {800, 600},
                                              {1280, 720},
                                              {160, 120}});
    EXPECT_EQ(Entries(map),
              (std::vector<VideoFormat>{Yuy2(640, 480), Yuy2(800, 600), Yuy2(1280, 720), Yuy2(1920, 1080)}));
}

TEST(FormatMap, FirstFormatOfAnAreaWins) {
    FormatMap map;
    EXPECT_TRUE(InsertFormat(map, Mjpg(1280, 720)));
    // The same size again (another frame rate) and another size of the same area.
    EXPECT_FALSE(InsertFormat(map, Mjpg(1280, 720)));
    EXPECT_FALSE(InsertFormat(map, Yuy2(1280, 720, 1)));
    EXPECT_FALSE(InsertFormat(map, Mjpg(720, 1280)));
    EXPECT_EQ(Entries(map), std::vector<VideoFormat>{Mjpg(1280, 720)});
}

TEST(FormatMap, NegativeAndOversizedSizesAreNotOffered) {
    EXPECT_FALSE(IsOfferedCaptureSize(640, -480));
    EXPECT_FALSE(IsOfferedCaptureSize(-640, 480));
    EXPECT_FALSE(IsOfferedCaptureSize(65536, 65536)); // area beyond 32 bits
    EXPECT_FALSE(IsOfferedCaptureSize(30000, 30000)); // frame length beyond 31 bits
    EXPECT_TRUE(IsOfferedCaptureSize(20000, 20000));
    EXPECT_TRUE(IsOfferedCaptureSize(640, 480));
}

TEST(FormatMap, LargestOf640x480GetsTheTwoInterpolatedSizes) {
    const FormatMap mjpg = Build(kFourccMjpg, {{320, 240}, {640, 480}});
    EXPECT_EQ(Entries(mjpg),
              (std::vector<VideoFormat>{Mjpg(640, 480), Mjpg(1280, 960, 1), Mjpg(1920, 1080, 1)}));

    const FormatMap yuy2 = Build(kFourccYuy2, {{640, 480}});
    EXPECT_EQ(Entries(yuy2),
              (std::vector<VideoFormat>{Yuy2(640, 480), Yuy2(1280, 960, 1), Yuy2(1920, 1080, 1)}));

    // Anything larger than 640x480 means no interpolation; an empty map stays empty.
    EXPECT_EQ(Entries(Build(kFourccMjpg, {{640, 480}, {1280, 720}})),
              (std::vector<VideoFormat>{Mjpg(640, 480), Mjpg(1280, 720)}));
    EXPECT_EQ(Entries(Build(kFourccMjpg, {{640, 480}, {800, 600}})),
              (std::vector<VideoFormat>{Mjpg(640, 480), Mjpg(800, 600)}));
    EXPECT_TRUE(Build(kFourccMjpg, {{320, 240}}).empty());
}

TEST(DefaultFormat, PrefersMjpgThen1080pThen720pThen480pThenTheMiddle) {
    const FormatMap empty;
    EXPECT_FALSE(ChooseDefaultFormat(empty, empty).has_value());

    // 640x480-largest camera: the interpolated 1920x1080, run at 640x480.
    const FormatMap small = Build(kFourccMjpg, {{320, 240}, {640, 480}});
    EXPECT_EQ(ChooseDefaultFormat(small, empty), Mjpg(640, 480, 1));

    const FormatMap hd = Build(kFourccMjpg, {{640, 480}, {1280, 720}});
    const FormatMap hdYuy2 = Build(kFourccYuy2, {{640, 480}, {1280, 720}, {1920, 1080}});
    EXPECT_EQ(ChooseDefaultFormat(hd, hdYuy2), Mjpg(1280, 720));
    // YUY2 only when there is no MJPG at all.
    EXPECT_EQ(ChooseDefaultFormat(empty, hdYuy2), Yuy2(1920, 1080));

    EXPECT_EQ(ChooseDefaultFormat(Build(kFourccMjpg, {{640, 480}, {800, 600}}), empty), Mjpg(640, 480));

    // No preferred area: the entry at index size / 2.
    EXPECT_EQ(ChooseDefaultFormat(empty, Build(kFourccYuy2, {{800, 600}, {1024, 768}})), Yuy2(1024, 768));
    EXPECT_EQ(ChooseDefaultFormat(Build(kFourccMjpg, {{800, 600}, {1024, 768}, {1600, 1200}}), empty),
              Mjpg(1024, 768));
    EXPECT_EQ(ChooseDefaultFormat(Build(kFourccMjpg, {{2592, 1944}}), empty), Mjpg(2592, 1944));
}

TEST(VideoFormat, UnknownSubtypeBecomesMjpgAndInterpolatedRunsAt640x480) {
    EXPECT_EQ(WithKnownSubtype({0x32424752 /* RGB2 */, 800, 600, 0}), Mjpg(800, 600));
    EXPECT_EQ(WithKnownSubtype(Yuy2(800, 600)), Yuy2(800, 600));
    EXPECT_EQ(CameraFormatFor(Yuy2(1920, 1080, 1)), Yuy2(640, 480, 1));
    EXPECT_EQ(CameraFormatFor(Yuy2(1280, 720)), Yuy2(1280, 720));
    EXPECT_EQ(FormatFromSettings(1, 0, 0, 0), Mjpg(0, 0));
    EXPECT_EQ(FormatFromSettings(2, 1280, 720, 0), Yuy2(1280, 720));
}
