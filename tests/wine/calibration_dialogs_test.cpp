// The calibration dialogs in-process under Wine with the program's own templates, its main window
// and camera view, and the virtual camera open: the manage dialog's list, rename, delete, apply,
// help, and the calibration dialog writing a slot and saving it.
#include "tests/support/dialogs.h"
#include "tests/wine/main_window_fixture.h"
#include "tests/unit/measure_test_support.h"
#include "panels/panel_messages.h"
#include "measure/calibration.h"
#include "panels/calibration_dialogs.h"
#include "measure/calibration_line.h"
#include "measure/calibration_texts.h"
#include "resources/calibration_ids.h"
#include "view/view_commands.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#calib#0";
constexpr int kWidth = 1280;

HWND g_manage = nullptr; // the manage dialog the current steps work on

Step WaitForManageDialog() {
    return [] {
        g_manage = FindDialog(L"Manage calibration data");
        return g_manage != nullptr;
    };
}

// Escape in the manage dialog.
bool CloseManageDialog() {
    SendMessageW(g_manage, WM_COMMAND, IDCANCEL, 0);
    return true;
}

// The delete question's answer, once it is there.
Step Answer(int button) {
    return [button] {
        HWND box = FindDialog(L"Calibrate");
        if (box)
            PostButtonClick(box, button);
        return box != nullptr;
    };
}
bool QuestionGone() {
    return FindDialog(L"Calibrate") == nullptr;
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

// The list's row shows what the slot holds now.
void ExpectRowShowsSlot(int row) {
    const auto cells = CalibrationRowTexts(g_calibration.slots[row]);
    for (int c = 0; c < kCalibrationColumnCount; ++c)
        EXPECT_EQ(Cell(row, c), cells[c]) << "row " << row << ", column " << c;
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

HWND ListEditor() {
    return reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETEDITCONTROL, 0, 0));
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Each of these shows a text of its own (the texts themselves are the string table's).
void ExpectDistinctTexts(const std::vector<std::wstring>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_FALSE(texts[i].empty()) << i;
        EXPECT_EQ(std::count(texts.begin(), texts.end(), texts[i]), 1) << i;
    }
}
void ExpectDistinctTexts(HWND dialog, std::initializer_list<int> ids) {
    std::vector<std::wstring> texts;
    for (int id : ids)
        texts.push_back(WindowText(GetDlgItem(dialog, id)));
    ExpectDistinctTexts(texts);
}

std::wstring StoredCalibrations() {
    return SavedString(L"Calibrations").value_or(L"(none)");
}

// A window's top left corner on the screen, or a remembered one.
std::pair<LONG, LONG> Corner(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return {r.left, r.top};
}
std::pair<LONG, LONG> Corner(POINT p) {
    return {p.x, p.y};
}

// IDC_TOOL_CALIBRATE can be held back so that a test decides when the manage dialog comes again.
bool g_holdCalibrate = false;

// The toolbar's calibration button, as the main window gets it.
void PressCalibration() {
    SendMessageW(g_mainWindow.window, WM_COMMAND, MAKEWPARAM(IDC_TOOL_CALIBRATE, 0), 0);
}

class CalibrationDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_holdBackCommand = [](WORD id) { return g_holdCalibrate && id == IDC_TOOL_CALIBRATE; };
        ASSERT_TRUE(OpenMainWindowWithCamera(kCamera, L"Bench Scope", {{kTestCamMjpg, kWidth, 720, 30}}))
            << "the virtual camera did not open";
        g_isModelessDialog = [](HWND dialog) { return dialog == g_hCalibrateDlg; };
        StartDialogWatchdog();
    }

    static void TearDownTestSuite() {
        CloseEveryDialog();
        CloseMainWindowAndCamera(kCamera);
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

TEST_F(CalibrationDialogs, ManageDialogListsTheTenSlotsAndItsHelpShowsTheStepsAndThePicture) {
    g_calibration.slots[0] = MakeCalibration(L"Stage A", UNIT_MILLIMETRE, 400, 2.0f);
    g_calibration.slots[1] =
        MakeCalibration(L"Objective 40x", UNIT_MICROMETRE, 300, 250.0f, 20251109, PackResolution(1920, 1080));
    g_calibration.slots[3].name = L"Spare";
    g_calibration.slots[9] =
        MakeCalibration(L"Old one", UNIT_MILLIMETRE, 500, 1.0f, 20191231, PackResolution(320, 240));
    g_mainWindow.manageCalibrations.rememberedRow = 3;

    RunSteps(PressCalibration,
             {
                 WaitForManageDialog(),
                 [] {
                     EXPECT_TRUE(IsPlacedOverOwner(g_manage, g_mainWindow.window));
                     EXPECT_EQ(Corner(g_mainWindow.manageCalibrations.savedPos), Corner(g_manage));
                     ExpectDistinctTexts(g_manage, {IDC_CALIB_RENAME, IDC_CALIB_DELETE, IDC_CALIB_CALIBRATE,
                                                    IDC_CALIB_APPLY, IDC_CALIB_HOWTO});
                     EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_APPLY)));
                     EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_CALIBRATE)));

                     // Five columns with headers of their own, side by side inside the list; ten
                     // rows, all visible without scrolling, each showing its slot.
                     std::vector<std::wstring> headers;
                     int widths = 0;
                     for (int c = 0; c < kCalibrationColumnCount; ++c) {
                         wchar_t text[64] = {};
                         LVCOLUMNW column = {};
                         column.mask = LVCF_TEXT | LVCF_WIDTH;
                         column.pszText = text;
                         column.cchTextMax = 64;
                         SendMessageW(List(), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
                         widths += column.cx;
                         headers.push_back(text);
                     }
                     ExpectDistinctTexts(headers);
                     RECT inside = {};
                     GetClientRect(List(), &inside);
                     EXPECT_LE(widths, inside.right);
                     EXPECT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), 10);
                     const LRESULT extended = SendMessageW(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
                     EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
                     EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
                     EXPECT_GE(SendMessageW(List(), LVM_GETCOUNTPERPAGE, 0, 0), 10);
                     for (int r = 0; r < 10; ++r)
                         ExpectRowShowsSlot(r);
                     EXPECT_EQ(SelectedRow(), 3);
                     EXPECT_EQ(GetFocus(), List());
                     PostButtonClick(g_manage, IDC_CALIB_HOWTO);
                     return true;
                 },
                 // The help page, over the main window and owned by the manage dialog.
                 [] {
                     HWND help = FindDialog(L"Help");
                     if (!help)
                         return false;
                     EXPECT_EQ(GetWindow(help, GW_OWNER), g_manage);
                     EXPECT_TRUE(IsPlacedOverOwner(help, g_mainWindow.window));
                     ExpectDistinctTexts(help, {IDC_HOWTO_1, IDC_HOWTO_2, IDC_HOWTO_3, IDOK});
                     HWND picture = GetDlgItem(help, IDC_HOWTO_PICTURE);
                     EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
                     // All of it inside the dialog, OK below the picture, the steps above it.
                     const SIZE client = ClientSize(help);
                     const RECT pictureRect = RectInParent(picture);
                     const RECT ok = RectInParent(GetDlgItem(help, IDOK));
                     EXPECT_GT(pictureRect.right - pictureRect.left, 100);
                     EXPECT_GE(pictureRect.left, 0);
                     EXPECT_LE(pictureRect.right, client.cx);
                     EXPECT_GE(pictureRect.top, RectInParent(GetDlgItem(help, IDC_HOWTO_3)).bottom);
                     EXPECT_GE(ok.top, pictureRect.bottom);
                     EXPECT_LE(ok.bottom, client.cy);
                     EXPECT_LE(ok.right, client.cx);
                     PostButtonClick(help, IDOK);
                     return true;
                 },
                 [] { return !FindDialog(L"Help") && CloseManageDialog(); },
             });
    // Closing forgets the place and goes back to the applied row (none).
    EXPECT_EQ(Corner(g_mainWindow.manageCalibrations.savedPos), Corner({-1, -1}));
    EXPECT_EQ(g_mainWindow.manageCalibrations.rememberedRow, -1);
}

TEST_F(CalibrationDialogs, RenameCutsTheNameSavesItAndCancelKeepsIt) {
    g_calibration.slots[2] = MakeCalibration(L"Old name", UNIT_MILLIMETRE, 400, 2.0f);
    RunSteps(PressCalibration, {
                                   WaitForManageDialog(),
                                   [] {
                                       SelectRow(2);
                                       Click(g_manage, IDC_CALIB_RENAME);
                                       HWND edit = ListEditor();
                                       EXPECT_NE(edit, nullptr);
                                       if (!edit)
                                           return true;
                                       EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 19);
                                       // Longer than a slot holds, with the stored text's separators in it.
                                       SetWindowTextW(edit, L"Oil immersion, 100x; long");
                                       SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
                                       return true;
                                   },
                                   [] {
                                       EXPECT_EQ(ListEditor(), nullptr);
                                       EXPECT_EQ(g_calibration.slots[2].name, L"Oil immersion  100x");
                                       ExpectRowShowsSlot(2);
                                       const Calibration stored = ParseCalibrations(StoredCalibrations())[2];
                                       EXPECT_EQ(stored.name, L"Oil immersion  100x");
                                       EXPECT_EQ(stored.scale, 200.0f);

                                       // A double click on row 5 edits its name; Escape leaves it as it was,
                                       // unsaved.
                                       RECT row = {};
                                       row.left = LVIR_LABEL;
                                       SendMessageW(List(), LVM_GETITEMRECT, 5,
                                                    reinterpret_cast<LPARAM>(&row));
                                       SendMessageW(List(), WM_LBUTTONDBLCLK, MK_LBUTTON,
                                                    MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2));
                                       return true;
                                   },
                                   [] {
                                       HWND editor = ListEditor();
                                       if (!editor)
                                           return false;
                                       EXPECT_EQ(g_mainWindow.manageCalibrations.rememberedRow, 5);
                                       SetWindowTextW(editor, L"Not kept");
                                       SendMessageW(editor, WM_KEYDOWN, VK_ESCAPE, 0);
                                       return true;
                                   },
                                   [] {
                                       EXPECT_EQ(ListEditor(), nullptr);
                                       EXPECT_EQ(Cell(5, 0), L"");
                                       return CloseManageDialog();
                                   },
                               });
}

TEST_F(CalibrationDialogs, DeleteAsksFirstAndUncalibratesTheViewOnlyForTheActiveSlot) {
    g_calibration.slots[0] = MakeCalibration(L"Keep", UNIT_MILLIMETRE, 400, 2.0f);
    g_calibration.slots[1] = MakeCalibration(L"Active", UNIT_MICROMETRE, 300, 250.0f);
    g_calibration.slots[4] = MakeCalibration(L"Other", UNIT_MILLIMETRE, 300, 1.0f);
    g_calibration.active = 1;
    SetViewScale(g_mainWindow.cameraView, g_calibration.slots[1].scale, UNIT_MICROMETRE);
    SaveSettings();
    std::wstring before;

    RunSteps(PressCalibration,
             {
                 WaitForManageDialog(),
                 [] {
                     SelectRow(4);
                     PostButtonClick(g_manage, IDC_CALIB_DELETE);
                     return true;
                 },
                 Answer(IDYES),
                 QuestionGone,
                 [&] {
                     // Another slot than the applied one: the view keeps its scale.
                     before = StoredCalibrations();
                     EXPECT_EQ(g_calibration.slots[4].scale, -1.0f);
                     EXPECT_EQ(View()->scale, 1.2f);
                     SelectRow(1);
                     PostButtonClick(g_manage, IDC_CALIB_DELETE);
                     return true;
                 },
                 [] {
                     HWND box = FindDialog(L"Calibrate");
                     if (!box)
                         return false;
                     EXPECT_EQ(GetWindow(box, GW_OWNER), g_manage);
                     // No is the default: it has the focus and the default frame.
                     HWND no = GetDlgItem(box, IDNO);
                     EXPECT_EQ(GetFocus(), no);
                     EXPECT_EQ(GetWindowLongW(no, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
                     PostButtonClick(no);
                     return true;
                 },
                 QuestionGone,
                 [&] {
                     EXPECT_EQ(StoredCalibrations(), before);
                     PostButtonClick(g_manage, IDC_CALIB_DELETE);
                     return true;
                 },
                 Answer(IDYES),
                 QuestionGone,
                 [] {
                     ExpectRowShowsSlot(1);
                     const CalibrationTable stored = ParseCalibrations(StoredCalibrations());
                     EXPECT_EQ(stored[0].scale, 200.0f);
                     EXPECT_EQ(stored[1].name, L"");
                     EXPECT_EQ(stored[1].scale, -1.0f);
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
                     EXPECT_TRUE(QuestionGone());
                     return CloseManageDialog();
                 },
             });
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 1);
    EXPECT_EQ(g_mainWindow.manageCalibrations.rememberedRow, 1); // back to the applied row
}

TEST_F(CalibrationDialogs, ApplyHandsTheViewTheSlotsScaleAt100Percent) {
    g_calibration.slots[2] = MakeCalibration(L"Stage B", UNIT_MILLIMETRE, 500, 2.0f);
    SetViewZoom(g_mainWindow.cameraView, 200);
    ASSERT_EQ(View()->zoomPercent, 200);
    RunSteps(PressCalibration, {WaitForManageDialog(), [] {
                                    SelectRow(2);
                                    Click(g_manage, IDC_CALIB_APPLY);
                                    return true;
                                }});
    EXPECT_EQ(g_calibration.active, 2);
    EXPECT_EQ(View()->scale, 250.0f);
    EXPECT_EQ(View()->zoomPercent, 100);
    EXPECT_EQ(g_mainWindow.manageCalibrations.rememberedRow, 2);
    EXPECT_EQ(g_mainWindow.manageCalibrations.savedPos.x, -1);
    // The main window is told once (the unit and the crosshair that follows are seen end to end).
    Pump();
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 1);

    // An empty slot applied makes the view uncalibrated; without a row Apply does nothing.
    RunSteps(PressCalibration, {WaitForManageDialog(), [] {
                                    EXPECT_EQ(SelectedRow(), 2);
                                    SelectRow(-1);
                                    Click(g_manage, IDC_CALIB_APPLY);
                                    EXPECT_NE(FindDialog(L"Manage calibration data"), nullptr);
                                    SelectRow(7);
                                    Click(g_manage, IDC_CALIB_APPLY);
                                    return true;
                                }});
    EXPECT_EQ(g_calibration.active, 7);
    EXPECT_EQ(View()->scale, -1.0f);
}

// The main path (title, zoom, the line, the stored slot, the date and size cells) is seen end to end.
TEST_F(CalibrationDialogs, CalibrateRefusesBadLengthsKeepsMicrometresAndTheManageDialogsPlace) {
    g_calibration.slots[1] = MakeCalibration(L"Active", UNIT_MILLIMETRE, 300, 1.0f);
    g_calibration.slots[4].name = L"New objective";
    g_calibration.active = 1;
    SetViewScale(g_mainWindow.cameraView, 300.0f, UNIT_MILLIMETRE);
    const POINT moved = {30, 40};

    RunSteps(PressCalibration, {WaitForManageDialog(), [&] {
                                    SetWindowPos(g_manage, nullptr, moved.x, moved.y, 0, 0,
                                                 SWP_NOSIZE | SWP_NOZORDER);
                                    SelectRow(4);
                                    Click(g_manage, IDC_CALIB_CALIBRATE);
                                    return true;
                                }});
    ASSERT_NE(g_hCalibrateDlg, nullptr);
    HWND dialog = g_hCalibrateDlg;
    EXPECT_EQ(Corner(g_mainWindow.manageCalibrations.savedPos), Corner(moved));
    EXPECT_TRUE(IsPlacedOverOwner(dialog, g_mainWindow.window));
    ExpectDistinctTexts(dialog, {IDC_CALIB_TIP1, IDC_CALIB_TIP2, IDC_CALIB_UNIT_LABEL, IDCANCEL});
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_CALIB_UNIT_SHOWN)), L"mm");
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
    }
    EXPECT_EQ(g_calibration.slots[4].scale, -1.0f);
    EXPECT_EQ(StoredCalibrations(), stored);

    // Micrometres: the unit after the edit follows the choice.
    SendMessageW(units, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CALIB_UNITS, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(units));
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_CALIB_UNIT_SHOWN)), L"\u03BCm");
    SetDlgItemTextW(dialog, IDC_CALIB_LENGTH, L"2130");
    // OK brings the manage dialog back where it was, on the new row.
    RunSteps([&] { Click(dialog, IDOK); }, {WaitForManageDialog(), [&] {
                                                EXPECT_EQ(Corner(g_manage), Corner(moved));
                                                EXPECT_EQ(SelectedRow(), 4);
                                                ExpectRowShowsSlot(4);
                                                return CloseManageDialog();
                                            }});
    const int linePixels = CalibrationLinePixels(kCalibLineNew, kWidth);
    EXPECT_EQ(g_calibration.slots[4].unit, UNIT_MICROMETRE);
    EXPECT_EQ(ParseCalibrations(StoredCalibrations())[4].scale, static_cast<float>(linePixels) / 2130.0f);
    // Another slot than the applied one: the view keeps its scale.
    EXPECT_EQ(View()->scale, 300.0f);
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 0);
    EXPECT_EQ(CommandCount(IDC_TOOL_CALIBRATE), 2);
}

// Cancel keeping the slot and the camera going away ending a calibration are seen end to end.
TEST_F(CalibrationDialogs, RecalibratingTheAppliedSlotAppliesItAtOnceAndTheToolbarOpensNoSecondRound) {
    g_calibration.slots[1] = MakeCalibration(L"Active", UNIT_MILLIMETRE, 300, 1.0f);
    g_calibration.active = 1;
    g_mainWindow.manageCalibrations.rememberedRow = 1;
    SetViewScale(g_mainWindow.cameraView, 300.0f, UNIT_MILLIMETRE);
    // Calibrate on the remembered row.
    RunSteps(PressCalibration, {WaitForManageDialog(), [] {
                                    Click(g_manage, IDC_CALIB_CALIBRATE);
                                    return true;
                                }});
    ASSERT_NE(g_hCalibrateDlg, nullptr);
    PressCalibration();
    EXPECT_EQ(FindDialog(L"Manage calibration data"), nullptr);

    g_holdCalibrate = true;
    SetDlgItemTextW(g_hCalibrateDlg, IDC_CALIB_LENGTH, L" 1,5 mm");
    Click(g_hCalibrateDlg, IDOK);
    EXPECT_EQ(g_hCalibrateDlg, nullptr);
    EXPECT_EQ(View()->scale, static_cast<float>(CalibrationLinePixels(kCalibLineNew, kWidth)) / 1.5f);
    EXPECT_EQ(View()->zoomPercent, 100);
    PumpUntil([] { return CommandCount(IDC_TOOL_CALIBRATE) == 3; }, 1000);
    EXPECT_EQ(CommandCount(CMD_SCALE_CHANGED), 1);
}

// Last: it closes the camera for good.
TEST_F(CalibrationDialogs, WithoutACameraApplyAndCalibrateAreOff) {
    CloseCaptureGraph();
    ASSERT_FALSE(IsCaptureGraphOpen());
    g_calibration.slots[0] = MakeCalibration(L"Stage A", UNIT_MILLIMETRE, 400, 2.0f);
    RunSteps([] { RunManageCalibrationsDialog(g_mainWindow.window, g_mainWindow.manageCalibrations); },
             {WaitForManageDialog(), [] {
                  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_APPLY)));
                  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_CALIBRATE)));
                  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_manage, IDC_CALIB_RENAME)));
                  return CloseManageDialog();
              }});
    // The toolbar's button opens nothing without a camera.
    PressCalibration();
    EXPECT_EQ(FindDialog(nullptr), nullptr);
}
