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

TEST(ParseUsbIds, CutsVendorAndProductOutOfDevicePaths) {
    Parsed p = Parse(kSwPath);
    EXPECT_EQ(std::tuple(bool(p.ok), p.vendor, p.product), std::tuple(true, L"1d6b", L"0102"));

    p = Parse(L"@device:pnp:\\\\?\\usb#vid_0c45&pid_6366&mi_00#6&2b6a3a7c&0&0000#{65e8773d-8f56-11d0-a3b9-"
              L"00a0c9223196}\\global");
    EXPECT_EQ(std::tuple(bool(p.ok), p.vendor, p.product), std::tuple(true, L"0c45", L"6366"));

    // The four units behind the vendor's "&" are skipped unread, whatever they hold.
    p = Parse(L"vid_AB&xxxxCD&#x#");
    EXPECT_EQ(std::tuple(bool(p.ok), p.vendor, p.product), std::tuple(true, L"AB", L"CD"));
}

TEST(ParseUsbIds, MarkerIsLowerCaseOnly) {
    EXPECT_FALSE(Parse(L"\\\\?\\usb#VID_0C45&PID_6366&MI_00#6&2b6a&0#{x}").ok);
    EXPECT_FALSE(Parse(L"Vid_0c45&pid_6366&mi_00#a#b").ok);
    // A lower-case marker anywhere counts, even with capitals elsewhere.
    EXPECT_TRUE(Parse(L"USB#vid_0C45&PID_6366&MI_00#A#B").ok);
}

TEST(ParseUsbIds, EachMissingSeparatorFailsAndLeavesTheTexts) {
    const wchar_t* const broken[] = {
        L"",
        L"usb#pid_6366&mi_00#a#b",        // no vid_
        L"usb#vid_0c45",                  // no & after the vendor
        L"usb#vid_0c45&pid",              // product would start past the end
        L"usb#vid_0c45&pid_",             // product starts at the end: no & follows
        L"usb#vid_0c45&pid_6366",         // no & after the product
        L"usb#vid_0c45&pid_6366&mi_00",   // no #
        L"usb#vid_0c45&pid_6366&mi_00#6", // only one #
        L"usb#vid_0c45#pid_6366&mi_00#a", // the # before the product does not count
    };
    for (const wchar_t* path : broken) {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(path));
        const Parsed p = Parse(path);
        EXPECT_EQ(std::tuple(bool(p.ok), p.vendor, p.product), std::tuple(false, L"unset", L"unset"));
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
    EXPECT_FALSE(Parse(std::wstring(100000, L'#') + ids).ok);
}

TEST(CameraNames, BuiltInCamerasAndEmptyNamesAreSkipped) {
    EXPECT_TRUE(IsSkippedCameraName(L""));
    EXPECT_TRUE(IsSkippedCameraName(L"Integrated Camera"));
    EXPECT_TRUE(IsSkippedCameraName(L"Microsoft LifeCam"));
    EXPECT_TRUE(IsSkippedCameraName(L"HD Webcam (Integrated)"));
    // Only the words with those capitals exclude a camera.
    EXPECT_FALSE(IsSkippedCameraName(L"integrated microscope"));
    EXPECT_FALSE(IsSkippedCameraName(L"microsoft-compatible scope"));
    EXPECT_FALSE(IsSkippedCameraName(L"INTEGRATED"));
    EXPECT_FALSE(IsSkippedCameraName(L"Demo Microscope"));
}
