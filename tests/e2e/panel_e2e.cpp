// The control panel of the real program: its headers and scroll bar, the Device section with the
// virtual camera, and the Open-microscope dialog, driven from outside like a user.
#include "panels/device_section_layout.h"
#include "panels/panel_layout.h"
#include "tests/e2e/program_session.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kFirstCamera[] = L"vid_1d6b&pid_0102&mi_00#panel#1";
constexpr wchar_t kSecondCamera[] = L"vid_1d6b&pid_0103&mi_00#panel#2";

// The Open-microscope dialog's controls.
constexpr int kDialogDeviceList = 3005;
constexpr int kDialogResolution = 3014;
constexpr int kDialogFormat = 1018;

constexpr COLORREF kHeaderFace = RGB(143, 219, 219);

TestCamConfig Camera(const wchar_t* instance, const wchar_t* name, std::vector<TestCamFormat> formats) {
    TestCamConfig config;
    config.instanceName = instance;
    config.friendlyName = name;
    config.formats = std::move(formats);
    return config;
}

void WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void StoreRequestedFormat(int mjpg, int width, int height) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantix", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    WriteDword(key, L"mjpg", mjpg);
    WriteDword(key, L"width", width);
    WriteDword(key, L"height", height);
    WriteDword(key, L"interpolated", 0);
    RegCloseKey(key);
}

// A saved setting, or -1 when it is not there.
long SavedSetting(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantix", name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<long>(value);
}

LRESULT Query(HWND view, ViewQuery which) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(view, UM_VIEW_QUERY, which, 0, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

// Asked of the window itself: for another process's window GetWindowText gives only a caption.
std::wstring Text(HWND hwnd) {
    wchar_t text[128] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    return text;
}

std::vector<std::wstring> Items(HWND control, UINT countMsg, UINT textMsg) {
    std::vector<std::wstring> items;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(control, countMsg, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    for (int i = 0; i < static_cast<int>(count); ++i) {
        wchar_t text[128] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(control, textMsg, i, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                            &ignored);
        items.emplace_back(text);
    }
    return items;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    return Items(combo, CB_GETCOUNT, CB_GETLBTEXT);
}

std::vector<std::wstring> ListItems(HWND list) {
    return Items(list, LB_GETCOUNT, LB_GETTEXT);
}

LRESULT Selection(HWND control, UINT msg) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, msg, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

// A user's choice in a list: the selection moves and the owner hears of it. Both are posted, so
// that nothing the program has queued already (a refresh of the lists) comes between them.
void Choose(HWND owner, HWND control, int id, int item, bool listBox) {
    PostMessageW(control, listBox ? LB_SETCURSEL : CB_SETCURSEL, item, 0);
    PostMessageW(owner, WM_COMMAND, MAKEWPARAM(id, listBox ? LBN_SELCHANGE : CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}

int ItemIndex(const std::vector<std::wstring>& items, const std::wstring& text) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text)
            return static_cast<int>(i);
    }
    return -1;
}

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(hwnd, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

// The chevron's left stroke two pixels from its tip: black when the chevron points that way.
bool ChevronShows(HWND header, bool expanded) {
    RECT rc = {};
    GetClientRect(header, &rc);
    const Chevron c = HeaderChevron(rc.right, rc.bottom, expanded);
    return ScreenPixel(header, c.tip.x - 2, c.tip.y + (expanded ? 2 : -2)) == RGB(0, 0, 0);
}

void ClickHeader(HWND header) {
    PostMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(10, 5));
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    PostMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    PostMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(10, 500)); // and away again
}

struct FindDialog {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM lParam) {
    auto* find = reinterpret_cast<FindDialog*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    if (pid == find->processId && wcscmp(className, L"#32770") == 0 && IsWindowVisible(hwnd)) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of the program with this caption, or null.
HWND ProgramDialog(DWORD processId, const std::wstring& caption) {
    struct Find {
        DWORD processId;
        const std::wstring* caption;
        HWND found;
    } find = {processId, &caption, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* f = reinterpret_cast<Find*>(lParam);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            wchar_t className[16] = {};
            GetClassNameW(hwnd, className, 16);
            if (pid != f->processId || wcscmp(className, L"#32770") != 0 || !IsWindowVisible(hwnd) ||
                Text(hwnd) != *f->caption)
                return TRUE;
            f->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// Photos in the default save folder.
int PhotoCount() {
    wchar_t documents[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents) != S_OK)
        return -1;
    int count = 0;
    for (const wchar_t* pattern : {L"\\Vantix Files\\*.jpg", L"\\Vantix Files\\*.png"}) {
        WIN32_FIND_DATAW found = {};
        HANDLE search = FindFirstFileW((std::wstring(documents) + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            ++count;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return count;
}

class Panel : public testing::Test {
protected:
    void TearDown() override {
        if (session_.process.hProcess) {
            EXPECT_EQ(CloseProgram(&session_), 0u);
        }
        for (const wchar_t* instance : {kFirstCamera, kSecondCamera}) {
            TestCam_Unregister(instance);
            TestCam_RemoveConfig(instance);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantix");
    }

    void Start() {
        ASSERT_TRUE(LaunchProgram(&session_));
        main_ = session_.mainWindow;
        panel_ = GetDlgItem(main_, 109);
        view_ = GetDlgItem(main_, 108);
        device_ = GetDlgItem(panel_, 100);
        ASSERT_NE(panel_, nullptr);
        ASSERT_NE(device_, nullptr);
        SetCursorPos(1279, 1023); // the real pointer stays off the panel
        // The headers of Device, Preview and Files are toggled open shortly after start.
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Item(kIdDeviceCombo)); }, 5000));
    }

    HWND Item(int id) const { return GetDlgItem(device_, id); }
    HWND Header(int section) const { return GetDlgItem(GetDlgItem(panel_, section), 100); }

    bool Live() const { return Query(view_, kQueryContentWidth) > 0 && Query(view_, kQueryPaints) > 0; }

    // Closing the camera list's drop-down opens the Open-microscope dialog.
    HWND OpenDialog() {
        // The list dropped down and closed again, as a click on it and a second one do.
        HWND combo = Item(kIdDeviceCombo);
        PostMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        PostMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        FindDialog find = {session_.process.dwProcessId, nullptr};
        WaitFor(
            [&] {
                EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&find));
                return find.found != nullptr;
            },
            5000);
        if (!find.found)
            SaveScreenshot(L"panel_no_dialog.bmp");
        return find.found;
    }

    ProgramSession session_;
    HWND main_ = nullptr;
    HWND panel_ = nullptr;
    HWND view_ = nullptr;
    HWND device_ = nullptr;
};

} // namespace

TEST_F(Panel, HeadersCollapseAndExpandWithTheirChevrons) {
    Start();
    HWND deviceHeader = Header(100);
    HWND colorsHeader = Header(103);
    HWND preview = GetDlgItem(panel_, 101);
    ASSERT_NE(deviceHeader, nullptr);
    ASSERT_NE(colorsHeader, nullptr);
    EXPECT_EQ(Text(deviceHeader), L"Device");
    EXPECT_EQ(Text(colorsHeader), L"Colors");
    // The panel settles after start (sections laid out, lists filled): read the screen then.
    EXPECT_TRUE(WaitFor([&] { return ChevronShows(deviceHeader, true) && ChevronShows(colorsHeader, false); },
                        3000)); // Colors starts collapsed
    EXPECT_FALSE(ChevronShows(deviceHeader, false));
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(deviceHeader, 1, 1) == kHeaderFace; }, 3000));
    SaveScreenshot(L"panel_start.bmp");

    // Device collapses to its header: its controls go and Preview moves up under it.
    const RECT deviceOpen = ChildRect(device_);
    ClickHeader(deviceHeader);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(Item(kIdDeviceCombo)); }, 3000));
    EXPECT_TRUE(WaitFor([&] { return ChildRect(preview).top < deviceOpen.bottom; }, 3000));
    const RECT deviceClosed = ChildRect(device_);
    EXPECT_EQ(ChildRect(preview).top, deviceClosed.bottom);
    RECT headerRect = ChildRect(deviceHeader);
    EXPECT_EQ(deviceClosed.bottom - deviceClosed.top, headerRect.bottom - headerRect.top + 1);
    EXPECT_TRUE(WaitFor([&] { return ChevronShows(deviceHeader, false); }, 3000));
    EXPECT_FALSE(ChevronShows(deviceHeader, true));

    // Colors opens.
    const RECT colorsClosed = ChildRect(GetDlgItem(panel_, 103));
    ClickHeader(colorsHeader);
    EXPECT_TRUE(WaitFor([&] { return ChevronShows(colorsHeader, true); }, 3000));
    EXPECT_TRUE(WaitFor(
        [&] {
            const RECT r = ChildRect(GetDlgItem(panel_, 103));
            return r.bottom - r.top > colorsClosed.bottom - colorsClosed.top;
        },
        3000));
    Sleep(200);
    SaveScreenshot(L"panel_toggled.bmp");

    // And back.
    ClickHeader(deviceHeader);
    ClickHeader(colorsHeader);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(Item(kIdDeviceCombo)); }, 3000));
    EXPECT_TRUE(
        WaitFor([&] { return ChevronShows(deviceHeader, true) && ChevronShows(colorsHeader, false); }, 3000));
    EXPECT_TRUE(WaitFor([&] { return ChildRect(preview).top == deviceOpen.bottom; }, 3000));
}

TEST_F(Panel, ScrollsWhenTheWindowIsLow) {
    Start();
    const RECT deviceAtTop = ChildRect(device_);
    EXPECT_FALSE(GetWindowLongW(panel_, GWL_STYLE) & WS_VSCROLL);

    // The smallest window a user can make: the sections no longer fit.
    ShowWindow(main_, SW_RESTORE);
    SetWindowPos(main_, nullptr, 20, 20, 798, 520, SWP_NOZORDER);
    ASSERT_TRUE(WaitFor([&] { return (GetWindowLongW(panel_, GWL_STYLE) & WS_VSCROLL) != 0; }, 5000));

    // The wheel (a delta of 0 counts as down) moves every section up by one line.
    HWND files = GetDlgItem(panel_, 102);
    PostMessageW(panel_, WM_MOUSEWHEEL, MAKEWPARAM(0, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return ChildRect(device_).top < deviceAtTop.top; }, 3000));
    const int line = deviceAtTop.top - ChildRect(device_).top;
    EXPECT_GT(line, 5);
    PostMessageW(panel_, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_TRUE(WaitFor([&] { return ChildRect(device_).top == deviceAtTop.top; }, 3000));

    // To the end and past it: the last section ends one margin above the panel's bottom.
    RECT client = {};
    GetClientRect(panel_, &client);
    PostMessageW(panel_, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    PostMessageW(panel_, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    PostMessageW(panel_, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return ChildRect(files).bottom == client.bottom - deviceAtTop.top; }, 3000))
        << ChildRect(files).bottom << " in " << client.bottom;
    Sleep(300);
    SaveScreenshot(L"panel_scrolled.bmp");

    // Large again: no bar, back at the top.
    ShowWindow(main_, SW_MAXIMIZE);
    EXPECT_TRUE(WaitFor([&] { return (GetWindowLongW(panel_, GWL_STYLE) & WS_VSCROLL) == 0; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return ChildRect(device_).top == deviceAtTop.top; }, 3000));
}

TEST_F(Panel, DeviceSectionShowsAndSwitchesTheCamera) {
    ASSERT_TRUE(TestCam_Register(Camera(kFirstCamera, L"Bench Scope",
                                        {{kTestCamMjpg, 1280, 720, 30},
                                         {kTestCamMjpg, 640, 480, 30},
                                         {kTestCamYuy2, 640, 480, 30},
                                         {kTestCamYuy2, 1280, 720, 10}})));
    StoreRequestedFormat(1, 640, 480);
    Start();
    ASSERT_TRUE(WaitFor([&] { return Live(); }, 5000));
    HWND resolution = Item(kIdResolutionCombo);
    HWND format = Item(kIdFormatCombo);
    EXPECT_TRUE(WaitFor([&] { return Text(Item(kIdDeviceCombo)) == L"Bench Scope"; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return Text(resolution) == L"640x480"; }, 3000));
    EXPECT_EQ(ComboItems(resolution), (std::vector<std::wstring>{L"640x480", L"1280x720"}));
    EXPECT_EQ(ComboItems(format), (std::vector<std::wstring>{L"MJPG", L"YUY2"}));
    EXPECT_EQ(Text(format), L"MJPG");
    EXPECT_TRUE(IsWindowEnabled(Item(kIdPhotoButton)));
    EXPECT_TRUE(IsWindowEnabled(Item(kIdVideoButton)));

    // The size already running: nothing happens.
    const long framesBefore = TestCam_ReadStatus(kFirstCamera).framesDelivered;
    Choose(device_, resolution, kIdResolutionCombo, 0, false);
    Sleep(500);
    EXPECT_EQ(TestCam_ReadStatus(kFirstCamera).width, 640);
    EXPECT_GT(TestCam_ReadStatus(kFirstCamera).framesDelivered, framesBefore); // never stopped
    EXPECT_EQ(Query(view_, kQueryContentWidth), 640);

    // 1280x720: the camera reopens at that size and the program keeps it as the format to use.
    Choose(device_, resolution, kIdResolutionCombo, 1, false);
    EXPECT_TRUE(WaitFor(
        [&] {
            const TestCamStatus s = TestCam_ReadStatus(kFirstCamera);
            return s.running > 0 && s.width == 1280 && s.height == 720;
        },
        5000));
    EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryContentWidth) == 1280 && Live(); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return SavedSetting(L"width") == 1280; }, 3000));
    EXPECT_EQ(SavedSetting(L"height"), 720);
    EXPECT_EQ(SavedSetting(L"mjpg"), 1);
    EXPECT_TRUE(WaitFor([&] { return Text(resolution) == L"1280x720"; }, 3000));

    // YUY2 at the same size.
    Choose(device_, format, kIdFormatCombo, 1, false);
    EXPECT_TRUE(WaitFor([&] { return SavedSetting(L"mjpg") == 0; }, 5000));
    EXPECT_EQ(SavedSetting(L"width"), 1280);
    EXPECT_TRUE(WaitFor([&] { return Text(format) == L"YUY2"; }, 3000));
    const TestCamStatus yuy2 = TestCam_ReadStatus(kFirstCamera);
    EXPECT_GT(yuy2.running, 0);
    EXPECT_EQ(yuy2.width, 1280);
    EXPECT_EQ(ComboItems(resolution), (std::vector<std::wstring>{L"640x480", L"1280x720"}));
    EXPECT_TRUE(WaitFor([&] { return Live(); }, 5000));
    Sleep(300);
    SaveScreenshot(L"panel_device_yuy2.bmp");
}

TEST_F(Panel, OpenMicroscopeDialogOpensTheChosenCameraAtTheChosenFormat) {
    ASSERT_TRUE(TestCam_Register(
        Camera(kFirstCamera, L"Scope One",
               {{kTestCamMjpg, 640, 480, 30}, {kTestCamYuy2, 640, 480, 30}, {kTestCamYuy2, 1280, 720, 10}})));
    ASSERT_TRUE(TestCam_Register(
        Camera(kSecondCamera, L"Scope Two",
               {{kTestCamMjpg, 800, 600, 30}, {kTestCamYuy2, 800, 600, 30}, {kTestCamYuy2, 1024, 768, 15}})));
    Start();
    ASSERT_TRUE(WaitFor([&] { return Live(); }, 5000));
    // The program opened one of them; the dialog is to switch to the other.
    const bool firstRuns = TestCam_ReadStatus(kFirstCamera).running > 0;
    const wchar_t* chosenInstance = firstRuns ? kSecondCamera : kFirstCamera;
    const wchar_t* otherInstance = firstRuns ? kFirstCamera : kSecondCamera;
    const std::wstring chosenName = firstRuns ? L"Scope Two" : L"Scope One";
    const std::wstring largest = firstRuns ? L"1024x768" : L"1280x720";
    const int largestWidth = firstRuns ? 1024 : 1280;

    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), main_);
    EXPECT_EQ(Text(dialog), L"Open microscope");
    HWND list = GetDlgItem(dialog, kDialogDeviceList);
    HWND format = GetDlgItem(dialog, kDialogFormat);
    HWND resolution = GetDlgItem(dialog, kDialogResolution);
    const std::vector<std::wstring> names = ListItems(list);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_NE(ItemIndex(names, L"Scope One"), -1);
    EXPECT_NE(ItemIndex(names, L"Scope Two"), -1);
    // It starts on the camera in use.
    EXPECT_EQ(names[static_cast<size_t>(Selection(list, LB_GETCURSEL))],
              firstRuns ? L"Scope One" : L"Scope Two");

    Choose(dialog, list, kDialogDeviceList, ItemIndex(names, chosenName), true);
    EXPECT_TRUE(WaitFor(
        [&] {
            return ComboItems(format) == std::vector<std::wstring>{L"MJPG", L"YUY2"};
        },
        3000));
    Choose(dialog, format, kDialogFormat, 1, false);
    EXPECT_TRUE(WaitFor([&] { return ItemIndex(ComboItems(resolution), largest) >= 0; }, 3000));
    Choose(dialog, resolution, kDialogResolution, ItemIndex(ComboItems(resolution), largest), false);
    EXPECT_TRUE(WaitFor([&] { return Text(resolution) == largest; }, 3000));
    Sleep(200);
    SaveScreenshot(L"panel_open_dialog.bmp");

    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_TRUE(WaitFor(
        [&] {
            const TestCamStatus s = TestCam_ReadStatus(chosenInstance);
            return s.running > 0 && s.width == largestWidth;
        },
        5000));
    EXPECT_TRUE(WaitFor([&] { return TestCam_ReadStatus(otherInstance).running == 0; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return SavedSetting(L"width") == largestWidth; }, 3000));
    EXPECT_EQ(SavedSetting(L"mjpg"), 0);
    EXPECT_TRUE(WaitFor([&] { return Text(Item(kIdDeviceCombo)) == chosenName; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return Text(Item(kIdFormatCombo)) == L"YUY2"; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryContentWidth) == largestWidth && Live(); }, 5000));
    Sleep(300);
    SaveScreenshot(L"panel_after_dialog.bmp");

    // Cancel changes nothing.
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ListItems(GetDlgItem(dialog, kDialogDeviceList))[static_cast<size_t>(
                  Selection(GetDlgItem(dialog, kDialogDeviceList), LB_GETCURSEL))],
              chosenName);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    Sleep(500);
    EXPECT_GT(TestCam_ReadStatus(chosenInstance).running, 0);
    EXPECT_EQ(TestCam_ReadStatus(chosenInstance).width, largestWidth);
}

TEST_F(Panel, ButtonsAskTheMainWindowToAct) {
    ASSERT_TRUE(TestCam_Register(Camera(kFirstCamera, L"Bench Scope", {{kTestCamMjpg, 640, 480, 30}})));
    Start();
    ASSERT_TRUE(WaitFor([&] { return Live() && IsWindowEnabled(Item(kIdPhotoButton)); }, 5000));

    // Photo: a new picture in the save folder, which the panel passes on to the Files list.
    HWND files = GetDlgItem(GetDlgItem(panel_, 102), 101);
    const LRESULT listed = Selection(files, LB_GETCOUNT);
    const int photos = PhotoCount();
    PostMessageW(Item(kIdPhotoButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return PhotoCount() == photos + 1; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return Selection(files, LB_GETCOUNT) == listed + 1; }, 3000));

    // Video and Setting: the record dialog and the Options dialog, each closed again.
    const struct {
        int button;
        const wchar_t* caption;
    } dialogs[] = {{kIdVideoButton, L"Record video"}, {kIdSettingButton, L"Setting"}};
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.button);
        PostMessageW(Item(d.button), BM_CLICK, 0, 0);
        HWND dialog = nullptr;
        EXPECT_TRUE(WaitFor(
            [&] {
                dialog = ProgramDialog(session_.process.dwProcessId, d.caption);
                return dialog != nullptr;
            },
            5000));
        if (!dialog)
            continue;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), main_);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    }

    // Files: the file browser shows the save folder (with the photo selected).
    PostMessageW(Item(kIdFilesButton), BM_CLICK, 0, 0);
    HWND browser = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] {
            browser = FindWindowW(L"ExplorerWClass", L"Vantix Files");
            return browser != nullptr && IsWindowVisible(browser);
        },
        10000));
    Sleep(300);
    SaveScreenshot(L"panel_files_button.bmp");
    if (browser)
        PostMessageW(browser, WM_CLOSE, 0, 0);
}

TEST_F(Panel, NoMicroscopeFound) {
    Start();
    EXPECT_TRUE(WaitFor([&] { return Text(Item(kIdDeviceCombo)) == L"Click to open..."; }, 3000));
    EXPECT_FALSE(IsWindowEnabled(Item(kIdPhotoButton)));
    EXPECT_FALSE(IsWindowEnabled(Item(kIdVideoButton)));
    EXPECT_TRUE(IsWindowEnabled(Item(kIdFilesButton)));
    EXPECT_TRUE(IsWindowEnabled(Item(kIdSettingButton)));
    EXPECT_TRUE(ComboItems(Item(kIdResolutionCombo)).empty());

    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ListItems(GetDlgItem(dialog, kDialogDeviceList)),
              (std::vector<std::wstring>{L"No microscope found."}));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kDialogFormat)));
    Sleep(200);
    SaveScreenshot(L"panel_no_microscope.bmp");
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(Query(view_, kQueryContentWidth), 0);
}
