// Every text the program shows fits the control that shows it, in each of the ten languages, at the
// display scale the test runs at. The real main window (with the virtual camera open) and every
// dialog are opened in-process; each static, button, check box, list and combo item is measured in
// the control's own font with DrawTextW and the control's wrap style and compared with the room the
// control gives it. Texts a control shows only in some states (the record dialog's status lines, the
// clock of a long recording) are measured in the same control.
//
//   text_fit_test [--dpi=N] [gtest options]
// --dpi names the display scale the run is expected at (tools/wine-exec sets it in the prefix
// before the process starts, from VANTIX_WINE_DPI).
#include "tests/support/dialogs.h"
#include "tests/wine/main_window_fixture.h"
#include "panels/panel_messages.h"
#include "base/gdi_holders.h"
#include "app/main_layout.h"
#include "measure/calibration.h"
#include "panels/calibration_dialogs.h"
#include "panels/text_input_dialog.h"
#include "output/record_clock.h"
#include "output/record_dialog.h"
#include "panels/about_dialog.h"
#include "panels/device_section_layout.h"
#include "panels/open_device_dialog.h"
#include "panels/panel_layout.h"
#include "resources/calibration_ids.h"
#include "resources/dialogs_device_ids.h"
#include "resources/dialogs_record_ids.h"
#include "testcam/testcam_control.h"
#include "panels/options_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#textfit#0";
constexpr int kNoLimit = INT_MAX / 2; // a room with no height limit
int g_dpi = 96;

int Px(int at96) {
    return MulDiv(at96, g_dpi, 96);
}

HFONT FontOf(HWND window) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

// The icon a push button shows beside its text, with the gap after it.
int ButtonImageWidth(HWND button) {
    const auto icon = reinterpret_cast<HICON>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0));
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return 0;
    BITMAP bm = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bm.bmWidth + Px(2);
}

bool IsClass(HWND control, const wchar_t* name) {
    return _wcsicmp(WindowClass(control).c_str(), name) == 0;
}

// How a control lays out its texts: the DrawTextW format and the room it leaves. False for the
// controls that show none (edits, sliders, pictures, lists that draw their own items...).
bool BoxOf(HWND control, UINT* format, SIZE* room) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const SIZE client = ClientSize(control);
    *room = client;
    if (IsClass(control, L"Static")) {
        const LONG type = style & SS_TYPEMASK;
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP)
            *format = DT_SINGLELINE | DT_EXPANDTABS | prefix;
        else if (type > SS_RIGHT) // icons, bitmaps, frames...
            return false;
        else if (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS | SS_WORDELLIPSIS | SS_CENTERIMAGE))
            *format = DT_SINGLELINE | prefix; // ellipsis and centred-image statics show one line
        else
            *format = DT_WORDBREAK | DT_EXPANDTABS | prefix;
        return true;
    }
    if (IsClass(control, L"Button")) {
        *format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) // the raised border, and the image
            *room = {client.cx - 2 * Px(3) - ButtonImageWidth(control), client.cy - 2 * Px(2)};
        else if (type == BS_GROUPBOX)
            *room = {client.cx - 2 * Px(8), kNoLimit};
        else if (type >= BS_CHECKBOX && type <= BS_AUTORADIOBUTTON) // the box and the gap after it
            room->cx = client.cx - Px(13) - Px(4);
        else
            return false;
        return true;
    }
    const bool combo = IsClass(control, L"ComboBox");
    if (combo || IsClass(control, L"ListBox")) {
        // Owner-drawn without strings: colour swatches, the Files section's names.
        static_assert(CBS_OWNERDRAWFIXED == LBS_OWNERDRAWFIXED &&
                      CBS_OWNERDRAWVARIABLE == LBS_OWNERDRAWVARIABLE);
        if ((style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) &&
            !(style & (combo ? CBS_HASSTRINGS : LBS_HASSTRINGS)))
            return false;
        *format = DT_SINGLELINE | DT_NOPREFIX;
        *room = {client.cx - (combo ? GetSystemMetrics(SM_CXVSCROLL) + Px(6) : Px(4)), kNoLimit};
        return true;
    }
    if (WindowClass(control) == kCtrlPanelHeaderWndClass) { // the title, from its inset to the chevron
        *format = DT_SINGLELINE | DT_NOPREFIX;
        *room = {HeaderChevron(client.cx, client.cy, true).from.x - kHeaderTextX - Px(2), client.cy};
        return true;
    }
    return false;
}

// Collects the texts that do not fit, one line each: language, window, control, text, both sizes.
class FitCheck {
public:
    void SetLanguage(int index) { language_ = Utf8(LanguageListName(index)); }

    // `text` in `font`, laid out with `format` in `room`.
    void Text(const std::string& where, HWND dcWindow, HFONT font, const std::wstring& text, UINT format,
              SIZE room) {
        if (text.empty())
            return;
        ++measured_;
        const WindowDc dc(dcWindow);
        const SelectedObject selected(dc.get(), font);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc.get(), &metrics);
        RECT need = {0, 0, std::max<LONG>(room.cx, 1), 0};
        DrawTextW(dc.get(), text.c_str(), -1, &need, format | DT_CALCRECT);
        // One line always shows, whatever the control's height; a second line needs its room.
        if (need.right <= room.cx && (need.bottom <= room.cy || need.bottom <= metrics.tmHeight))
            return;
        cuts_.push_back(language_ + " / " + where + " \"" + Utf8(text) + "\": needs " +
                        std::to_string(need.right) + " x " + std::to_string(need.bottom) + " px, has " +
                        std::to_string(room.cx) + " x " +
                        (room.cy >= kNoLimit ? std::string("any") : std::to_string(room.cy)));
    }

    // Every text a control shows now (its own text or its items), or only `shown` in it.
    void Control(const std::string& window, HWND control, const std::wstring& shown = {}) {
        UINT format = 0;
        SIZE room = {};
        if (!BoxOf(control, &format, &room))
            return;
        const std::vector<std::wstring> texts = !shown.empty()                  ? std::vector{shown}
                                                : IsClass(control, L"ComboBox") ? ComboItems(control)
                                                : IsClass(control, L"ListBox")
                                                    ? ListItems(control)
                                                    : std::vector{WindowText(control)};
        for (const std::wstring& text : texts)
            Text(Where(window, control), control, FontOf(control), text, format, room);
    }

    // Every visible control inside `top`, and the column headers of its list views.
    void Window(const std::string& window, HWND top) {
        for (HWND child = GetWindow(top, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child))
                continue;
            if (WindowClass(child) == WC_LISTVIEWW) {
                ListViewColumns(window, child);
            } else {
                Control(window, child);
                Window(window, child);
            }
        }
    }

    void ListViewColumns(const std::string& window, HWND list) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        for (int i = 0; i < static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); ++i) {
            wchar_t text[128] = {};
            HDITEMW item = {};
            item.mask = HDI_TEXT | HDI_WIDTH;
            item.pszText = text;
            item.cchTextMax = 128;
            SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            // The header's margins: three edges on either side.
            Text(Where(window, list), header, FontOf(header), text, DT_SINGLELINE | DT_NOPREFIX,
                 {item.cxy - 6 * GetSystemMetrics(SM_CXEDGE), kNoLimit});
        }
    }

    const std::vector<std::string>& cuts() const { return cuts_; }
    int measured() const { return measured_; }

private:
    static std::string Where(const std::string& window, HWND control) {
        return window + " / control " + std::to_string(GetDlgCtrlID(control)) + " (" +
               Utf8(WindowClass(control)) + ")";
    }

    std::string language_;
    std::vector<std::string> cuts_;
    int measured_ = 0;
};

// The texts the record dialog's controls show only in some states.
const std::pair<int, std::vector<std::string_view>> kRecordStateTexts[] = {
    {IDC_REC_STATUS,
     {"rec no camera", "rec busy", "rec no file", "rec no encoder", "rec not started", "rec write fail",
      "rec cam closed", "rec incomplete", "rec no frame"}},
    {IDOK, {"start rec", "stop rec"}},
    {IDC_REC_PAUSE, {"pause rec", "resume rec"}}};
// The clock after the longest time limit (8 h) and beyond.
constexpr int64_t kLongestClockTenths = 10LL * 3600 * 10;

// The language as the Options dialog switches to it, with the panel's sections all expanded.
void ShowLanguage(int index) {
    g_settings.language = index;
    SelectLanguage(index);
    SendMessageW(g_mainWindow.window, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0),
                 0); // to the panel and toolbar
    SetViewTexts(g_mainWindow.cameraView, GetText("no device"), GetText("input tip"));
    Pump(50);
    for (HWND section = GetWindow(g_mainWindow.controlPanel, GW_CHILD); section;
         section = GetWindow(section, GW_HWNDNEXT)) {
        HWND header = GetDlgItem(section, kIdSectionHeader);
        HWND next = header ? GetWindow(header, GW_HWNDNEXT) : nullptr;
        if (next && !IsWindowVisible(next))
            SendMessageW(header, UM_SECTION_EXPAND, 0, 0);
    }
    Pump(100);
}

void CheckMainWindow(FitCheck& check) {
    check.Window("Main window", g_mainWindow.window);
    // The camera list's prompt while no camera is attached.
    check.Control("Device section",
                  GetDlgItem(GetDlgItem(g_mainWindow.controlPanel, kIdDeviceSection), kIdDeviceCombo),
                  GetText("click open"));
    // (The toolbar's tooltips have no width limit: they grow with their text.)

    // The no-device screen's text, from its corner to as far from the view's right edge, at the
    // window's smallest.
    const CameraViewState* view = View();
    ASSERT_NE(view, nullptr);
    const SIZE client = ClientSize(g_mainWindow.cameraView);
    check.Text("No-device screen", g_mainWindow.cameraView, view->noDeviceFont.get(), view->noDeviceText,
               DT_WORDBREAK | DT_NOPREFIX, {client.cx - 44, client.cy - 18});
}

void CheckDialogs(FitCheck& check) {
    const struct {
        const char* name;
        std::function<void()> open;
        std::function<void(HWND)> more; // texts shown in other states
    } modals[] = {
        {"Options", [] { ShowOptionsDialog(g_mainWindow.window); }, nullptr},
        {"About", [] { ShowAboutDialog(g_mainWindow.window); }, nullptr},
        {"Open microscope", [] { RunOpenDeviceDialog(g_mainWindow.window, {}); },
         // What the list shows without a camera.
         [&check](HWND d) {
             check.Control("Open microscope", GetDlgItem(d, IDC_OPEN_DEVICE_LIST), GetText("no microscope"));
         }},
        {"Record",
         [] { ShowRecordDialog(g_mainWindow.window, g_mainWindow.recentFiles, g_mainWindow.controlPanel); },
         [&check](HWND d) {
             for (const auto& [id, keys] : kRecordStateTexts) {
                 for (std::string_view key : keys)
                     check.Control("Record", GetDlgItem(d, id), GetText(key));
             }
             check.Control("Record", GetDlgItem(d, IDC_REC_CLOCK), ClockText(kLongestClockTenths));
         }},
        {"Manage calibrations",
         [] { RunManageCalibrationsDialog(g_mainWindow.window, g_mainWindow.manageCalibrations); }, nullptr},
        {"Calibration help",
         [] {
             DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CALIB_HELP), g_mainWindow.window,
                             CalibrationHelpDlgProc, 0);
         },
         nullptr},
    };
    for (const auto& modal : modals) {
        EXPECT_TRUE(InspectModal(modal.open,
                                 [&](HWND d) {
                                     check.Window(modal.name, d);
                                     if (modal.more)
                                         modal.more(d);
                                 }))
            << modal.name << " did not open";
    }

    // The modeless ones: the calibration dialog as a calibration starts, the note's text input.
    g_calibration.calibrating = 0;
    const struct {
        const char* name;
        HWND (*create)(HWND owner);
    } modeless[] = {{"Calibration", CreateCalibrationDialog}, {"Text input", CreateTextInputDialog}};
    for (const auto& [name, create] : modeless) {
        HWND dialog = create(g_mainWindow.window);
        EXPECT_NE(dialog, nullptr) << name << " did not open";
        ShowWindow(dialog, SW_SHOW);
        check.Window(name, dialog);
        DestroyWindow(dialog);
    }
    g_hCalibrateDlg = g_hTextInputDlg = nullptr;
    g_calibration.calibrating = -1;
    Pump(50);
}

} // namespace

// Each language in turn with the main window at its smallest, so that the view and every
// control have the least room they ever get.
TEST(TextFit, EveryTextFitsInEveryLanguage) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xC31F};
    InitCommonControlsEx(&controls);
    ASSERT_TRUE(OpenMainWindowWithCamera(kCamera, L"Bench Scope",
                                         {{kTestCamMjpg, 1280, 720, 30}, {kTestCamYuy2, 640, 480, 30}}))
        << "the virtual camera did not open";
    SetWindowPos(g_mainWindow.window, nullptr, 0, 0, kMainMinTrackWidth, kMainMinTrackHeight, SWP_NOZORDER);
    Pump(100);
    EXPECT_EQ(GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY), g_dpi);

    FitCheck check;
    for (int language = 0; language < kLanguageCount; ++language) {
        check.SetLanguage(language);
        ShowLanguage(language);
        CheckMainWindow(check);
        CheckDialogs(check);
    }
    // Every window was there to measure: a walk that found nothing would pass anything.
    EXPECT_GT(check.measured(), kLanguageCount * 100);
    for (const std::string& cut : check.cuts())
        ADD_FAILURE() << cut;
    std::printf("%d texts measured at %d DPI, %zu do not fit\n", check.measured(), g_dpi,
                check.cuts().size());
    ShowLanguage(0);
    CloseMainWindowAndCamera(kCamera);
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--dpi=", 6) == 0)
            g_dpi = std::atoi(argv[i] + 6);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
