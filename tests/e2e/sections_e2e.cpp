// The control panel's Colors and Preview sections and the Options dialog of the real program with
// the virtual camera: camera controls read back from the camera, zoom and picture effects seen on
// the screen, options kept in the registry across runs, and the ten languages.
#include "base/string_table.h"
#include "capture/frame_filters.h"
#include "panels/colors_section_model.h"
#include "panels/device_section_layout.h"
#include "panels/panel_layout.h"
#include "panels/preview_section_model.h"
#include "panels/panel_messages.h"
#include "resources/dialogs_options.h"
#include "tests/e2e/e2e_support.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#sections#1";

// The sections' headers.
constexpr int kHeader = 100;

// A key pressed and released, posted as the system would deliver it.
void Key(HWND control, UINT key) {
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

long CameraValue(TestCamInterface iface, long property) {
    TestCamProperty p;
    return TestCam_ReadProperty(kCamera, iface, property, &p) ? p.value : LONG_MIN;
}

// The text of `key` in language `language`, as the program's tables give it.
std::wstring TextIn(int language, std::string_view key) {
    SelectLanguage(language);
    return GetText(key);
}

class Sections : public ProgramTest {
protected:
    void RegisterCamera(TestCamConfig config = {}) {
        config.instanceName = kCamera;
        config.friendlyName = L"Sections Scope";
        config.formats = {{kTestCamMjpg, 640, 480, 30}};
        ASSERT_TRUE(AddCamera(config));
    }

    // Starts the program and waits for the live picture and the refreshed panel.
    void Start(bool live = true) {
        Launch();
        preview_ = GetDlgItem(panel_, kIdPreviewSection);
        colors_ = GetDlgItem(panel_, kIdColorsSection);
        if (live) {
            ASSERT_TRUE(WaitFor([&] { return Live(); }, 5000));
            // The panel hears of the camera after the view.
            ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(preview_, 102)); }, 3000));
        }
    }

    // Colors starts collapsed: a click on its header opens it.
    void ExpandColors() {
        if (IsWindowVisible(GetDlgItem(colors_, 101)))
            return;
        PostClickAndLeave(GetDlgItem(colors_, kHeader), 20, 8);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(colors_, 101)); }, 3000));
    }

    HWND Colors(int id) const { return GetDlgItem(colors_, id); }
    HWND Preview(int id) const { return GetDlgItem(preview_, id); }

    // The Options dialog, opened as the Device section's Setting button opens it.
    HWND OpenOptions() {
        Command(IDC_SETTING);
        return WaitForDialog([&](HWND hwnd) {
            return GetWindow(hwnd, GW_OWNER) == main_ && GetDlgItem(hwnd, IDC_OPT_LANGUAGE);
        });
    }

    void Close(HWND dialog, int button) {
        PostButtonClick(dialog, button);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    }

    void Choose(HWND dialog, int list, int item) {
        ASSERT_NE(SendWithTimeout(GetDlgItem(dialog, list), CB_SETCURSEL, item, 0), CB_ERR)
            << list << " " << item;
    }

    int Selected(HWND dialog, int list) {
        return static_cast<int>(SendWithTimeout(GetDlgItem(dialog, list), CB_GETCURSEL, 0, 0));
    }

    bool PictureBecomes(const std::function<TestRgb(int, int)>& expected) {
        return WaitFor([&] { return PictureMismatches(640, 480, expected) == 0; }, 3000);
    }

    HWND preview_ = nullptr, colors_ = nullptr;
};

TestRgb Specimen(int x, int y) {
    return TestPicture_SpecimenPixel(640, 480, x, y, 0, 30);
}

// The specimen as the camera sends it (bottom-up blue, green, red rows) put through one effect of
// the frame filters, whose arithmetic the unit tests check: here, that each box has its effect.
std::function<TestRgb(int, int)> Effect(void (*filter)(uint8_t*, int, int)) {
    auto frame = std::make_shared<std::vector<uint8_t>>(640 * 480 * 3);
    TestPicture_Render(TestCamPicture::Specimen, 640, 480, frame->data(), 640 * 3, 0, 30);
    filter(frame->data(), 640, 480);
    return [frame](int x, int y) {
        const uint8_t* p = frame->data() + (static_cast<size_t>(479 - y) * 640 + x) * 3;
        return TestRgb{p[2], p[1], p[0]};
    };
}

} // namespace

TEST_F(Sections, OptionsPersistAcrossRuns) {
    RegisterCamera();
    Start(); // the opened camera saves the settings, the save folder among them
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    const std::wstring firstFolder = WindowText(GetDlgItem(dialog, IDC_OPT_FOLDER));
    EXPECT_NE(firstFolder.find(L"Vantix Files"), std::wstring::npos);

    // The folder browser: its choice, a folder that exists, goes into the field only, and Cancel
    // drops it.
    PostButtonClick(dialog, IDC_OPT_BROWSE);
    HWND browser = WaitForDialog([&](HWND hwnd) { return GetWindow(hwnd, GW_OWNER) == dialog; });
    ASSERT_NE(browser, nullptr);
    Sleep(500); // let it fill its tree
    PostMessageW(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(browser); }, 5000));
    const std::wstring browsed = WindowText(GetDlgItem(dialog, IDC_OPT_FOLDER));
    EXPECT_TRUE(FileExists(browsed)) << testing::PrintToString(browsed);
    Close(dialog, IDCANCEL);
    EXPECT_EQ(StoredString(L"ImgDir"), firstFolder);

    // Everything changed and OK: kept in the registry at once.
    const struct {
        int list, item;
        const wchar_t* name;
        DWORD stored;
    } changes[] = {{IDC_OPT_RULER_COLOR, 9, L"GridColor", 0xFFFF00},
                   {IDC_OPT_LINE_COLOR, 1, L"LineColor", 0x0000FF},
                   {IDC_OPT_TEXT_COLOR, 6, L"TextColor", 0x800080},
                   {IDC_OPT_LINE_WIDTH, 1, L"LineWidth", 2},
                   {IDC_OPT_TEXT_SIZE, 12, L"TextSize", 20},
                   {IDC_OPT_PHOTO_FORMAT, 1, L"jpgPng", 1},
                   {IDC_OPT_LANGUAGE, 2, L"Language", 2}};
    dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    for (const auto& c : changes)
        Choose(dialog, c.list, c.item);
    const std::wstring folder = L"C:\\Vantix E2E\\Shots";
    SendWithTimeout(GetDlgItem(dialog, IDC_OPT_FOLDER), WM_SETTEXT, 0,
                    reinterpret_cast<LPARAM>(folder.c_str()));
    Close(dialog, IDOK);
    for (const auto& c : changes)
        EXPECT_EQ(StoredDword(c.name), c.stored) << Utf8(c.name);
    EXPECT_EQ(StoredString(L"ImgDir"), folder);
    EXPECT_TRUE(FileExists(L"C:\\Vantix E2E\\Shots\\Thumbnails"));
    EXPECT_TRUE(
        WaitFor([&] { return WindowText(GetDlgItem(preview_, kHeader)) == TextIn(2, "preview"); }, 3000));

    // The next run starts with them.
    EXPECT_EQ(CloseProgram(&session_), 0u);
    Start(false);
    EXPECT_EQ(WindowText(GetDlgItem(preview_, kHeader)), TextIn(2, "preview"));
    dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    for (const auto& c : changes)
        EXPECT_EQ(Selected(dialog, c.list), c.item) << c.list;
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_OPT_FOLDER)), folder);
    Close(dialog, IDCANCEL);
}

// One start for the Colors and Preview sections' controls, then every language.
TEST_F(Sections, EveryLanguageRelabelsEveryWindowWithoutRestarting) {
    TestCamConfig config;
    config.cameraControl[4] = {true, -13, -1, 1, -6, 3, -6, 1}; // exposure automatic
    RegisterCamera(config);
    Start();
    ExpandColors();
    ASSERT_TRUE(WaitFor([&] { return WindowText(Colors(104)) == L"Brightness:  0"; }, 3000))
        << WindowText(Colors(104));
    TestCam_ClearSetCalls(kCamera);
    using I = TestCamInterface;

    // Keys on a slider move it as a drag does; every step reaches the camera.
    HWND brightness = Colors(113);
    for (const auto& step : {std::pair{VK_END, 64}, {VK_LEFT, 63}, {VK_HOME, -64}}) {
        Key(brightness, step.first);
        EXPECT_TRUE(WaitFor([&] { return CameraValue(I::VideoProcAmp, 0) == step.second; }, 3000))
            << step.second;
        EXPECT_EQ(WindowText(Colors(104)), L"Brightness:  " + std::to_wstring(step.second));
    }
    // One Set a step: the end of each move (its key going up) sends nothing more.
    EXPECT_EQ(SetCalls(kCamera),
              (std::vector<TestCamSetCall>{
                  {I::VideoProcAmp, 0, 64, 2}, {I::VideoProcAmp, 0, 63, 2}, {I::VideoProcAmp, 0, -64, 2}}));

    // Exposure is automatic: its box ticked, its slider disabled.
    HWND exposure = Colors(110);
    EXPECT_TRUE(Ticked(Colors(119)));
    EXPECT_FALSE(IsWindowEnabled(exposure));
    EXPECT_EQ(WindowText(Colors(101)), L"Exposure:");
    // Auto off sends the default exposure as a manual value; -13..-1 run 0..12 on the slider.
    TestCam_ClearSetCalls(kCamera);
    PostButtonClick(Colors(119));
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(exposure); }, 3000));
    EXPECT_EQ(SetCalls(kCamera), (std::vector<TestCamSetCall>{{I::CameraControl, 4, -6, 2}}));
    EXPECT_EQ(WindowText(Colors(101)), L"Exposure:  -6");
    EXPECT_EQ(SendWithTimeout(exposure, TBM_GETRANGEMAX, 0, 0), 12);
    EXPECT_EQ(SendWithTimeout(exposure, TBM_GETPOS, 0, 0), 7);
    Key(exposure, VK_HOME);
    EXPECT_TRUE(WaitFor([&] { return CameraValue(I::CameraControl, 4) == -13; }, 3000));
    EXPECT_EQ(WindowText(Colors(101)), L"Exposure:  -13");

    // White balance starts automatic: off gives its default and its slider, on takes them away.
    HWND whiteBalance = Colors(111);
    EXPECT_TRUE(Ticked(Colors(120)));
    TestCam_ClearSetCalls(kCamera);
    PostButtonClick(Colors(120));
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(whiteBalance); }, 3000));
    EXPECT_EQ(WindowText(Colors(102)), L"White balance:  4600");
    PostButtonClick(Colors(120));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowEnabled(whiteBalance); }, 3000));
    EXPECT_EQ(SetCalls(kCamera),
              (std::vector<TestCamSetCall>{{I::VideoProcAmp, 7, 4600, 2}, {I::VideoProcAmp, 7, 0, 1}}));

    // Default: the seven picture controls go back to the defaults the camera reports, one manual
    // Set each and nothing else; exposure and white balance stay as they were.
    Key(Colors(112), VK_END); // gain 100
    ASSERT_TRUE(WaitFor([&] { return CameraValue(I::VideoProcAmp, 9) == 100; }, 3000));
    TestCam_ClearSetCalls(kCamera);
    PostButtonClick(Colors(123));
    // Waiting for at least seven lets the comparison below show any stray one.
    ASSERT_TRUE(WaitFor([&] { return SetCalls(kCamera).size() >= 7u; }, 5000));
    std::vector<TestCamSetCall> defaults;
    for (long property : {9, 0, 1, 2, 3, 4, 5}) { // gain, then brightness to gamma as listed
        TestCamProperty p;
        ASSERT_TRUE(TestCam_ReadProperty(kCamera, I::VideoProcAmp, property, &p));
        defaults.push_back({I::VideoProcAmp, property, p.defaultValue, 2});
    }
    EXPECT_EQ(SetCalls(kCamera), defaults);
    EXPECT_TRUE(WaitFor([&] { return WindowText(Colors(104)) == L"Brightness:  0"; }, 3000));
    EXPECT_EQ(CameraValue(I::CameraControl, 4), -13);
    EXPECT_TRUE(Ticked(Colors(120)));

    // The power-line list: down to 60 Hz sets 2.
    TestCam_ClearSetCalls(kCamera);
    Key(Colors(122), VK_DOWN);
    EXPECT_TRUE(WaitFor([&] { return CameraValue(I::VideoProcAmp, 13) == 2; }, 3000));
    EXPECT_EQ(SetCalls(kCamera), (std::vector<TestCamSetCall>{{I::VideoProcAmp, 13, 2, 2}}));

    // Preview: zoom, the tool it selects, and the picture's effects (the camera's picture does not
    // depend on its control values).
    HWND slider = Preview(102);
    EXPECT_EQ(WindowText(Preview(101)), L"100%");
    EXPECT_TRUE(Ticked(Preview(103)));

    // A drawing tool first: moving the slider zooms and makes Drag the tool.
    ClickTool(IDC_TOOL_LINE);
    ASSERT_TRUE(WaitFor([&] { return Query(kQueryTool) == 1; }, 3000));
    Key(slider, VK_END);
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryZoom) == 200; }, 3000));
    EXPECT_EQ(Query(kQueryTool), 0);
    EXPECT_FALSE(Ticked(Preview(103)));
    Key(slider, VK_HOME);
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryZoom) == 50; }, 3000));
    // The "100%" box returns to 1:1; unticking it by hand leaves the zoom as it is.
    PostButtonClick(Preview(103));
    EXPECT_TRUE(WaitFor([&] { return Query(kQueryZoom) == 100; }, 3000));
    PostButtonClick(Preview(103));
    EXPECT_TRUE(WaitFor([&] { return !Ticked(Preview(103)); }, 3000));
    EXPECT_EQ(Query(kQueryZoom), 100);
    // Whatever resets the zoom resets the read-out, the slider and the box with it: the crosshair
    // (on, then off again) and choosing a tool.
    for (const int button : {IDC_TOOL_CROSSHAIR, IDC_TOOL_CROSSHAIR, IDC_TOOL_LINE}) {
        SCOPED_TRACE(button);
        Key(slider, VK_END);
        ASSERT_TRUE(WaitFor([&] { return WindowText(Preview(101)) == L"200%"; }, 3000));
        ClickTool(button);
        EXPECT_TRUE(WaitFor([&] { return WindowText(Preview(101)) == L"100%"; }, 3000));
        EXPECT_EQ(SendWithTimeout(slider, TBM_GETPOS, 0, 0), 100);
    }
    Sleep(300);
    ASSERT_EQ(PictureMismatches(640, 480, Specimen), 0);

    // Each effect changes the picture; ticking one unticks the others.
    const struct {
        int box;
        void (*filter)(uint8_t*, int, int);
    } effects[] = {{kGrayBoxId, GrayFrame},
                   {kInvertBoxId, InvertFrame},
                   {kBinaryBoxId, BinaryFrame},
                   {kEmbossBoxId, EmbossFrame}};
    for (size_t i = 0; i < std::size(effects); ++i) {
        SCOPED_TRACE(effects[i].box);
        PostButtonClick(Preview(effects[i].box));
        EXPECT_TRUE(PictureBecomes(Effect(effects[i].filter)));
        if (i > 0) {
            EXPECT_FALSE(Ticked(Preview(effects[i - 1].box)));
        }
    }
    // Unticking the effect gives the plain picture back.
    PostButtonClick(Preview(109));
    EXPECT_TRUE(PictureBecomes(Specimen));

    // Flip vert turns the picture upside down, and back.
    PostButtonClick(Preview(105));
    EXPECT_TRUE(PictureBecomes([](int x, int y) { return Specimen(x, 479 - y); }));
    PostButtonClick(Preview(105));
    EXPECT_TRUE(PictureBecomes(Specimen));
    // Flip horz mirrors it.
    PostButtonClick(Preview(104));
    EXPECT_TRUE(PictureBecomes([](int x, int y) { return Specimen(639 - x, y); }));

    // Every language, on the same start. The Device section's labels and buttons are relabelled by
    // one loop each: their first entry stands for the rest.
    struct Labelled {
        HWND window;
        std::string_view key;
        bool prefix; // a row label: the name, then its value
    };
    HWND device = GetDlgItem(panel_, kIdDeviceSection);
    HWND files = GetDlgItem(panel_, kIdFilesSection);
    std::vector<Labelled> labelled = {
        {GetDlgItem(device, kHeader), "device", false},
        {GetDlgItem(preview_, kHeader), "preview", false},
        {GetDlgItem(colors_, kHeader), "color", false},
        {GetDlgItem(files, kHeader), "files", false},
        {GetDlgItem(device, kIdNameLabel), "name", false},
        {GetDlgItem(device, kIdPhotoButton), "photo", false},
        {Colors(kExposureAutoId), "auto", false},
        {Colors(kWhiteBalanceAutoId), "auto", false},
        {Colors(kFrequencyLabelId), "frequence", false},
        {Colors(kDefaultButtonId), "default", false},
    };
    for (const FilterBox& box : kFilterBoxes)
        labelled.push_back({Preview(box.id), box.key, false});
    for (const ColorRow& row : kColorRows)
        labelled.push_back({Colors(row.labelId), ColorTextKey(row.textId), true});
    int shown = 0; // the language the Options dialog opens in
    for (const int language : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0}) {
        SCOPED_TRACE(testing::Message() << "language " << language);
        HWND dialog = OpenOptions();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(WindowText(dialog), TextIn(shown, "setting"));
        shown = language;
        Choose(dialog, IDC_OPT_LANGUAGE, language);
        Close(dialog, IDOK);
        for (const Labelled& l : labelled) {
            const std::wstring expected = TextIn(language, l.key);
            ASSERT_FALSE(expected.empty());
            EXPECT_TRUE(WaitFor(
                [&] {
                    const std::wstring text = WindowText(l.window);
                    return l.prefix ? text.rfind(expected + L"  ", 0) == 0 || text == expected
                                    : text == expected;
                },
                3000))
                << l.key << ": \"" << testing::PrintToString(WindowText(l.window)) << "\"";
        }
        EXPECT_EQ(StoredDword(L"Language"), static_cast<DWORD>(language));
        SaveScreenshot((L"sections_" + std::to_wstring(language) + L".bmp").c_str());
    }
}
