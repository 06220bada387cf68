// The calibration dialogs in-process under Wine with the program's own templates, its main window
// and camera view, and the virtual camera open: the manage dialog's list, rename, delete, apply,
// help, and the calibration dialog writing a slot and saving it.
#include "tests/wine/main_window_fixture.h"
#include "capture/capture_messages.h"
#include "panels/panel_messages.h"
#include "capture/video_format.h"
#include "measure/calibration.h"
#include "panels/calibration_dialogs.h"
#include "measure/calibration_line.h"
#include "measure/calibration_texts.h"
#include "resources/calibration_ids.h"
#include "testcam/testcam_control.h"
#include "view/view_commands.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <initializer_list>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#calib#0";
constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// ---- Steps run from a thread timer, which also fires inside the dialogs' own modal loops. A step
// returns false to be tried again at the next tick; it never blocks (buttons that open a modal
// window are clicked by a posted BM_CLICK).
using Step = std::function<bool()>;
std::deque<Step> g_steps;
bool g_inStep = false;
int g_stepTries = 0;
constexpr int kMaxStepTries = 200; // 20 ms apart: 4 s

void CloseEveryDialog();

void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_inStep || g_steps.empty())
        return;
    g_inStep = true;
    const bool done = g_steps.front()();
    g_inStep = false;
    if (done) {
        g_steps.pop_front();
        g_stepTries = 0;
    } else if (++g_stepTries > kMaxStepTries) {
        ADD_FAILURE() << "step " << g_steps.size() << " from the end never came true";
        g_steps.clear();
        CloseEveryDialog();
    }
}

// Calls `start` (which may run a modal dialog) with the steps driving whatever opens, then pumps
// until every step has run.
void RunSteps(const std::function<void()>& start, std::vector<Step> steps) {
    g_steps.assign(steps.begin(), steps.end());
    g_stepTries = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunStep);
    start();
    PumpUntil([] { return g_steps.empty(); }, 20000);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_steps.empty()) << g_steps.size() << " steps left";
    g_steps.clear();
}

struct FoundWindow {
    const wchar_t* title;
    HWND window;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM lParam) {
    auto* found = reinterpret_cast<FoundWindow*>(lParam);
    wchar_t className[32] = {}, title[128] = {};
    GetClassNameW(hwnd, className, 32);
    GetWindowTextW(hwnd, title, 128);
    if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(hwnd) &&
        (found->title == nullptr || wcscmp(title, found->title) == 0)) {
        found->window = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of this thread with that title (any title for null).
HWND FindDialog(const wchar_t* title) {
    FoundWindow found = {title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

void CloseEveryDialog() {
    while (HWND dialog = FindDialog(nullptr)) {
        if (dialog == g_hCalibrateDlg) {
            DestroyWindow(dialog);
            g_hCalibrateDlg = nullptr;
        } else {
            EndDialog(dialog, IDCANCEL);
            ShowWindow(dialog, SW_HIDE);
        }
    }
}

// A modal dialog left open with no step to drive it fails the test instead of hanging it.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
    static int idleTicks = 0;
    HWND dialog = FindDialog(nullptr);
    if (!g_steps.empty() || !dialog || dialog == g_hCalibrateDlg) {
        idleTicks = 0;
        return;
    }
    if (++idleTicks > 25) { // 200 ms apart: 5 s
        idleTicks = 0;
        ADD_FAILURE() << "a dialog was left open with nothing to close it";
        CloseEveryDialog();
    }
}

HWND g_manage = nullptr; // the manage dialog the current steps work on

Step WaitForManageDialog() {
    return [] {
        g_manage = FindDialog(L"Manage calibration data");
        return g_manage != nullptr;
    };
}

HWND List() {
    return GetDlgItem(g_manage, IDC_CALIB_LIST);
}

std::wstring Cell(int row, int column) {
    wchar_t text[128] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(List(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

int SelectedRow() {
    return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectRow(int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    SendMessageW(List(), LVM_SETITEMSTATE, row >= 0 ? row : static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::wstring ItemText(HWND dialog, int id) {
    return Text(GetDlgItem(dialog, id));
}

// Each of these controls shows a text of its own (the texts themselves are the string table's).
void ExpectDistinctTexts(HWND dialog, std::initializer_list<int> ids) {
    std::vector<std::wstring> seen;
    for (int id : ids) {
        const std::wstring text = ItemText(dialog, id);
        EXPECT_FALSE(text.empty()) << id;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << id;
        seen.push_back(text);
    }
}

std::wstring StoredCalibrations() {
    return SavedString(L"Calibrations").value_or(L"(none)");
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

// Where the calibration dialogs open: centred over the main window, 68 pixels below its top.
void ExpectPlacedOverMainWindow(HWND dialog) {
    const RECT main = WindowRect(g_mainWindow.window);
    const RECT r = WindowRect(dialog);
    const DialogCorner corner =
        CalibrationDialogCorner(main.left, main.top, main.right - main.left, r.right - r.left);
    EXPECT_EQ(r.left, corner.x);
    EXPECT_EQ(r.top, corner.y);
}

Calibration Slot(const wchar_t* name, int unit, int pixels, float length, int date = 20240131,
                 uint32_t resolution = PackResolution(kWidth, kHeight)) {
    Calibration c;
    c.name = name;
    c.unit = unit;
    c.pixels = pixels;
    c.length = length;
    c.date = date;
    c.resolution = resolution;
    c.scale = DeriveScale(pixels, length);
    return c;
}

CameraViewState* View() {
    return CameraViewStateOf(g_mainWindow.cameraView);
}

// 3017 can be held back so that a test decides when the manage dialog comes again.
bool g_holdCalibrate = false;

// The toolbar's calibration button, as the main window gets it.
void PressCalibration() {
    SendMessageW(g_mainWindow.window, WM_COMMAND, MAKEWPARAM(IDC_TOOL_CALIBRATE, 0), 0);
}

class CalibrationDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ClearSettings();
        LoadSettings();
        ASSERT_TRUE(TestCam_Register(
            TestCam_MakeConfig(kCamera, L"Bench Scope", {{kTestCamMjpg, kWidth, kHeight, 30}})));

        g_holdBackCommand = [](WORD id) { return g_holdCalibrate && id == IDC_TOOL_CALIBRATE; };
        ASSERT_TRUE(OpenMainWindow({20, 10, 1260, 970}, true, kWidth)) << "the virtual camera did not open";
        SetTimer(nullptr, 0, 200, Watchdog);
    }

    static void TearDownTestSuite() {
        CloseEveryDialog();
        CloseMainWindow();
        TestCam_Unregister(kCamera);
        TestCam_RemoveConfig(kCamera);
        CoUninitialize();
    }

    void SetUp() override {
        ASSERT_TRUE(IsCaptureGraphOpen());
        g_calibration.slots = CalibrationTable();
        g_calibration.active = -1;
        g_calibration.calibrating = -1;
        g_mainWindow.manageCalibrations.rememberedRow = 0;
        g_mainWindow.manageCalibrations.savedPos = {-1, -1};
        g_holdCalibrate = false;
        SetViewScale(g_mainWindow.cameraView, -1.0f, 0);
        Pump(50);
        g_mainCommands.clear();
    }

    void TearDown() override {
        CloseEveryDialog();
        // A calibration dialog that closed posted the main window its command to bring the manage
        // dialog back: it must not open in the next test.
        g_holdCalibrate = true;
        Pump(50);
        g_holdCalibrate = false;
    }
};

} // namespace

TEST_F(CalibrationDialogs, ManageDialogListsTheTenSlots) {
    g_calibration.slots[0] = Slot(L"Stage A", UNIT_MILLIMETRE, 400, 2.0f);
    g_calibration.slots[1] =
        Slot(L"Objective 40x", UNIT_MICROMETRE, 300, 250.0f, 20251109, PackResolution(1920, 1080));
    g_calibration.slots[3].name = L"Spare";
    g_calibration.slots[9] = Slot(L"Old one", UNIT_MILLIMETRE, 500, 1.0f, 20191231, PackResolution(320, 240));
    g_mainWindow.manageCalibrations.rememberedRow = 3;

    RunSteps(
        PressCalibration,
        {
            WaitForManageDialog(),
            [] {
                ExpectPlacedOverMainWindow(g_manage);
                EXPECT_EQ(g_mainWindow.manageCalibrations.savedPos.x, WindowRect(g_manage).left);
                EXPECT_EQ(g_mainWindow.manageCalibrations.savedPos.y, WindowRect(g_manage).top);
                ExpectDistinctTexts(g_manage, {IDC_CALIB_RENAME, IDC_CALIB_DELETE, IDC_CALIB_CALIBRATE,
                                               IDC_CALIB_APPLY, IDC_CALIB_HOWTO});
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_APPLY)));
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_CALIBRATE)));

                // Five columns with their headers, widths and alignments; ten rows, all visible.
                HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
                EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 5);
                const wchar_t* names[] = {L"Name", L"Value", L"Unit", L"Date", L"Resolution"};
                const int widths[] = {128, 88, 78, 118, 128};
                const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER, LVCFMT_LEFT, LVCFMT_LEFT};
                for (int c = 0; c < 5; ++c) {
                    wchar_t text[64] = {};
                    LVCOLUMNW column = {};
                    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
                    column.pszText = text;
                    column.cchTextMax = 64;
                    EXPECT_TRUE(SendMessageW(List(), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)));
                    EXPECT_STREQ(text, names[c]);
                    EXPECT_EQ(column.cx, widths[c]) << c;
                    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, formats[c]) << c;
                }
                EXPECT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), 10);
                const LRESULT extended = SendMessageW(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
                EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
                EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
                EXPECT_EQ(GetWindowLongW(List(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
                EXPECT_EQ(SendMessageW(List(), LVM_GETTOPINDEX, 0, 0), 0);
                EXPECT_GE(SendMessageW(List(), LVM_GETCOUNTPERPAGE, 0, 0), 10);

                const std::vector<std::vector<std::wstring>> rows = {
                    {L"Stage A", L"200.00", L"mm", L"01/31/2024", L"1280x720"},
                    {L"Objective 40x", L"1.20", L"\u03BCm", L"11/09/2025", L"1920x1080"},
                    {L"", L"", L"", L"", L""},
                    {L"Spare", L"", L"", L"", L""},
                };
                for (int r = 0; r < 4; ++r)
                    for (int c = 0; c < 5; ++c)
                        EXPECT_EQ(Cell(r, c), rows[r][c]) << r << "," << c;
                for (int c = 0; c < 5; ++c) // calibrated in 2019 at 320x240
                    EXPECT_EQ(Cell(9, c),
                              (std::vector<std::wstring>{L"Old one", L"500.00", L"mm", L"", L""}[c]));
                EXPECT_EQ(SelectedRow(), 3);
                EXPECT_EQ(GetFocus(), List());
                return true;
            },
            [] {
                SendMessageW(g_manage, WM_COMMAND, IDCANCEL, 0); // Escape
                return true;
            },
        });
    EXPECT_EQ(FindDialog(nullptr), nullptr);
    EXPECT_EQ(g_hCalibrateDlg, nullptr);
    // Closing forgets the place and goes back to the applied row (none).
    EXPECT_EQ(g_mainWindow.manageCalibrations.savedPos.x, -1);
    EXPECT_EQ(g_mainWindow.manageCalibrations.savedPos.y, -1);
    EXPECT_EQ(g_mainWindow.manageCalibrations.rememberedRow, -1);
}

TEST_F(CalibrationDialogs, RenameCutsTheNameSavesItAndCancelKeepsIt) {
    g_calibration.slots[2] = Slot(L"Old name", UNIT_MILLIMETRE, 400, 2.0f);
    HWND edit = nullptr;
    RunSteps(PressCalibration,
             {
                 WaitForManageDialog(),
                 [&] {
                     SelectRow(2);
                     Click(g_manage, IDC_CALIB_RENAME);
                     edit = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETEDITCONTROL, 0, 0));
                     EXPECT_NE(edit, nullptr);
                     if (!edit)
                         return true;
                     EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 19);
                     EXPECT_EQ(Text(edit), L"Old name");
                     // Longer than a slot holds, with the stored text's separators in it.
                     SetWindowTextW(edit, L"Oil immersion, 100x; long");
                     SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
                     return true;
                 },
                 [] {
                     EXPECT_EQ(SendMessageW(List(), LVM_GETEDITCONTROL, 0, 0), 0);
                     EXPECT_EQ(g_calibration.slots[2].name, L"Oil immersion  100x");
                     EXPECT_EQ(Cell(2, 0), L"Oil immersion  100x");
                     EXPECT_EQ(Cell(2, 1), L"200.00");
                     EXPECT_EQ(ParseCalibrations(StoredCalibrations())[2].name, L"Oil immersion  100x");
                     EXPECT_EQ(ParseCalibrations(StoredCalibrations())[2].scale, 200.0f);

                     // A double click on row 5 edits its name; Escape leaves it as it was, unsaved.
                     RECT row = {};
                     row.left = LVIR_LABEL;
                     SendMessageW(List(), LVM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&row));
                     SendMessageW(List(), WM_LBUTTONDBLCLK, MK_LBUTTON,
                                  MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2));
                     return true;
                 },
                 [] {
                     HWND editor = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETEDITCONTROL, 0, 0));
                     if (!editor)
                         return false;
                     EXPECT_EQ(g_mainWindow.manageCalibrations.rememberedRow, 5);
                     SetWindowTextW(editor, L"Not kept");
                     SendMessageW(editor, WM_KEYDOWN, VK_ESCAPE, 0);
                     return true;
                 },
                 [] {
                     EXPECT_EQ(SendMessageW(List(), LVM_GETEDITCONTROL, 0, 0), 0);
                     EXPECT_EQ(g_calibration.slots[5].name, L"");
                     EXPECT_EQ(Cell(5, 0), L"");
                     EXPECT_EQ(ParseCalibrations(StoredCalibrations())[5].name, L"");

                     // Below the last row: nothing to edit.
                     RECT client = {};
                     GetClientRect(List(), &client);
                     SendMessageW(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, client.bottom - 3));
                     EXPECT_EQ(SendMessageW(List(), LVM_GETEDITCONTROL, 0, 0), 0);
                     SendMessageW(g_manage, WM_COMMAND, IDCANCEL, 0);
                     return true;
                 },
             });
}

TEST_F(CalibrationDialogs, DeleteAsksFirstAndUncalibratesTheViewForTheActiveSlot) {
    g_calibration.slots[0] = Slot(L"Keep", UNIT_MILLIMETRE, 400, 2.0f);
    g_calibration.slots[1] = Slot(L"Active", UNIT_MICROMETRE, 300, 250.0f);
    g_calibration.active = 1;
    SetViewScale(g_mainWindow.cameraView, g_calibration.slots[1].scale, UNIT_MICROMETRE);
    SaveSettings();
    const std::wstring before = StoredCalibrations();

    auto answerBox = [](int answer) {
        return [answer] {
            HWND box = FindDialog(L"Calibrate");
            if (!box)
                return false;
            EXPECT_EQ(GetWindow(box, GW_OWNER), g_manage);
            // No is the default: it has the focus and the default frame.
            HWND no = GetDlgItem(box, IDNO);
            EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
            EXPECT_EQ(GetFocus(), no);
            EXPECT_EQ(GetWindowLongW(no, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
            PostButtonClick(box, answer);
            return true;
        };
    };
    auto boxGone = [] { return FindDialog(L"Calibrate") == nullptr; };

    RunSteps(PressCalibration, {
                                   WaitForManageDialog(),
                                   [] {
                                       SelectRow(1);
                                       PostButtonClick(g_manage, IDC_CALIB_DELETE);
                                       return true;
                                   },
                                   answerBox(IDNO),
                                   boxGone,
                                   [&] {
                                       EXPECT_EQ(Cell(1, 0), L"Active");
                                       EXPECT_EQ(Cell(1, 1), L"1.20");
                                       EXPECT_EQ(StoredCalibrations(), before);
                                       EXPECT_EQ(View()->scale, 1.2f);
                                       PostButtonClick(g_manage, IDC_CALIB_DELETE);
                                       return true;
                                   },
                                   answerBox(IDYES),
                                   boxGone,
                                   [] {
                                       for (int c = 0; c < 5; ++c)
                                           EXPECT_EQ(Cell(1, c), L"") << c;
                                       EXPECT_EQ(Cell(0, 1), L"200.00");
                                       const CalibrationTable stored =
                                           ParseCalibrations(StoredCalibrations());
                                       EXPECT_EQ(stored[0].scale, 200.0f);
                                       EXPECT_EQ(stored[1].name, L"");
                                       EXPECT_EQ(stored[1].scale, -1.0f);
                                       const std::wstring text = StoredCalibrations();
                                       const size_t second = text.find(L';') + 1;
                                       EXPECT_EQ(text.substr(second, 11), L",0,0,0,0,0;");
                                       // The view measures in pixels again; the slot stays the applied one.
                                       EXPECT_EQ(View()->scale, -1.0f);
                                       EXPECT_EQ(View()->unitIndex, 0);
                                       EXPECT_EQ(g_calibration.active, 1);

                                       // Without a selected row Delete asks nothing.
                                       SelectRow(-1);
                                       Click(g_manage, IDC_CALIB_DELETE);
                                       return true;
                                   },
                                   [] {
                                       EXPECT_EQ(FindDialog(L"Calibrate"), nullptr);
                                       SendMessageW(g_manage, WM_COMMAND, IDCANCEL, 0);
                                       return true;
                                   },
                               });
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 1);
    EXPECT_EQ(g_calibration.slots[0].scale, 200.0f);
}

TEST_F(CalibrationDialogs, DeletingAnotherSlotLeavesTheViewAlone) {
    g_calibration.slots[0] = Slot(L"Active", UNIT_MILLIMETRE, 400, 2.0f);
    g_calibration.slots[4] = Slot(L"Other", UNIT_MILLIMETRE, 300, 1.0f);
    g_calibration.active = 0;
    SetViewScale(g_mainWindow.cameraView, 200.0f, UNIT_MILLIMETRE);
    RunSteps(PressCalibration, {
                                   WaitForManageDialog(),
                                   [] {
                                       SelectRow(4);
                                       PostButtonClick(g_manage, IDC_CALIB_DELETE);
                                       return true;
                                   },
                                   [] {
                                       HWND box = FindDialog(L"Calibrate");
                                       if (box)
                                           PostButtonClick(box, IDYES);
                                       return box != nullptr;
                                   },
                                   [] {
                                       if (FindDialog(L"Calibrate"))
                                           return false;
                                       EXPECT_EQ(g_calibration.slots[4].scale, -1.0f);
                                       EXPECT_EQ(View()->scale, 200.0f);
                                       SendMessageW(g_manage, WM_COMMAND, IDCANCEL, 0);
                                       return true;
                                   },
                               });
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 0);
    EXPECT_EQ(g_mainWindow.manageCalibrations.rememberedRow, 0); // back to the applied row
}

TEST_F(CalibrationDialogs, ApplyHandsTheViewTheSlotsScaleAt100Percent) {
    g_calibration.slots[2] = Slot(L"Stage B", UNIT_MILLIMETRE, 500, 2.0f);
    View()->crosshair = 0;
    SetViewZoom(g_mainWindow.cameraView, 200);
    ASSERT_EQ(View()->zoomPercent, 200);
    RunSteps(PressCalibration, {
                                   WaitForManageDialog(),
                                   [] {
                                       SelectRow(2);
                                       Click(g_manage, IDC_CALIB_APPLY);
                                       return true;
                                   },
                               });
    EXPECT_EQ(FindDialog(nullptr), nullptr);
    EXPECT_EQ(g_calibration.active, 2);
    EXPECT_EQ(View()->scale, 250.0f);
    EXPECT_EQ(View()->unitIndex, UNIT_MILLIMETRE);
    EXPECT_EQ(View()->zoomPercent, 100);
    EXPECT_EQ(g_mainWindow.manageCalibrations.rememberedRow, 2);
    EXPECT_EQ(g_mainWindow.manageCalibrations.savedPos.x, -1);
    // The main window then shows the crosshair with its ruler.
    PumpUntil([] { return View()->crosshair != 0; }, 1000);
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 1);
    EXPECT_EQ(View()->crosshair, 1);

    // An empty slot applied makes the view uncalibrated; without a row Apply does nothing.
    RunSteps(PressCalibration, {
                                   WaitForManageDialog(),
                                   [] {
                                       EXPECT_EQ(SelectedRow(), 2);
                                       SelectRow(-1);
                                       Click(g_manage, IDC_CALIB_APPLY);
                                       EXPECT_NE(FindDialog(L"Manage calibration data"), nullptr);
                                       SelectRow(7);
                                       Click(g_manage, IDC_CALIB_APPLY);
                                       return true;
                                   },
                               });
    EXPECT_EQ(g_calibration.active, 7);
    EXPECT_EQ(View()->scale, -1.0f);
}

TEST_F(CalibrationDialogs, HelpShowsTheThreeStepsAndThePicture) {
    RunSteps(PressCalibration,
             {
                 WaitForManageDialog(),
                 [] {
                     PostButtonClick(g_manage, IDC_CALIB_HOWTO);
                     return true;
                 },
                 [] {
                     HWND help = FindDialog(L"Help");
                     if (!help)
                         return false;
                     EXPECT_EQ(GetWindow(help, GW_OWNER), g_manage);
                     ExpectPlacedOverMainWindow(help);
                     ExpectDistinctTexts(help, {IDC_HOWTO_1, IDC_HOWTO_2, IDC_HOWTO_3, IDOK});
                     HWND picture = GetDlgItem(help, IDC_HOWTO_PICTURE);
                     EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
                     RECT inner = {};
                     GetClientRect(picture, &inner);
                     EXPECT_EQ(inner.right, 545);
                     EXPECT_EQ(inner.bottom, 307);
                     // All of it inside the dialog, OK below it, the steps above it.
                     RECT client = {};
                     GetClientRect(help, &client);
                     MapWindowPoints(help, nullptr, reinterpret_cast<POINT*>(&client), 2);
                     const RECT pictureRect = WindowRect(picture);
                     const RECT ok = WindowRect(GetDlgItem(help, IDOK));
                     const RECT step3 = WindowRect(GetDlgItem(help, IDC_HOWTO_3));
                     EXPECT_GE(pictureRect.left, client.left);
                     EXPECT_LE(pictureRect.right, client.right);
                     EXPECT_GE(pictureRect.top, step3.bottom);
                     EXPECT_GE(ok.top, pictureRect.bottom);
                     EXPECT_LE(ok.bottom, client.bottom);
                     EXPECT_LE(ok.right, client.right);
                     PostButtonClick(help, IDOK);
                     return true;
                 },
                 [] {
                     if (FindDialog(L"Help"))
                         return false;
                     SendMessageW(g_manage, WM_COMMAND, IDCANCEL, 0);
                     return true;
                 },
             });
}

// The main path (title, zoom, the line, the stored slot, the date and size cells) is seen end to end.
TEST_F(CalibrationDialogs, CalibrateRefusesBadLengthsKeepsMicrometresAndTheManageDialogsPlace) {
    g_calibration.slots[1] = Slot(L"Active", UNIT_MILLIMETRE, 300, 1.0f);
    g_calibration.slots[4].name = L"New objective";
    g_calibration.active = 1;
    SetViewScale(g_mainWindow.cameraView, 300.0f, UNIT_MILLIMETRE);
    const POINT moved = {30, 40};

    RunSteps(PressCalibration, {
                                   WaitForManageDialog(),
                                   [&] {
                                       SetWindowPos(g_manage, nullptr, moved.x, moved.y, 0, 0,
                                                    SWP_NOSIZE | SWP_NOZORDER);
                                       SelectRow(4);
                                       Click(g_manage, IDC_CALIB_CALIBRATE);
                                       return true;
                                   },
                               });
    ASSERT_NE(g_hCalibrateDlg, nullptr);
    HWND dialog = g_hCalibrateDlg;
    EXPECT_EQ(g_calibration.calibrating, 4);
    EXPECT_EQ(g_mainWindow.manageCalibrations.savedPos.x, moved.x);
    EXPECT_EQ(g_mainWindow.manageCalibrations.savedPos.y, moved.y);
    const int linePixels = CalibrationLinePixels(kCalibLineNew, kWidth);
    ExpectPlacedOverMainWindow(dialog);
    ExpectDistinctTexts(dialog, {IDC_CALIB_TIP1, IDC_CALIB_TIP2, IDC_CALIB_UNIT_LABEL, IDCANCEL});
    EXPECT_EQ(ItemText(dialog, IDC_CALIB_UNIT_SHOWN), L"mm");
    HWND units = GetDlgItem(dialog, IDC_CALIB_UNITS);
    EXPECT_EQ(ComboItems(units), (std::vector<std::wstring>{L"millimeters(mm)", L"microns(\u03BCm)"}));
    EXPECT_EQ(SendMessageW(units, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_CALIB_LENGTH));

    // No number, zero or less: the dialog stays and nothing is written.
    const std::wstring stored = StoredCalibrations();
    for (const wchar_t* text : {L"abc", L"0", L"-2", L""}) {
        SetDlgItemTextW(dialog, IDC_CALIB_LENGTH, text);
        Click(dialog, IDOK);
        EXPECT_EQ(g_hCalibrateDlg, dialog);
        EXPECT_TRUE(IsWindow(dialog));
    }
    EXPECT_EQ(g_calibration.slots[4].scale, -1.0f);
    EXPECT_EQ(StoredCalibrations(), stored);

    // Micrometres: the unit after the edit follows the choice.
    SendMessageW(units, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CALIB_UNITS, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(units));
    EXPECT_EQ(ItemText(dialog, IDC_CALIB_UNIT_SHOWN), L"\u03BCm");
    SetDlgItemTextW(dialog, IDC_CALIB_LENGTH, L"2130");
    // OK brings the manage dialog back where it was, on the new row.
    RunSteps([&] { Click(dialog, IDOK); },
             {
                 WaitForManageDialog(),
                 [&] {
                     EXPECT_EQ(WindowRect(g_manage).left, moved.x);
                     EXPECT_EQ(WindowRect(g_manage).top, moved.y);
                     EXPECT_EQ(SelectedRow(), 4);
                     EXPECT_EQ(Cell(4, 1), CalibrationValueText(Slot(L"", 1, linePixels, 2130.0f)));
                     EXPECT_EQ(Cell(4, 2), L"\u03BCm");
                     SendMessageW(g_manage, WM_COMMAND, IDCANCEL, 0);
                     return true;
                 },
             });
    EXPECT_EQ(g_calibration.slots[4].unit, UNIT_MICROMETRE);
    EXPECT_EQ(g_calibration.slots[4].scale, static_cast<float>(linePixels) / 2130.0f);
    // Another slot than the applied one: the view keeps its scale.
    EXPECT_EQ(View()->scale, 300.0f);
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 0);
    EXPECT_EQ(CommandCount(IDC_TOOL_CALIBRATE), 2);
}

TEST_F(CalibrationDialogs, RecalibratingTheAppliedSlotAppliesItAtOnce) {
    g_calibration.slots[1] = Slot(L"Active", UNIT_MILLIMETRE, 300, 1.0f);
    g_calibration.active = 1;
    g_mainWindow.manageCalibrations.rememberedRow = 1;
    SetViewScale(g_mainWindow.cameraView, 300.0f, UNIT_MILLIMETRE);
    RunSteps(PressCalibration, {
                                   WaitForManageDialog(),
                                   [] {
                                       Click(g_manage, IDC_CALIB_CALIBRATE);
                                       return true;
                                   },
                               });
    ASSERT_NE(g_hCalibrateDlg, nullptr);
    g_holdCalibrate = true;
    SetDlgItemTextW(g_hCalibrateDlg, IDC_CALIB_LENGTH, L" 1,5 mm");
    Click(g_hCalibrateDlg, IDOK);
    EXPECT_EQ(g_hCalibrateDlg, nullptr);
    const float scale = static_cast<float>(CalibrationLinePixels(kCalibLineNew, kWidth)) / 1.5f;
    EXPECT_EQ(g_calibration.slots[1].scale, scale);
    EXPECT_EQ(View()->scale, scale);
    EXPECT_EQ(View()->zoomPercent, 100);
    PumpUntil([] { return CommandCount(IDC_TOOL_CALIBRATE) == 2; }, 1000);
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 1);
}

// Cancel keeping the slot and the camera going away ending a calibration are seen end to end.
TEST_F(CalibrationDialogs, ToolbarButtonOpensNoSecondRoundDuringACalibration) {
    RunSteps(PressCalibration, {
                                   WaitForManageDialog(),
                                   [] {
                                       SelectRow(0);
                                       Click(g_manage, IDC_CALIB_CALIBRATE);
                                       return true;
                                   },
                               });
    ASSERT_NE(g_hCalibrateDlg, nullptr);
    PressCalibration();
    EXPECT_EQ(FindDialog(L"Manage calibration data"), nullptr);
    g_holdCalibrate = true;
    Click(g_hCalibrateDlg, IDCANCEL);
    EXPECT_EQ(g_hCalibrateDlg, nullptr);
}

// Last: it closes the camera for good.
TEST_F(CalibrationDialogs, WithoutACameraApplyAndCalibrateAreOff) {
    CloseCaptureGraph();
    ASSERT_FALSE(IsCaptureGraphOpen());
    g_calibration.slots[0] = Slot(L"Stage A", UNIT_MILLIMETRE, 400, 2.0f);
    HWND dialog = nullptr;
    RunSteps([&] { RunManageCalibrationsDialog(g_mainWindow.window, g_mainWindow.manageCalibrations); },
             {
                 WaitForManageDialog(),
                 [&] {
                     dialog = g_manage;
                     EXPECT_FALSE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_APPLY)));
                     EXPECT_FALSE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_CALIBRATE)));
                     EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_RENAME)));
                     SendMessageW(g_manage, WM_COMMAND, IDCANCEL, 0);
                     return true;
                 },
             });
    EXPECT_NE(dialog, nullptr);
    EXPECT_EQ(g_calibration.active, -1);
    EXPECT_EQ(g_calibration.calibrating, -1);
    // The toolbar's button opens nothing without a camera.
    PressCalibration();
    EXPECT_EQ(FindDialog(nullptr), nullptr);
}
