#include "capture/camera_property.h"
#include "capture/power_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CameraProperty Range(int32_t min, int32_t max, int32_t step, int32_t def, int32_t flags = 3) {
    CameraProperty p;
    TakeRange(p, min, max, step, def, flags);
    return p;
}

std::vector<std::wstring> Texts(const PowerLineList& list) {
    std::vector<std::wstring> texts;
    for (const PowerLineItem& item : list.items)
        texts.push_back(item.text);
    return texts;
}

} // namespace

TEST(CameraProperty, AutoOffPutsTheClampedDefaultInManualMode) {
    CameraProperties props{};
    props[kPropExposure] = Range(-13, -1, 1, -6);
    props[kPropExposure].value = -2;
    EXPECT_EQ(SetPropertyAuto(props, kPropExposure, false), (ControlSet{kPropExposure, -6, 2}));

    props[kPropWhiteBalance] = Range(0, 255, 1, 300);
    EXPECT_EQ(SetPropertyAuto(props, kPropWhiteBalance, false), (ControlSet{kPropWhiteBalance, 255, 2}));
    props[kPropWhiteBalance] = Range(2800, 6500, 10, 1000);
    EXPECT_EQ(SetPropertyAuto(props, kPropWhiteBalance, false).value, 2800);

    // On: the device decides; the record still takes the clamped default.
    EXPECT_EQ(SetPropertyAuto(props, kPropWhiteBalance, true), (ControlSet{kPropWhiteBalance, 0, 1}));
    EXPECT_EQ(props[kPropWhiteBalance].autoOn, 1);
    EXPECT_EQ(props[kPropWhiteBalance].value, 2800);

    // A range whose min is above its max (a broken device) ends at max, as the clamp order says.
    EXPECT_EQ(ClampedDefault(Range(10, 5, 1, 0)), 5);
}

TEST(CameraProperty, RestoringDefaultsLeavesExposureWhiteBalanceAndPowerLineAlone) {
    CameraProperties props{};
    for (int i = 0; i < kCameraPropertyCount; ++i) {
        props[i] = Range(0, 1000, 1, 100 + i);
        props[i].value = 900 + i;
    }
    const std::vector<ControlSet> expected = {
        {kPropGain, 101, 2},       {kPropBrightness, 106, 2}, {kPropContrast, 104, 2}, {kPropHue, 105, 2},
        {kPropSaturation, 103, 2}, {kPropSharpness, 107, 2},  {kPropGamma, 108, 2},
    };
    EXPECT_EQ(RestoreDefaults(props), expected);
    EXPECT_EQ(props[kPropExposure].value, 900);
    EXPECT_EQ(props[kPropWhiteBalance].value, 902);
    EXPECT_EQ(props[kPropPowerLineFrequency].value, 909);
}

TEST(PowerLine, EntriesForEachRange) {
    struct Case {
        int32_t min, max, step, value;
        std::vector<std::wstring> texts;
        int selected;
    };
    const Case cases[] = {
        {0, 2, 1, 1, {}, 0},                         // min 0: "N/A"
        {1, 0, 1, 1, {}, 0},                         // max 0: "N/A"
        {1, 2, 1, 2, {L"50 Hz", L"60 Hz"}, 1},       //
        {1, 2, 1, 0, {L"50 Hz", L"60 Hz"}, 0},       // no entry has the value: the first
        {1, 3, 1, 1, {L"50 Hz", L"60 Hz"}, 0},       // 3 ends the walk
        {2, 2, 1, 2, {L"60 Hz"}, 0},                 // choosing it sets 2
        {1, 2, 2, 1, {L"50 Hz"}, 0},                 // step 2 passes over 60 Hz
        {-1, 2, 1, 1, {}, 0},                        // -1 ends the walk at once
        {1, 2, 0, 2, {L"50 Hz", L"60 Hz"}, 1},       // step 0 walks by 1
        {1, 2, -3, 2, {L"50 Hz", L"60 Hz"}, 1},      // so does a negative step
        {1, INT32_MAX, INT32_MAX, 1, {L"50 Hz"}, 0}, // no overflow past max
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " step " << c.step);
        CameraProperty p = Range(c.min, c.max, c.step, 1, 2);
        p.value = c.value;
        const PowerLineList list = PowerLineItems(p);
        EXPECT_EQ(Texts(list), c.texts);
        EXPECT_EQ(list.selected, c.selected);
        if (!list.items.empty()) {
            EXPECT_EQ(list.items.front().value, c.min); // what choosing the entry sets
        }
    }
}
