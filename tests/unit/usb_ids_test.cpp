#include "capture/usb_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

struct Parsed {
    bool ok;
    std::wstring vendor;
    std::wstring product;
};

Parsed Parse(const std::wstring& path) {
    Parsed p{false, L"unset", L"unset"};
    p.ok = ParseUsbIds(path, p.vendor, p.product);
    return p;
}

const wchar_t kSwPath[] =
    L"@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\vid_1d6b&pid_0102&mi_00#demo#0";

} // namespace

// Where a path fails, the texts are left as they were.
TEST(ParseUsbIds, CutsVendorAndProductOutOfDevicePathsOrFailsLeavingTheTexts) {
    const struct {
        const wchar_t *path, *vendor, *product; // null: fails
    } cases[] = {
        {kSwPath, L"1d6b", L"0102"},
        {L"@device:pnp:\\\\?\\usb#vid_0c45&pid_6366&mi_00#6&2b6a3a7c&0&0000#{65e8773d-8f56-11d0-a3b9-"
         L"00a0c9223196}\\global",
         L"0c45", L"6366"},
        {L"vid_AB&xxxxCD&#x#", L"AB", L"CD"}, // the four units behind the vendor's "&" are skipped unread
        // The marker is lower case only, but counts with capitals elsewhere.
        {L"USB#vid_0C45&PID_6366&MI_00#A#B", L"0C45", L"6366"},
        {L"\\\\?\\usb#VID_0C45&PID_6366&MI_00#6&2b6a&0#{x}", nullptr, nullptr},
        {L"", nullptr, nullptr},
        {L"usb#pid_6366&mi_00#a#b", nullptr, nullptr},        // no vid_
        {L"usb#vid_0c45", nullptr, nullptr},                  // no & after the vendor
        {L"usb#vid_0c45&pid", nullptr, nullptr},              // product would start past the end
        {L"usb#vid_0c45&pid_", nullptr, nullptr},             // product starts at the end: no & follows
        {L"usb#vid_0c45&pid_6366", nullptr, nullptr},         // no & after the product
        {L"usb#vid_0c45&pid_6366&mi_00", nullptr, nullptr},   // no #
        {L"usb#vid_0c45&pid_6366&mi_00#6", nullptr, nullptr}, // only one #
        {L"usb#vid_0c45#pid_6366&mi_00#a", nullptr, nullptr}, // the # before the product does not count
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(c.path);
        EXPECT_EQ(
            std::tuple(bool(p.ok), p.vendor, p.product),
            std::tuple(c.vendor != nullptr, c.vendor ? c.vendor : L"unset", c.product ? c.product : L"unset"))
            << static_cast<const void*>(c.path);
    }
}

TEST(ParseUsbIds, PathsOf512UnitsOrMoreAreSkippedShorterOnesParsed) {
    const std::wstring ids = L"\\vid_1d6b&pid_0102&mi_00#demo#0";
    std::wstring path = L"@device:sw:" + std::wstring(511 - 11 - ids.size(), L'x') + ids;
    ASSERT_EQ(path.size(), 511u);
    EXPECT_TRUE(Parse(path).ok);
    path.insert(0, 1, L'x');
    ASSERT_EQ(path.size(), 512u);
    EXPECT_FALSE(Parse(path).ok);
}

TEST(CameraNames, BuiltInCamerasAndEmptyNamesAreSkipped) {
    for (const wchar_t* name : {L"", L"Integrated Camera", L"Microsoft LifeCam", L"HD Webcam (Integrated)"})
        EXPECT_TRUE(IsSkippedCameraName(name)) << name;
    // Only the words with those capitals exclude a camera.
    for (const wchar_t* name : {L"integrated microscope", L"microsoft-compatible scope"})
        EXPECT_FALSE(IsSkippedCameraName(name)) << name;
}
