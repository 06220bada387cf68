// The control panel's Colors and Preview sections and the Options dialog of the real program with
// the virtual camera: camera controls read back from the camera, zoom and picture effects seen on
// the screen, options kept in the registry across runs, and the ten languages.
#include "panels/panel_messages.h"
#include "base/string_table.h"
#include "tests/e2e/program_session.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"
#include "view/view_geometry.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#sections#1";

// Identifiers of the program's windows and controls, as a user's tool would find them.
constexpr int kPanel = 109, kView = 108, kToolbar = 107;
constexpr int kDeviceSection = 100, kPreviewSection = 101, kFilesSection = 102, kColorsSection = 103;
constexpr int kHeader = 100;
constexpr int kOptionsCommand = 3007;
constexpr int kRulerColor = 1000, kLineColor = 1001, kLineWidth = 1002, kTextColor = 1003, kTextSize = 1004,
              kLanguage = 1005, kPhotoFormat = 1016, kFolder = 3001, kBrowse = 3002;

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

LRESULT Query(HWND view, ViewQuery which) {
    return Send(view, UM_VIEW_QUERY, which, 0);
}

std::wstring Text(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

// An edit field's text lives in the control, not in its window title: ask the control.
std::wstring FieldText(HWND edit) {
    wchar_t text[300] = {};
    Send(edit, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text));
    return text;
}

bool Ticked(HWND button) {
    return Send(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// What the user does with the mouse and keyboard, posted as the system would deliver it.
void ClickButton(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}
void Key(HWND control, UINT key) {
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}
void ClickAt(HWND hwnd, int x, int y) {
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

long CameraValue(TestCamInterface iface, long property) {
    TestCamProperty p;
    return TestCam_ReadProperty(kCamera, iface, property, &p) ? p.value : LONG_MIN;
}

std::vector<TestCamSetCall> SetCalls() {
    std::vector<TestCamSetCall> calls = TestCam_ReadSetCalls(kCamera);
    for (TestCamSetCall& call : calls)
        call.result = S_OK;
    return calls;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

bool Near(COLORREF actual, TestRgb expected, int tolerance = 3) {
    return std::abs(GetRValue(actual) - expected.r) <= tolerance &&
           std::abs(GetGValue(actual) - expected.g) <= tolerance &&
           std::abs(GetBValue(actual) - expected.b) <= tolerance;
}

DWORD RegistryDword(const wchar_t* name) {
    DWORD value = 0xDEADBEEF;
    DWORD size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantix", name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::wstring RegistryText(const wchar_t* name) {
    wchar_t text[300] = {};
    DWORD size = sizeof(text);
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantix", name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

// The text of `key` in language `language`, as the program's tables give it.
std::wstring TextIn(int language, std::string_view key) {
    for (const LanguageText& entry : GetLanguageTexts(language)) {
        if (entry.key == key)
            return std::wstring(entry.text);
    }
    return {};
}

struct DialogSearch {
    DWORD processId;
    HWND owner;
    int childId;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    if (pid != search->processId || wcscmp(className, L"#32770") != 0 || !IsWindowVisible(hwnd))
        return TRUE;
    if (search->owner && GetWindow(hwnd, GW_OWNER) != search->owner)
        return TRUE;
    if (search->childId && !GetDlgItem(hwnd, search->childId))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

class Sections : public testing::Test {
protected:
    void TearDown() override {
        if (session_.process.hProcess) {
            EXPECT_EQ(CloseProgram(&session_), 0u);
        }
        TestCam_Unregister(kCamera);
        TestCam_RemoveConfig(kCamera);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantix");
    }

    void RegisterCamera(TestCamConfig config = {}) {
        config.instanceName = kCamera;
        config.friendlyName = L"Sections Scope";
        config.formats = {{kTestCamMjpg, 640, 480, 30}};
        ASSERT_TRUE(TestCam_Register(config));
    }

    // Starts the program and waits for the live picture and the refreshed panel.
    void Start(bool live = true) {
        ASSERT_TRUE(LaunchProgram(&session_));
        main_ = session_.mainWindow;
        view_ = GetDlgItem(main_, kView);
        panel_ = GetDlgItem(main_, kPanel);
        ASSERT_NE(panel_, nullptr);
        preview_ = GetDlgItem(panel_, kPreviewSection);
        colors_ = GetDlgItem(panel_, kColorsSection);
        ASSERT_NE(preview_, nullptr);
        ASSERT_NE(colors_, nullptr);
        if (live) {
            ASSERT_TRUE(WaitFor(
                [&] { return Query(view_, kQueryContentWidth) > 0 && Query(view_, kQueryPaints) > 0; },
                5000));
            // The panel hears of the camera after the view.
            ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(preview_, 102)); }, 3000));
        }
    }

    // Colors starts collapsed: a click on its header opens it.
    void ExpandColors() {
        if (IsWindowVisible(GetDlgItem(colors_, 101)))
            return;
        ClickAt(GetDlgItem(colors_, kHeader), 20, 8);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(colors_, 101)); }, 3000));
    }

    HWND Colors(int id) const { return GetDlgItem(colors_, id); }
    HWND Preview(int id) const { return GetDlgItem(preview_, id); }

    // The Options dialog, opened as the Device section's Setting button opens it.
    HWND OpenOptions() {
        PostMessageW(main_, WM_COMMAND, MAKEWPARAM(kOptionsCommand, 0), 0);
        DialogSearch search = {session_.process.dwProcessId, main_, kLanguage, nullptr};
        WaitFor(
            [&] {
                EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&search));
                return search.found != nullptr;
            },
            5000);
        return search.found;
    }

    void Close(HWND dialog, int button) {
        ClickButton(GetDlgItem(dialog, button));
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    }

    void Choose(HWND dialog, int list, int item) {
        ASSERT_NE(Send(GetDlgItem(dialog, list), CB_SETCURSEL, item, 0), CB_ERR) << list << " " << item;
    }

    int Selected(HWND dialog, int list) {
        return static_cast<int>(Send(GetDlgItem(dialog, list), CB_GETCURSEL, 0, 0));
    }

    // Screen position of content pixel (x, y) of the view at 100 % without scroll bars.
    POINT ScreenOfContent(int contentWidth, int contentHeight, int x, int y) const {
        RECT client = {};
        GetClientRect(view_, &client);
        POINT p = {CentringMargin(client.right, contentWidth) + x,
                   CentringMargin(client.bottom, contentHeight) + y};
        ClientToScreen(view_, &p);
        return p;
    }

    // Checks sample pixels of the live picture against what each specimen pixel should become.
    template <typename Expected> int CountPictureMismatches(Expected expected) {
        const TestRect marker = TestPicture_MarkerRect(640, 480);
        int wrong = 0;
        for (int y = 13; y < 480; y += 37) {
            for (int x = 11; x < 640; x += 53) {
                if (marker.Contains(x, y) || marker.Contains(x, 479 - y) || marker.Contains(x, y - 1))
                    continue;
                const POINT p = ScreenOfContent(640, 480, x, y);
                if (!Near(ScreenPixel(p.x, p.y), expected(x, y)))
                    ++wrong;
            }
        }
        return wrong;
    }

    template <typename Expected> bool PictureBecomes(Expected expected) {
        return WaitFor([&] { return CountPictureMismatches(expected) == 0; }, 3000);
    }

    ProgramSession session_;
    HWND main_ = nullptr, view_ = nullptr, panel_ = nullptr, preview_ = nullptr, colors_ = nullptr;
};

TestRgb Specimen(int x, int y) {
    return TestPicture_SpecimenPixel(640, 480, x, y, 0, 30);
}

uint8_t Luma(TestRgb c) {
    // The frame's bytes are blue, green, red; the first byte weighs 299.
    return static_cast<uint8_t>((c.b * 299 + c.g * 587 + c.r * 114 + 500) / 1000);
}

uint8_t EmbossChannel(int here, int above) {
    return static_cast<uint8_t>(std::clamp(here - above + 128, 0, 255));
}

} // namespace

TEST_F(Sections, ColorsSlidersMoveTheCameraValues) {
    TestCamConfig config;
    config.cameraControl[4] = {true, -13, -1, 1, -6, 3, -6, 1}; // exposure automatic
    RegisterCamera(config);
    Start();
    ExpandColors();
    ASSERT_TRUE(WaitFor([&] { return Text(Colors(104)) == L"Brightness:  0"; }, 3000)) << Text(Colors(104));
    TestCam_ClearSetCalls(kCamera);
    using I = TestCamInterface;

    // Keys on a slider move it as a drag does; every step reaches the camera.
    HWND brightness = Colors(113);
    Key(brightness, VK_END);
    EXPECT_TRUE(WaitFor([&] { return CameraValue(I::VideoProcAmp, 0) == 64; }, 3000));
    EXPECT_EQ(Text(Colors(104)), L"Brightness:  64");
    Key(brightness, VK_LEFT);
    EXPECT_TRUE(WaitFor([&] { return CameraValue(I::VideoProcAmp, 0) == 63; }, 3000));
    Key(brightness, VK_HOME);
    EXPECT_TRUE(WaitFor([&] { return CameraValue(I::VideoProcAmp, 0) == -64; }, 3000));
    EXPECT_EQ(Text(Colors(104)), L"Brightness:  -64");
    // One Set a step: the end of each move (its key going up) sends nothing more.
    EXPECT_EQ(SetCalls(),
              (std::vector<TestCamSetCall>{
                  {I::VideoProcAmp, 0, 64, 2}, {I::VideoProcAmp, 0, 63, 2}, {I::VideoProcAmp, 0, -64, 2}}));

    // Exposure is automatic: its box ticked, its slider disabled.
    HWND exposure = Colors(110);
    EXPECT_TRUE(Ticked(Colors(119)));
    EXPECT_FALSE(IsWindowEnabled(exposure));
    EXPECT_EQ(Text(Colors(101)), L"Exposure:");
    // Auto off sends the default exposure as a manual value; -13..-1 run 0..12 on the slider.
    TestCam_ClearSetCalls(kCamera);
    ClickButton(Colors(119));
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(exposure); }, 3000));
    EXPECT_EQ(SetCalls(), (std::vector<TestCamSetCall>{{I::CameraControl, 4, -6, 2}}));
    EXPECT_EQ(Text(Colors(101)), L"Exposure:  -6");
    EXPECT_EQ(Send(exposure, TBM_GETRANGEMAX, 0, 0), 12);
    EXPECT_EQ(Send(exposure, TBM_GETPOS, 0, 0), 7);
    Key(exposure, VK_HOME);
    EXPECT_TRUE(WaitFor([&] { return CameraValue(I::CameraControl, 4) == -13; }, 3000));
    EXPECT_EQ(Send(exposure, TBM_GETPOS, 0, 0), 0);
    Key(exposure, VK_END);
    EXPECT_TRUE(WaitFor([&] { return CameraValue(I::CameraControl, 4) == -1; }, 3000));
    EXPECT_EQ(Send(exposure, TBM_GETPOS, 0, 0), 12);
    EXPECT_EQ(Text(Colors(101)), L"Exposure:  -1");

    // White balance starts automatic: off gives its default and its slider, on takes them away.
    HWND whiteBalance = Colors(111);
    EXPECT_TRUE(Ticked(Colors(120)));
    EXPECT_FALSE(IsWindowEnabled(whiteBalance));
    TestCam_ClearSetCalls(kCamera);
    ClickButton(Colors(120));
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(whiteBalance); }, 3000));
    EXPECT_EQ(Text(Colors(102)), L"White balance:  4600");
    ClickButton(Colors(120));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowEnabled(whiteBalance); }, 3000));
    EXPECT_EQ(SetCalls(),
              (std::vector<TestCamSetCall>{{I::VideoProcAmp, 7, 4600, 2}, {I::VideoProcAmp, 7, 0, 1}}));

    // Default: the seven picture controls go back; exposure, white balance and the boxes stay,
    // and an automatic white balance keeps its slider disabled.
    Key(Colors(112), VK_END); // gain 100
    ASSERT_TRUE(WaitFor([&] { return CameraValue(I::VideoProcAmp, 9) == 100; }, 3000));
    TestCam_ClearSetCalls(kCamera);
    ClickButton(Colors(123));
    ASSERT_TRUE(WaitFor([&] { return SetCalls().size() == 7u; }, 3000));
    EXPECT_EQ(SetCalls(), (std::vector<TestCamSetCall>{{I::VideoProcAmp, 9, 0, 2},
                                                       {I::VideoProcAmp, 0, 0, 2},
                                                       {I::VideoProcAmp, 1, 50, 2},
                                                       {I::VideoProcAmp, 2, 0, 2},
                                                       {I::VideoProcAmp, 3, 64, 2},
                                                       {I::VideoProcAmp, 4, 2, 2},
                                                       {I::VideoProcAmp, 5, 100, 2}}));
    EXPECT_TRUE(WaitFor([&] { return Text(Colors(104)) == L"Brightness:  0"; }, 3000));
    EXPECT_EQ(CameraValue(I::CameraControl, 4), -1);
    EXPECT_FALSE(Ticked(Colors(119)));
    EXPECT_TRUE(Ticked(Colors(120)));
    EXPECT_TRUE(IsWindowEnabled(exposure));
    EXPECT_FALSE(IsWindowEnabled(whiteBalance));

    // The power-line list: down to 60 Hz sets 2.
    TestCam_ClearSetCalls(kCamera);
    Key(Colors(122), VK_DOWN);
    EXPECT_TRUE(WaitFor([&] { return CameraValue(I::VideoProcAmp, 13) == 2; }, 3000));
    EXPECT_EQ(SetCalls(), (std::vector<TestCamSetCall>{{I::VideoProcAmp, 13, 2, 2}}));
    SaveScreenshot(L"sections_colors.bmp");
}

TEST_F(Sections, PreviewZoomsSelectsDragAndChangesThePicture) {
    RegisterCamera();
    Start();
    HWND slider = Preview(102);
    EXPECT_EQ(Text(Preview(101)), L"100%");
    EXPECT_TRUE(Ticked(Preview(103)));

    // A drawing tool first: moving the slider zooms and makes Drag the tool.
    HWND line = GetDlgItem(GetDlgItem(main_, kToolbar), 3021);
    ASSERT_NE(line, nullptr);
    ClickAt(line, 20, 20);
    PostMessageW(line, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
    ASSERT_TRUE(WaitFor([&] { return Query(view_, kQueryTool) == 1; }, 3000));
    Key(slider, VK_END);
    EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryZoom) == 200; }, 3000));
    EXPECT_EQ(Query(view_, kQueryTool), 0);
    EXPECT_EQ(Text(Preview(101)), L"200%");
    EXPECT_FALSE(Ticked(Preview(103)));
    Key(slider, VK_HOME);
    EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryZoom) == 50; }, 3000));
    EXPECT_EQ(Text(Preview(101)), L"50%");
    // The "100%" box returns to 1:1; unticking it by hand leaves the zoom as it is.
    ClickButton(Preview(103));
    EXPECT_TRUE(WaitFor([&] { return Query(view_, kQueryZoom) == 100; }, 3000));
    EXPECT_EQ(Send(slider, TBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(Text(Preview(101)), L"100%");
    ClickButton(Preview(103));
    EXPECT_TRUE(WaitFor([&] { return !Ticked(Preview(103)); }, 3000));
    EXPECT_EQ(Query(view_, kQueryZoom), 100);
    // Whatever resets the zoom resets the read-out, the slider and the box with it: the crosshair
    // (on, then off again) and choosing a tool.
    HWND toolbar = GetDlgItem(main_, kToolbar);
    for (const int button : {IDC_TOOL_CROSSHAIR, IDC_TOOL_CROSSHAIR, IDC_TOOL_LINE}) {
        SCOPED_TRACE(button);
        Key(slider, VK_END);
        ASSERT_TRUE(WaitFor([&] { return Text(Preview(101)) == L"200%"; }, 3000));
        ClickAt(GetDlgItem(toolbar, button), 20, 20);
        PostMessageW(GetDlgItem(toolbar, button), WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
        EXPECT_TRUE(WaitFor([&] { return Text(Preview(101)) == L"100%"; }, 3000));
        EXPECT_EQ(Query(view_, kQueryZoom), 100);
        EXPECT_EQ(Send(slider, TBM_GETPOS, 0, 0), 100);
        EXPECT_TRUE(Ticked(Preview(103)));
    }
    Sleep(300);
    ASSERT_EQ(CountPictureMismatches(Specimen), 0);

    // Each effect changes the picture; ticking one unticks the others.
    ClickButton(Preview(106));
    EXPECT_TRUE(PictureBecomes([](int x, int y) {
        const uint8_t v = Luma(Specimen(x, y));
        return TestRgb{v, v, v};
    }));
    SaveScreenshot(L"preview_gray.bmp");
    ClickButton(Preview(108));
    EXPECT_TRUE(PictureBecomes([](int x, int y) {
        const TestRgb c = Specimen(x, y);
        return TestRgb{static_cast<uint8_t>(255 - c.r), static_cast<uint8_t>(255 - c.g),
                       static_cast<uint8_t>(255 - c.b)};
    }));
    EXPECT_FALSE(Ticked(Preview(106)));
    ClickButton(Preview(107));
    EXPECT_TRUE(PictureBecomes([](int x, int y) {
        const uint8_t v = Luma(Specimen(x, y)) < 128 ? 0 : 255;
        return TestRgb{v, v, v};
    }));
    EXPECT_FALSE(Ticked(Preview(108)));
    ClickButton(Preview(109));
    EXPECT_TRUE(PictureBecomes([](int x, int y) {
        // Each row less the row above it, around the middle gray.
        const TestRgb here = Specimen(x, y), above = Specimen(x, y - 1);
        return TestRgb{EmbossChannel(here.r, above.r), EmbossChannel(here.g, above.g),
                       EmbossChannel(here.b, above.b)};
    }));
    EXPECT_FALSE(Ticked(Preview(107)));
    SaveScreenshot(L"preview_emboss.bmp");
    // Unticking the effect gives the plain picture back.
    ClickButton(Preview(109));
    EXPECT_TRUE(PictureBecomes(Specimen));

    // Flip vert turns the picture upside down, and back.
    ClickButton(Preview(105));
    EXPECT_TRUE(PictureBecomes([](int x, int y) { return Specimen(x, 479 - y); }));
    EXPECT_TRUE(Ticked(Preview(105)));
    SaveScreenshot(L"preview_flipped.bmp");
    ClickButton(Preview(105));
    EXPECT_TRUE(PictureBecomes(Specimen));
    // Flip horz mirrors it.
    ClickButton(Preview(104));
    EXPECT_TRUE(PictureBecomes([](int x, int y) { return Specimen(639 - x, y); }));
}

TEST_F(Sections, OptionsPersistAcrossRuns) {
    RegisterCamera();
    Start(); // the opened camera saves the settings, the save folder among them
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog), L"Setting");
    // First start: every colour lime, width 1, size 14, JPG, English.
    EXPECT_EQ(Selected(dialog, kRulerColor), 3);
    EXPECT_EQ(Selected(dialog, kLineColor), 3);
    EXPECT_EQ(Selected(dialog, kTextSize), 6);
    EXPECT_EQ(Selected(dialog, kLanguage), 0);
    const std::wstring firstFolder = FieldText(GetDlgItem(dialog, kFolder));
    EXPECT_NE(firstFolder.find(L"Vantix Files"), std::wstring::npos);

    // The folder browser: a choice goes into the field only, and Cancel drops it.
    ClickButton(GetDlgItem(dialog, kBrowse));
    DialogSearch search = {session_.process.dwProcessId, dialog, 0, nullptr};
    ASSERT_TRUE(WaitFor(
        [&] {
            EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        5000));
    Sleep(500); // let it fill its tree
    SaveScreenshot(L"options_browse.bmp");
    PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(search.found); }, 5000));
    Close(dialog, IDCANCEL);
    EXPECT_EQ(RegistryText(L"ImgDir"), firstFolder);

    // Everything changed and OK: kept in the registry at once.
    dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    Choose(dialog, kRulerColor, 9);
    Choose(dialog, kLineColor, 1);
    Choose(dialog, kTextColor, 6);
    Choose(dialog, kLineWidth, 1);
    Choose(dialog, kTextSize, 12);
    Choose(dialog, kPhotoFormat, 1);
    Choose(dialog, kLanguage, 2);
    const std::wstring folder = L"C:\\Vantix E2E\\Shots";
    Send(GetDlgItem(dialog, kFolder), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    SaveScreenshot(L"options_en.bmp");
    Close(dialog, IDOK);
    EXPECT_EQ(RegistryDword(L"GridColor"), 0xFFFF00u);
    EXPECT_EQ(RegistryDword(L"LineColor"), 0x0000FFu);
    EXPECT_EQ(RegistryDword(L"TextColor"), 0x800080u);
    EXPECT_EQ(RegistryDword(L"LineWidth"), 2u);
    EXPECT_EQ(RegistryDword(L"TextSize"), 20u);
    EXPECT_EQ(RegistryDword(L"jpgPng"), 1u);
    EXPECT_EQ(RegistryDword(L"Language"), 2u);
    EXPECT_EQ(RegistryText(L"ImgDir"), folder);
    EXPECT_NE(GetFileAttributesW(L"C:\\Vantix E2E\\Shots\\Thumbnails"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(WaitFor([&] { return Text(GetDlgItem(preview_, kHeader)) == TextIn(2, "preview"); }, 3000));

    // The next run starts with them.
    EXPECT_EQ(CloseProgram(&session_), 0u);
    Start(false);
    EXPECT_EQ(Text(GetDlgItem(preview_, kHeader)), TextIn(2, "preview"));
    EXPECT_EQ(Text(Preview(106)), TextIn(2, "gray"));
    dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog), TextIn(2, "setting"));
    EXPECT_EQ(Selected(dialog, kRulerColor), 9);
    EXPECT_EQ(Selected(dialog, kLineColor), 1);
    EXPECT_EQ(Selected(dialog, kTextColor), 6);
    EXPECT_EQ(Selected(dialog, kLineWidth), 1);
    EXPECT_EQ(Selected(dialog, kTextSize), 12);
    EXPECT_EQ(Selected(dialog, kPhotoFormat), 1);
    EXPECT_EQ(Selected(dialog, kLanguage), 2);
    EXPECT_EQ(FieldText(GetDlgItem(dialog, kFolder)), folder);
    Close(dialog, IDCANCEL);
}

TEST_F(Sections, EveryLanguageRelabelsEveryWindowWithoutRestarting) {
    RegisterCamera();
    Start();
    ExpandColors();
    struct Labelled {
        HWND window;
        std::string_view key;
        bool prefix; // a row label: the name, then its value
    };
    HWND device = GetDlgItem(panel_, kDeviceSection);
    HWND files = GetDlgItem(panel_, kFilesSection);
    const std::vector<Labelled> labelled = {
        {GetDlgItem(device, kHeader), "device", false},
        {GetDlgItem(preview_, kHeader), "preview", false},
        {GetDlgItem(colors_, kHeader), "color", false},
        {GetDlgItem(files, kHeader), "files", false},
        {GetDlgItem(device, 101), "name", false},
        {GetDlgItem(device, 103), "resolution", false},
        {GetDlgItem(device, 105), "format", false},
        {GetDlgItem(device, 107), "photo", false},
        {GetDlgItem(device, 108), "video", false},
        {GetDlgItem(device, 109), "files", false},
        {GetDlgItem(device, 110), "setting", false},
        {Preview(104), "flip horz", false},
        {Preview(105), "flip vert", false},
        {Preview(106), "gray", false},
        {Preview(107), "binary", false},
        {Preview(108), "invert", false},
        {Preview(109), "emboss", false},
        {Colors(101), "exposure", true},
        {Colors(102), "white balance", true},
        {Colors(103), "gain", true},
        {Colors(104), "brightness", true},
        {Colors(105), "contrast", true},
        {Colors(106), "hue", true},
        {Colors(107), "saturation", true},
        {Colors(108), "sharpness", true},
        {Colors(109), "gamma", true},
        {Colors(119), "auto", false},
        {Colors(120), "auto", false},
        {Colors(121), "frequence", false},
        {Colors(123), "default", false},
    };
    const struct {
        int language;
        const wchar_t* screenshot;
    } order[] = {{1, L"sections_zh.bmp"},
                 {2, nullptr},
                 {3, nullptr},
                 {4, nullptr},
                 {5, L"sections_ja.bmp"},
                 {6, L"sections_ko.bmp"},
                 {7, L"sections_ru.bmp"},
                 {8, nullptr},
                 {9, nullptr},
                 {0, L"sections_en.bmp"}};
    for (const auto& step : order) {
        SCOPED_TRACE(testing::Message() << "language " << step.language);
        HWND dialog = OpenOptions();
        ASSERT_NE(dialog, nullptr);
        Choose(dialog, kLanguage, step.language);
        Close(dialog, IDOK);
        for (const Labelled& l : labelled) {
            ASSERT_NE(l.window, nullptr) << l.key;
            const std::wstring expected = TextIn(step.language, l.key);
            ASSERT_FALSE(expected.empty());
            EXPECT_TRUE(WaitFor(
                [&] {
                    const std::wstring text = Text(l.window);
                    return l.prefix ? text.rfind(expected + L"  ", 0) == 0 || text == expected
                                    : text == expected;
                },
                3000))
                << l.key << ": \"" << testing::PrintToString(Text(l.window)) << "\"";
        }
        EXPECT_EQ(RegistryDword(L"Language"), static_cast<DWORD>(step.language));
        if (step.screenshot) {
            Sleep(400);
            SaveScreenshot(step.screenshot);
            // The Options dialog in the new language too.
            dialog = OpenOptions();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(Text(dialog), TextIn(step.language, "setting"));
            Sleep(300);
            const std::wstring name = L"options_" + std::wstring(step.screenshot).substr(9);
            SaveScreenshot(name.c_str());
            Close(dialog, IDCANCEL);
        }
    }
}
