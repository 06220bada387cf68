// The Device section of the real program with the virtual camera and the Open-microscope dialog,
// driven from outside like a user, what its buttons have the main window do, the panel without a
// camera and its scroll bar in a low window.
#include "app/main_layout.h"
#include "panels/device_section_layout.h"
#include "base/app_settings.h"
#include "panels/panel_layout.h"
#include "resources/dialogs_device_ids.h"
#include "tests/e2e/e2e_support.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kFirstCamera[] = L"vid_1d6b&pid_0102&mi_00#panel#1";
constexpr wchar_t kSecondCamera[] = L"vid_1d6b&pid_0103&mi_00#panel#2";

int ItemIndex(const std::vector<std::wstring>& items, const std::wstring& text) {
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

class Panel : public ProgramTest {
protected:
    void Start(bool live = true) {
        Launch();
        device_ = GetDlgItem(panel_, kIdDeviceSection);
        SetCursorPos(1279, 1023); // the real pointer stays off the panel
        // The headers of Device, Preview and Files are toggled open shortly after start.
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Item(kIdDeviceCombo)); }, 5000));
        if (live) {
            ASSERT_TRUE(WaitFor([&] { return Live(); }, 5000));
        }
    }

    HWND Item(int id) const { return GetDlgItem(device_, id); }

    // Closing the camera list's drop-down opens the Open-microscope dialog, as a click on the list
    // and a second one do.
    HWND OpenDialog() {
        HWND combo = Item(kIdDeviceCombo);
        PostMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        PostMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        return WaitForDialog([](HWND) { return true; });
    }

    HWND device_ = nullptr;
};

} // namespace

TEST_F(Panel, DeviceSectionSwitchesTheCameraAndItsButtonsReachTheMainWindow) {
    ASSERT_TRUE(AddCamera(kFirstCamera, L"Bench Scope",
                          {{kTestCamMjpg, 1280, 720, 30},
                           {kTestCamMjpg, 640, 480, 30},
                           {kTestCamYuy2, 640, 480, 30},
                           {kTestCamYuy2, 1280, 720, 10}}));
    ASSERT_TRUE(StoreRequestedFormat(true, 640, 480));
    Start();
    HWND resolution = Item(kIdResolutionCombo);
    HWND format = Item(kIdFormatCombo);
    EXPECT_TRUE(WaitFor([&] { return WindowText(Item(kIdDeviceCombo)) == L"Bench Scope"; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return WindowText(resolution) == L"640x480"; }, 3000));
    EXPECT_EQ(ComboItems(resolution), (std::vector<std::wstring>{L"640x480", L"1280x720"}));
    EXPECT_EQ(ComboItems(format), (std::vector<std::wstring>{L"MJPG", L"YUY2"}));
    EXPECT_EQ(WindowText(format), L"MJPG");
    EXPECT_TRUE(IsWindowEnabled(Item(kIdPhotoButton)));
    EXPECT_TRUE(IsWindowEnabled(Item(kIdVideoButton)));

    // The size already running: nothing happens.
    const long framesBefore = TestCam_ReadStatus(kFirstCamera).framesDelivered;
    Choose(device_, resolution, kIdResolutionCombo, 0);
    Sleep(500);
    EXPECT_EQ(TestCam_ReadStatus(kFirstCamera).width, 640);
    EXPECT_GT(TestCam_ReadStatus(kFirstCamera).framesDelivered, framesBefore); // never stopped

    // 1280x720: the camera reopens at that size and the program keeps it as the format to use.
    Choose(device_, resolution, kIdResolutionCombo, 1);
    EXPECT_TRUE(WaitFor(
        [&] {
            const TestCamStatus s = TestCam_ReadStatus(kFirstCamera);
            return s.running > 0 && s.width == 1280 && s.height == 720;
        },
        5000));
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryContentWidth) == 1280 && Live(); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return StoredDword(L"width") == 1280; }, 3000));
    EXPECT_EQ(StoredDword(L"height"), 720u);
    EXPECT_EQ(StoredDword(L"mjpg"), 1u);
    EXPECT_TRUE(WaitFor([&] { return WindowText(resolution) == L"1280x720"; }, 3000));

    // YUY2 at the same size.
    Choose(device_, format, kIdFormatCombo, 1);
    EXPECT_TRUE(WaitFor([&] { return StoredDword(L"mjpg") == 0; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return WindowText(format) == L"YUY2"; }, 3000));
    const TestCamStatus yuy2 = TestCam_ReadStatus(kFirstCamera);
    EXPECT_GT(yuy2.running, 0);
    EXPECT_EQ(yuy2.width, 1280);
    EXPECT_TRUE(WaitFor([&] { return Live(); }, 5000));

    // Photo: a new picture in the save folder, which the panel passes on to the Files list.
    HWND files = GetDlgItem(GetDlgItem(panel_, kIdFilesSection), 101);
    const LRESULT listed = SendWithTimeout(files, LB_GETCOUNT, 0, 0);
    const size_t photos = FilesIn(DefaultSaveFolder(), L"*.jpg").size();
    PostMessageW(Item(kIdPhotoButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return FilesIn(DefaultSaveFolder(), L"*.jpg").size() == photos + 1; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return SendWithTimeout(files, LB_GETCOUNT, 0, 0) == listed + 1; }, 3000));

    // Video and Setting: the record dialog and the Options dialog, each closed again.
    const struct {
        int button;
        const wchar_t* caption;
    } dialogs[] = {{kIdVideoButton, L"Record video"}, {kIdSettingButton, L"Setting"}};
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.button);
        PostMessageW(Item(d.button), BM_CLICK, 0, 0);
        HWND dialog = WaitForDialog(d.caption);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), main_);
        PressButton(dialog, IDCANCEL);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    }

    // A second camera plugged in. What the Open-microscope dialog lists and offers is the Wine
    // tests' (control_panel_test); here it starts on the camera in use and its choice reaches the
    // main window.
    ASSERT_TRUE(AddCamera(
        kSecondCamera, L"Scope Two",
        {{kTestCamMjpg, 800, 600, 30}, {kTestCamYuy2, 800, 600, 30}, {kTestCamYuy2, 1024, 768, 15}}));
    TestCam_NotifyDeviceChange(view_, true);
    Sleep(1500);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), main_);
    HWND list = GetDlgItem(dialog, IDC_OPEN_DEVICE_LIST);
    HWND chosenFormat = GetDlgItem(dialog, IDC_OPEN_FORMAT);
    HWND chosenSize = GetDlgItem(dialog, IDC_OPEN_RESOLUTION);
    const std::vector<std::wstring> names = ListItems(list);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[static_cast<size_t>(SendWithTimeout(list, LB_GETCURSEL, 0, 0))], L"Bench Scope");
    Choose(dialog, list, IDC_OPEN_DEVICE_LIST, ItemIndex(names, L"Scope Two"), true);
    EXPECT_TRUE(WaitFor([&] { return ComboItems(chosenFormat).size() == 2; }, 3000));
    Choose(dialog, chosenFormat, IDC_OPEN_FORMAT, 1);
    EXPECT_TRUE(WaitFor([&] { return ItemIndex(ComboItems(chosenSize), L"1024x768") >= 0; }, 3000));
    Choose(dialog, chosenSize, IDC_OPEN_RESOLUTION, ItemIndex(ComboItems(chosenSize), L"1024x768"));
    EXPECT_TRUE(WaitFor([&] { return WindowText(chosenSize) == L"1024x768"; }, 3000));
    PressButton(dialog, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return TestCam_ReadStatus(kFirstCamera).running == 0; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return StoredDword(L"width") == 1024; }, 3000));
    EXPECT_EQ(StoredDword(L"mjpg"), 0u);
    EXPECT_TRUE(WaitFor([&] { return WindowText(Item(kIdDeviceCombo)) == L"Scope Two"; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return WindowText(format) == L"YUY2"; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryContentWidth) == 1024 && Live(); }, 5000));

    // Cancel changes nothing.
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    list = GetDlgItem(dialog, IDC_OPEN_DEVICE_LIST);
    EXPECT_EQ(ListItems(list)[static_cast<size_t>(SendWithTimeout(list, LB_GETCURSEL, 0, 0))], L"Scope Two");
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    Sleep(500);
    EXPECT_GT(TestCam_ReadStatus(kSecondCamera).running, 0);
    EXPECT_EQ(TestCam_ReadStatus(kSecondCamera).width, 1024);

    // Files: the file browser shows the save folder (with the photo selected).
    PostMessageW(Item(kIdFilesButton), BM_CLICK, 0, 0);
    HWND browser = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] {
            browser = FindWindowW(L"ExplorerWClass", kDefaultSaveFolderName);
            return browser != nullptr && IsWindowVisible(browser);
        },
        10000));
    if (browser)
        PostMessageW(browser, WM_CLOSE, 0, 0);
}

TEST_F(Panel, WithoutACameraTheDialogSaysSoAndALowWindowScrollsThePanel) {
    Start(false);
    EXPECT_TRUE(WaitFor([&] { return WindowText(Item(kIdDeviceCombo)) == L"Click to open..."; }, 3000));
    EXPECT_FALSE(IsWindowEnabled(Item(kIdPhotoButton)));
    EXPECT_FALSE(IsWindowEnabled(Item(kIdVideoButton)));
    EXPECT_TRUE(ComboItems(Item(kIdResolutionCombo)).empty());

    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ListItems(GetDlgItem(dialog, IDC_OPEN_DEVICE_LIST)),
              (std::vector<std::wstring>{L"No microscope found."}));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPEN_FORMAT)));
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(Query(kQueryContentWidth), 0);

    // The smallest window a user can make: the sections no longer fit.
    const RECT deviceAtTop = RectInParent(device_);
    EXPECT_FALSE(GetWindowLongW(panel_, GWL_STYLE) & WS_VSCROLL);
    ShowWindow(main_, SW_RESTORE);
    SetWindowPos(main_, nullptr, 20, 20, kMainMinTrackWidth, kMainMinTrackHeight, SWP_NOZORDER);
    ASSERT_TRUE(WaitFor([&] { return (GetWindowLongW(panel_, GWL_STYLE) & WS_VSCROLL) != 0; }, 5000));

    // The wheel (a delta of 0 counts as down) moves every section up by one line.
    PostMessageW(panel_, WM_MOUSEWHEEL, MAKEWPARAM(0, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return RectInParent(device_).top < deviceAtTop.top; }, 3000));
    EXPECT_GT(deviceAtTop.top - RectInParent(device_).top, 5);
    PostMessageW(panel_, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_TRUE(WaitFor([&] { return RectInParent(device_).top == deviceAtTop.top; }, 3000));

    // To the end and past it: the last section ends one margin above the panel's bottom.
    HWND files = GetDlgItem(panel_, kIdFilesSection);
    const SIZE client = ClientSize(panel_);
    for (WORD request : {SB_BOTTOM, SB_LINEDOWN, SB_PAGEDOWN})
        PostMessageW(panel_, WM_VSCROLL, MAKEWPARAM(request, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return RectInParent(files).bottom == client.cy - deviceAtTop.top; }, 3000))
        << RectInParent(files).bottom << " in " << client.cy;

    // Large again: no bar, back at the top.
    ShowWindow(main_, SW_MAXIMIZE);
    EXPECT_TRUE(WaitFor([&] { return (GetWindowLongW(panel_, GWL_STYLE) & WS_VSCROLL) == 0; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return RectInParent(device_).top == deviceAtTop.top; }, 3000));
}
