// The Preview and Colors sections without a camera, and the Options and About dialogs, in-process
// under Wine over the main window as the program makes it: the real common controls, the panel's
// own sections and the camera view. (The sections' layout and expand protocol, and the Colors
// section of a camera without camera control, are control_panel_test's.)
#include "tests/support/canvas.h"
#include "tests/support/dialogs.h"
#include "tests/support/file_bytes.h"
#include "tests/wine/main_window_fixture.h"
#include "capture/capture_session.h"
#include "view/view_messages.h"
#include "app/main_window.h"
#include "panels/about_dialog.h"
#include "panels/colors_section_model.h"
#include "panels/options_dialog.h"
#include "panels/panel_layout.h"
#include "panels/preview_section_model.h"
#include "resources/dialogs_options.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

// A slider dragged to `position`: the thumb moves, then the parent hears of it.
void DragSlider(HWND slider, int position) {
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
    SendMessageW(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                 reinterpret_cast<LPARAM>(slider));
}

// The identifiers of the commands the main window got, oldest first.
std::vector<int> MainCommandIds() {
    std::vector<int> ids;
    for (const auto& command : g_mainCommands)
        ids.push_back(LOWORD(command.first));
    return ids;
}

class SectionsTest : public MainWindowSuite {};

TEST_F(SectionsTest, WithoutACameraTheSectionsShowNamesOnlyAndChangeNothing) {
    HWND section = GetDlgItem(g_mainWindow.controlPanel, kIdColorsSection);
    auto item = [&section](int id) { return GetDlgItem(section, id); };
    SendMessageW(section, UM_PANEL_REFRESH, kRefreshCamera, 0);
    for (const ColorRow& row : kColorRows) {
        EXPECT_EQ(WindowText(item(row.labelId)), GetText(ColorTextKey(row.textId)));
        EXPECT_FALSE(IsWindowEnabled(item(row.labelId)));
        EXPECT_FALSE(IsWindowEnabled(item(row.sliderId)));
    }
    for (int id : {kExposureAutoId, kWhiteBalanceAutoId, kDefaultButtonId, kFrequencyListId})
        EXPECT_FALSE(IsWindowEnabled(item(id))) << id;
    EXPECT_EQ(ComboItems(item(kFrequencyListId)), std::vector<std::wstring>{L"N/A"});

    // Messages from disabled controls (or a stray scroll) leave the zeroed records alone.
    DragSlider(item(113), 5);
    SendMessageW(section, WM_COMMAND, MAKEWPARAM(kDefaultButtonId, BN_CLICKED), 0);
    EXPECT_EQ(g_capture.graph.properties, CameraProperties{});

    section = GetDlgItem(g_mainWindow.controlPanel, kIdPreviewSection);
    // Any refresh shows 100 % and disables everything but the read-out.
    SendMessageW(item(kZoomSliderId), TBM_SETPOS, TRUE, 150);
    SendMessageW(section, UM_PANEL_REFRESH, kRefreshDevices, 0);
    EXPECT_EQ(WindowText(item(kZoomReadoutId)), L"100%");
    EXPECT_EQ(SendMessageW(item(kZoomSliderId), TBM_GETPOS, 0, 0), 100);
    EXPECT_TRUE(Ticked(item(kZoom100BoxId)));
    for (int id = kZoomSliderId; id <= kEmbossBoxId; ++id)
        EXPECT_FALSE(IsWindowEnabled(item(id))) << id;
    EXPECT_TRUE(IsWindowEnabled(item(kZoomReadoutId)));
}

// The Options dialog as the main window runs it, but modeless so the test can drive it.
HWND OpenOptions(HWND owner) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), owner,
                                     OptionsDlgProc, 0);
    EXPECT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    return dialog;
}

// The middle of a colour list's item as the dialog draws it on white; CLR_INVALID when it says
// it drew but left no light gray frame.
COLORREF SwatchPixel(HWND dialog, int listId, unsigned item, UINT state, BOOL* answer) {
    const Canvas canvas(40, 20, RGB(255, 255, 255));
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_COMBOBOX;
    draw.CtlID = listId;
    draw.itemID = item;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hwndItem = GetDlgItem(dialog, listId);
    draw.hDC = canvas.dc();
    draw.rcItem = {0, 0, 40, 20};
    *answer = static_cast<BOOL>(SendMessageW(dialog, WM_DRAWITEM, listId, reinterpret_cast<LPARAM>(&draw)));
    const COLORREF inside = canvas.At(20, 10);
    return *answer ? (canvas.At(0, 0) == RGB(192, 192, 192) ? inside : CLR_INVALID) : inside;
}

} // namespace

// What the program's own run checks end to end (every value kept in the registry, Cancel, the
// browser) is left to the end-to-end test; here: what the dialog shows, draws and sends.
TEST_F(SectionsTest, OptionsShowTheSettingsAndOkAppliesThem) {
    g_settings = KeyUnavailableSettings();
    g_settings.gridColor = 0xFF0000;
    g_settings.lineColor = 0x123456; // outside the palette: the lime swatch
    g_settings.language = 0;
    g_settings.saveFolder = L"C:\\Vantix Old";
    HWND dialog = OpenOptions(g_mainWindow.window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsPlacedOverOwner(dialog, g_mainWindow.window));

    // What each list shows for the stored settings is seen end to end; here the lists' contents.
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_OPT_RULER_COLOR, CB_GETCOUNT, 0, 0), 12);
    // Each language under its own name.
    const std::vector<std::wstring> languages = ComboItems(GetDlgItem(dialog, IDC_OPT_LANGUAGE));
    EXPECT_EQ(languages.size(), 10u);
    EXPECT_EQ(std::set<std::wstring>(languages.begin(), languages.end()).size(), 10u);
    EXPECT_TRUE(
        std::none_of(languages.begin(), languages.end(), [](auto& name) { return name.size() <= 1; }));
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_OPT_FOLDER, EM_GETLIMITTEXT, 0, 0), 259);

    // Swatches: the palette colour framed in light gray; past the palette nothing is drawn.
    BOOL answer = FALSE;
    EXPECT_EQ(SwatchPixel(dialog, IDC_OPT_LINE_COLOR, 7, 0, &answer), RGB(255, 0, 255));
    EXPECT_TRUE(answer);
    EXPECT_EQ(SwatchPixel(dialog, IDC_OPT_TEXT_COLOR, 0, ODS_FOCUS, &answer), RGB(128, 0, 0));
    EXPECT_EQ(SwatchPixel(dialog, IDC_OPT_RULER_COLOR, 12, 0, &answer), RGB(255, 255, 255));
    EXPECT_FALSE(answer);

    // About opens over it, shows the program's name and notice, and leaves it as it was.
    EXPECT_TRUE(
        InspectModal([dialog] { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_OPT_ABOUT, BN_CLICKED), 0); },
                     [dialog](HWND about) {
                         EXPECT_EQ(WindowText(GetDlgItem(about, IDC_ABOUT_TITLE)), kMainWindowTitle);
                         EXPECT_EQ(WindowText(GetDlgItem(about, IDC_ABOUT_RIGHTS)), kAboutRightsNotice);
                         EXPECT_EQ(GetWindow(about, GW_OWNER), dialog);
                         EXPECT_TRUE(IsPlacedOverOwner(about, dialog));
                     }));
    EXPECT_TRUE(IsWindowVisible(dialog));

    // OK with the same language: the style goes to the main window, no relabelling.
    SendDlgItemMessageW(dialog, IDC_OPT_RULER_COLOR, CB_SETCURSEL, 0, 0);
    g_mainCommands.clear();
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Pump();
    EXPECT_EQ(g_settings.gridColor, 0x000080u);
    EXPECT_EQ(g_settings.lineColor, 0x00FF00u);
    EXPECT_EQ(MainCommandIds(), std::vector<int>{CMD_APPLY_STYLE});
    EXPECT_FALSE(IsWindowVisible(dialog));
    DestroyWindow(dialog);

    // A new language: selected at once, the panel and the toolbar told to relabel, the view's texts.
    dialog = OpenOptions(g_mainWindow.window);
    SendDlgItemMessageW(dialog, IDC_OPT_LANGUAGE, CB_SETCURSEL, 5, 0);
    g_mainCommands.clear();
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Pump();
    EXPECT_EQ(g_settings.language, 5);
    EXPECT_EQ(GetText("device"), L"\u88C5\u7F6E");
    EXPECT_EQ(MainCommandIds(), (std::vector<int>{CMD_REFRESH_TEXTS, CMD_APPLY_STYLE}));
    EXPECT_EQ(View()->noDeviceText, GetText("no device"));
    EXPECT_EQ(View()->inputHintText, GetText("input tip"));
    DestroyWindow(dialog);
    SelectLanguage(0);
}

// OK refuses a folder that cannot hold photos and videos (empty, relative, with the list's ";",
// too long for a file name in it, or impossible to make): a box owned by the dialog says so, the
// dialog stays and the old folder is kept. A folder that can be made is made and taken.
TEST_F(SectionsTest, OptionsRefuseAFolderThatCannotHoldTheFiles) {
    g_settings = KeyUnavailableSettings();
    g_settings.saveFolder = L"C:\\Vantix Old";
    const std::wstring blocker = L"C:\\vantix-blocker.txt";
    CloseHandle(CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    // The box is modal: it is read from inside its loop and closed.
    HWND boxOwner = nullptr;
    std::wstring told;
    const auto pressOk = [&](HWND dialog) {
        boxOwner = nullptr;
        told.clear();
        InspectModal([dialog] { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); },
                     [&](HWND box) {
                         boxOwner = GetWindow(box, GW_OWNER);
                         EXPECT_EQ(WindowText(box), L"Setting");
                         if (HWND line =
                                 FindWindowExW(box, nullptr, L"Static", GetText("folder refused").c_str()))
                             told = WindowText(line);
                     });
        Pump();
    };

    const std::wstring refused[] = {L"", L"Photos\\Bench", L"C:\\Bench;2", L"C:\\" + std::wstring(236, L'x'),
                                    blocker + L"\\Photos"};
    for (const std::wstring& folder : refused) {
        SCOPED_TRACE(testing::Message() << folder.size() << " characters");
        HWND dialog = OpenOptions(g_mainWindow.window);
        SetDlgItemTextW(dialog, IDC_OPT_FOLDER, folder.c_str());
        pressOk(dialog);
        EXPECT_EQ(boxOwner, dialog);
        EXPECT_EQ(told, GetText("folder refused"));
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_OPT_FOLDER)), folder);
        EXPECT_EQ(g_settings.saveFolder, L"C:\\Vantix Old");
        DestroyWindow(dialog);
    }
    EXPECT_EQ(GetFileAttributesW((blocker + L"\\Photos").c_str()), INVALID_FILE_ATTRIBUTES);

    HWND dialog = OpenOptions(g_mainWindow.window);
    SetDlgItemTextW(dialog, IDC_OPT_FOLDER, L"C:\\Vantix New\\Bench 2");
    pressOk(dialog);
    EXPECT_EQ(boxOwner, nullptr);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(g_settings.saveFolder, L"C:\\Vantix New\\Bench 2");
    EXPECT_TRUE(IsDirectory(L"C:\\Vantix New\\Bench 2"));
    DestroyWindow(dialog);
    DeleteFileW(blocker.c_str());
}
