#include "panels/calibration_dialogs.h"

#include "capture/capture_session.h"
#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "view/view_commands.h"
#include "output/settings_store.h"
#include "base/string_table.h"
#include "base/window_dpi.h"
#include "capture/capture_graph.h"
#include "capture/video_format.h"
#include "measure/calibration.h"
#include "measure/calibration_line.h"
#include "measure/calibration_texts.h"
#include "resources/calibration_ids.h"
#include "resources/resource.h"
#include "view/camera_view.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>

HWND g_hCalibrateDlg = nullptr;

namespace {

constexpr int kLengthTextMax = 63;
constexpr UINT kRaiseAboveOwner = WM_APP + 50; // the calibration dialog to itself

struct ManageDialogState {
    HWND list = nullptr;
    ManageCalibrationsMemory own;            // used when the opener keeps no memory
    ManageCalibrationsMemory* memory = &own; // the opener's, kept between openings
};

struct CalibrateDialogState {
    int slot = -1;
};

struct HelpDialogState {
    HBITMAP picture = nullptr;
};

bool IsSlot(int index) {
    return index >= 0 && index < static_cast<int>(kCalibrationSlots);
}

// Tells the main window.
void PostToMainWindow(HWND main, int command) {
    if (main)
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void SetText(HWND dialog, int id, const char* key) {
    SetDlgItemTextW(dialog, id, GetText(key).c_str());
}

// The main window: the first owner of the dialogs, whichever of them owns this one.
HWND MainWindowOf(HWND dialog) {
    HWND root = GetAncestor(dialog, GA_ROOTOWNER);
    return root != dialog ? root : nullptr;
}

// Moves a child by (dx, dy) within its dialog.
void ShiftChild(HWND dialog, int id, int dx, int dy) {
    HWND child = GetDlgItem(dialog, id);
    RECT r = {};
    if (!child || !GetWindowRect(child, &r))
        return;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(child, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GrowWindow(HWND window, int dx, int dy) {
    RECT r = {};
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The camera view the dialogs calibrate: the main window's.
HWND ViewOf(HWND dialog) {
    return CameraViewOf(MainWindowOf(dialog));
}

void RepaintView(HWND view) {
    if (view)
        InvalidateRect(view, nullptr, FALSE);
}

// ---- Manage dialog -------------------------------------------------------------------------------

struct ColumnSpec {
    const char* key;
    int width;
    int format;
};
constexpr ColumnSpec kColumns[kCalibrationColumnCount] = {
    {"name col", 128, LVCFMT_LEFT}, {"value col", 88, LVCFMT_RIGHT},      {"unit col", 78, LVCFMT_CENTER},
    {"date col", 118, LVCFMT_LEFT}, {"resolution col", 128, LVCFMT_LEFT},
};

// Column widths are given at 96 DPI, and grow with the list's display scale as its font does.
int ColumnWidth(HWND list, int column) {
    return MulDiv(kColumns[column].width, WindowDpi(list), 96);
}

void RefreshRow(HWND list, int row) {
    if (!IsSlot(row))
        return;
    const auto cells = CalibrationRowTexts(g_calibration.slots[row]);
    for (int column = 0; column < kCalibrationColumnCount; ++column) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(cells[column].c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
}

void BuildList(HWND list) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // A list's first column is always left-aligned: a stand-in first column lets Value and Unit
    // keep their alignment once it is gone.
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 10;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < kCalibrationColumnCount; ++i) {
        column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = ColumnWidth(list, i);
        column.pszText = const_cast<wchar_t*>(GetText(kColumns[i].key).c_str());
        column.iSubItem = i + 1;
        SendMessageW(list, LVM_INSERTCOLUMNW, i + 1, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageW(list, LVM_DELETECOLUMN, 0, 0);

    for (int row = 0; row < static_cast<int>(kCalibrationSlots); ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        RefreshRow(list, row);
    }
}

// Widens and lengthens the list (and the dialog with it) until the five columns and the ten rows
// show without scroll bars, whatever the dialog font makes of the template's units.
void FitListToSlots(HWND dialog, HWND list) {
    RECT client = {};
    GetClientRect(list, &client);
    int columnsWidth = 0;
    for (int i = 0; i < kCalibrationColumnCount; ++i)
        columnsWidth += ColumnWidth(list, i);
    const int dx = std::max(0, static_cast<int>(columnsWidth - client.right));
    RECT last = {};
    last.left = LVIR_BOUNDS;
    int dy = 0;
    if (SendMessageW(list, LVM_GETITEMRECT, kCalibrationSlots - 1, reinterpret_cast<LPARAM>(&last)))
        dy = std::max(0, static_cast<int>(last.bottom - client.bottom));
    if (dx == 0 && dy == 0)
        return;
    GrowWindow(list, dx, dy);
    for (int id : {IDC_CALIB_RENAME, IDC_CALIB_DELETE, IDC_CALIB_CALIBRATE, IDC_CALIB_APPLY})
        ShiftChild(dialog, id, dx, 0);
    ShiftChild(dialog, IDC_CALIB_HOWTO, dx, dy);
    GrowWindow(dialog, dx, dy);
}

int SelectedRow(const ManageDialogState* d) {
    return static_cast<int>(SendMessageW(d->list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectRow(HWND list, int row) {
    if (!IsSlot(row))
        return;
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

void StartRename(ManageDialogState* d, int row) {
    d->memory->rememberedRow = row;
    SetFocus(d->list);
    SendMessageW(d->list, LVM_EDITLABELW, row, 0);
}

void OnManageInit(HWND hwnd, ManageCalibrationsMemory* memory) {
    auto* d = new ManageDialogState;
    if (memory)
        d->memory = memory;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
    d->list = GetDlgItem(hwnd, IDC_CALIB_LIST);

    SetWindowTextW(hwnd, GetText("calib man").c_str());
    SetText(hwnd, IDC_CALIB_RENAME, "rename");
    SetText(hwnd, IDC_CALIB_DELETE, "delete");
    SetText(hwnd, IDC_CALIB_CALIBRATE, "calibrate");
    SetText(hwnd, IDC_CALIB_APPLY, "apply");
    SetText(hwnd, IDC_CALIB_HOWTO, "howto");

    BuildList(d->list);
    FitListToSlots(hwnd, d->list);
    POINT& savedPos = d->memory->savedPos;
    if (savedPos.x == -1 && savedPos.y == -1) {
        PlaceDialogOver(hwnd, MainWindowOf(hwnd));
        RECT r = {};
        GetWindowRect(hwnd, &r);
        savedPos = {r.left, r.top};
    } else {
        SetWindowPos(hwnd, nullptr, savedPos.x, savedPos.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SelectRow(d->list, d->memory->rememberedRow);
    SetFocus(d->list);
    if (!IsCaptureGraphOpen()) {
        EnableWindow(GetDlgItem(hwnd, IDC_CALIB_APPLY), FALSE);
        EnableWindow(GetDlgItem(hwnd, IDC_CALIB_CALIBRATE), FALSE);
    }
}

void OnDelete(HWND hwnd, ManageDialogState* d, int row) {
    d->memory->rememberedRow = row;
    if (MessageBoxW(hwnd, GetText("del data").c_str(), GetText("calibrate").c_str(),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    g_calibration.slots[row] = Calibration();
    RefreshRow(d->list, row);
    SaveSettings();
    // The slot in use is gone: the view measures in pixels again. It stays the active slot, so
    // calibrating it anew applies itself.
    if (row == g_calibration.active) {
        SetViewScale(ViewOf(hwnd), g_calibration.slots[row].scale, g_calibration.slots[row].unit);
        PostToMainWindow(MainWindowOf(hwnd), CMD_SCALE_CHANGED);
    }
}

void OnApply(HWND hwnd, ManageDialogState* d, int row) {
    d->memory->rememberedRow = row;
    g_calibration.active = row;
    HWND view = ViewOf(hwnd);
    SetViewScale(view, g_calibration.slots[row].scale, g_calibration.slots[row].unit);
    SetViewZoom(view, 100);
    PostToMainWindow(MainWindowOf(hwnd), CMD_SCALE_CHANGED);
    d->memory->rememberedRow = g_calibration.active;
    d->memory->savedPos = {-1, -1};
    EndDialog(hwnd, IDC_CALIB_APPLY);
}

void OnCalibrate(HWND hwnd, ManageDialogState* d, int row) {
    d->memory->rememberedRow = row;
    RECT r = {};
    GetWindowRect(hwnd, &r);
    d->memory->savedPos = {r.left, r.top};
    g_calibration.calibrating = row;
    EndDialog(hwnd, IDC_CALIB_CALIBRATE);
}

void OnManageCommand(HWND hwnd, ManageDialogState* d, int id) {
    switch (id) {
        case IDC_CALIB_HOWTO:
            DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_CALIB_HELP), hwnd, CalibrationHelpDlgProc,
                            0);
            return;
        case IDCANCEL:
            d->memory->savedPos = {-1, -1};
            d->memory->rememberedRow = g_calibration.active;
            EndDialog(hwnd, IDCANCEL);
            return;
        case IDC_CALIB_RENAME:
        case IDC_CALIB_DELETE:
        case IDC_CALIB_CALIBRATE:
        case IDC_CALIB_APPLY:
            break;
        default:
            return; // Enter without a default button, among others
    }
    const int row = SelectedRow(d);
    if (!IsSlot(row))
        return;
    switch (id) {
        case IDC_CALIB_RENAME:
            StartRename(d, row);
            break;
        case IDC_CALIB_DELETE:
            OnDelete(hwnd, d, row);
            break;
        case IDC_CALIB_CALIBRATE:
            OnCalibrate(hwnd, d, row);
            break;
        case IDC_CALIB_APPLY:
            OnApply(hwnd, d, row);
            break;
        default:
            break;
    }
}

// Returns the result the list asked for, when it asked for one.
bool OnManageNotify(ManageDialogState* d, const NMHDR* header, LRESULT* result) {
    if (header->hwndFrom != d->list)
        return false;
    switch (header->code) {
        case NM_DBLCLK: {
            const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
            if (IsSlot(activate->iItem))
                StartRename(d, activate->iItem);
            return false;
        }
        case LVN_BEGINLABELEDITW: {
            // The slot holds 19 characters: the editor takes no more.
            HWND edit = reinterpret_cast<HWND>(SendMessageW(d->list, LVM_GETEDITCONTROL, 0, 0));
            if (edit)
                SendMessageW(edit, EM_LIMITTEXT, kCalibrationNameMax, 0);
            *result = FALSE;
            return true;
        }
        case LVN_ENDLABELEDITW: {
            const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(header);
            const int row = info->item.iItem;
            if (info->item.pszText && IsSlot(row)) {
                g_calibration.slots[row].name = ClampCalibrationName(info->item.pszText);
                RefreshRow(d->list, row);
                SaveSettings();
            }
            *result = FALSE; // the row shows the stored name, set above
            return true;
        }
        default:
            return false;
    }
}

// ---- Calibration dialog --------------------------------------------------------------------------

void ShowChosenUnit(HWND hwnd) {
    const LRESULT unit = SendDlgItemMessageW(hwnd, IDC_CALIB_UNITS, CB_GETCURSEL, 0, 0);
    SetDlgItemTextW(hwnd, IDC_CALIB_UNIT_SHOWN, UnitText(unit == 1 ? UNIT_MICROMETRE : UNIT_MILLIMETRE));
}

void OnCalibrateInit(HWND hwnd) {
    auto* d = new CalibrateDialogState;
    d->slot = g_calibration.calibrating;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(d));

    const Calibration slot = IsSlot(d->slot) ? g_calibration.slots[d->slot] : Calibration();
    SetWindowTextW(hwnd, CalibrationDialogTitle(d->slot, slot.name).c_str());
    SetText(hwnd, IDC_CALIB_TIP1, "calib tip1");
    SetText(hwnd, IDC_CALIB_TIP2, "calib tip2");
    SetText(hwnd, IDC_CALIB_UNIT_LABEL, "unit tip");
    SetText(hwnd, IDOK, "ok");
    SetText(hwnd, IDCANCEL, "cancel");
    for (const char* key : {"mm", "um"})
        SendDlgItemMessageW(hwnd, IDC_CALIB_UNITS, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(GetText(key).c_str()));
    SendDlgItemMessageW(hwnd, IDC_CALIB_UNITS, CB_SETCURSEL, slot.unit == UNIT_MILLIMETRE ? 0 : 1, 0);
    ShowChosenUnit(hwnd);
    SendDlgItemMessageW(hwnd, IDC_CALIB_LENGTH, EM_LIMITTEXT, kLengthTextMax, 0);
    PlaceDialogOver(hwnd, MainWindowOf(hwnd));
    SetFocus(GetDlgItem(hwnd, IDC_CALIB_LENGTH));
}

// Destroys the dialog, takes the line off the picture and brings the manage dialog back.
void CloseCalibration(HWND hwnd) {
    HWND owner = MainWindowOf(hwnd);
    HWND view = CameraViewOf(owner);
    DestroyWindow(hwnd);
    g_hCalibrateDlg = nullptr;
    if (CameraViewState* v = CameraViewStateOf(view))
        v->calibLineLength = 0;
    RepaintView(view);
    PostToMainWindow(owner, IDC_TOOL_CALIBRATE);
}

void OnCalibrateOk(HWND hwnd, const CalibrateDialogState* d) {
    if (!IsSlot(d->slot))
        return;
    wchar_t text[kLengthTextMax + 1] = {};
    GetDlgItemTextW(hwnd, IDC_CALIB_LENGTH, text, kLengthTextMax + 1);
    const int unit = SendDlgItemMessageW(hwnd, IDC_CALIB_UNITS, CB_GETCURSEL, 0, 0) == 1 ? UNIT_MICROMETRE
                                                                                         : UNIT_MILLIMETRE;
    const CameraViewState* view = CameraViewStateOf(ViewOf(hwnd));
    // The line may not have been painted since it was switched on: take the length it gets.
    const int pixels = view ? CalibrationLinePixels(view->calibLineLength, view->contentWidth) : 0;
    SYSTEMTIME today = {};
    GetLocalTime(&today);
    const auto slot = CalibrateSlot(
        g_calibration.slots[d->slot], unit, pixels, text,
        CalibrationDate(today.wYear, today.wMonth, today.wDay),
        PackResolution(g_capture.currentFormat.width, std::abs(g_capture.currentFormat.height)));
    if (!slot)
        return; // no usable length: the dialog stays as it is
    g_calibration.slots[d->slot] = *slot;
    SaveSettings();
    if (d->slot == g_calibration.active) {
        SetViewScale(ViewOf(hwnd), slot->scale, slot->unit);
        SetViewZoom(ViewOf(hwnd), 100);
        PostToMainWindow(MainWindowOf(hwnd), CMD_SCALE_CHANGED);
    }
    CloseCalibration(hwnd);
}

// ---- Help dialog ---------------------------------------------------------------------------------

// The picture at its own size under the three steps, OK below it on the right.
void LayOutHelp(HWND hwnd, HelpDialogState* d) {
    HWND picture = GetDlgItem(hwnd, IDC_HOWTO_PICTURE);
    HWND ok = GetDlgItem(hwnd, IDOK);
    BITMAP info = {};
    if (!picture || !ok || !d->picture || !GetObjectW(d->picture, sizeof info, &info))
        return;
    RECT margin = {7, 7, 0, 0};
    MapDialogRect(hwnd, &margin);
    RECT pictureRect = {}, okRect = {}, client = {};
    GetWindowRect(picture, &pictureRect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&pictureRect), 2);
    GetWindowRect(ok, &okRect);
    GetClientRect(hwnd, &client);
    const int okWidth = okRect.right - okRect.left;
    const int okHeight = okRect.bottom - okRect.top;
    // The frame around the picture comes on top of the bitmap's own size.
    RECT inner = {};
    GetClientRect(picture, &inner);
    const int pictureWidth =
        static_cast<int>(info.bmWidth + (pictureRect.right - pictureRect.left) - inner.right);
    const int pictureHeight =
        static_cast<int>(info.bmHeight + (pictureRect.bottom - pictureRect.top) - inner.bottom);
    SetWindowPos(picture, nullptr, pictureRect.left, pictureRect.top, pictureWidth, pictureHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const int width = std::max(static_cast<int>(client.right),
                               static_cast<int>(pictureRect.left + pictureWidth + margin.left));
    const int okTop = static_cast<int>(pictureRect.top + pictureHeight + margin.top);
    SetWindowPos(ok, nullptr, width - margin.left - okWidth, okTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GrowWindow(hwnd, width - client.right, okTop + okHeight + margin.top - client.bottom);
}

void OnHelpInit(HWND hwnd) {
    auto* d = new HelpDialogState;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
    SetWindowTextW(hwnd, GetText("howto").c_str());
    SetText(hwnd, IDC_HOWTO_1, "howto 1");
    SetText(hwnd, IDC_HOWTO_2, "howto 2");
    SetText(hwnd, IDC_HOWTO_3, "howto 3");
    SetText(hwnd, IDOK, "ok");
    d->picture = static_cast<HBITMAP>(
        LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDB_CALIB_HELP), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (d->picture)
        SendDlgItemMessageW(hwnd, IDC_HOWTO_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(d->picture));
    LayOutHelp(hwnd, d);
    PlaceDialogOver(hwnd, MainWindowOf(hwnd));
}

} // namespace

INT_PTR CALLBACK ManageCalibrationsDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        OnManageInit(hwnd, reinterpret_cast<ManageCalibrationsMemory*>(lParam));
        return FALSE; // the list has the focus
    }
    auto* d = DialogRecord<ManageDialogState>(hwnd);
    if (!d)
        return FALSE;
    switch (msg) {
        case WM_COMMAND:
            OnManageCommand(hwnd, d, LOWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnManageNotify(d, reinterpret_cast<const NMHDR*>(lParam), &result))
                return FALSE;
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case WM_DESTROY:
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            delete d;
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK CalibrationDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        OnCalibrateInit(hwnd);
        return FALSE; // the length edit has the focus
    }
    auto* d = DialogRecord<CalibrateDialogState>(hwnd);
    if (!d)
        return FALSE;
    switch (msg) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_CALIB_UNITS:
                    if (HIWORD(wParam) == CBN_SELCHANGE)
                        ShowChosenUnit(hwnd);
                    break;
                case IDOK:
                    OnCalibrateOk(hwnd, d);
                    break;
                case IDCANCEL:
                    CloseCalibration(hwnd);
                    break;
                default:
                    break;
            }
            return TRUE;
        case WM_ACTIVATE:
            // Dragging the line activates the main window. Windows keeps an owned window above its
            // owner by itself; Wine raises the owner over it, hiding the dialog the user types in.
            if (LOWORD(wParam) == WA_INACTIVE && reinterpret_cast<HWND>(lParam) == GetWindow(hwnd, GW_OWNER))
                PostMessageW(hwnd, kRaiseAboveOwner, 0, 0);
            return FALSE;
        case kRaiseAboveOwner:
            SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return TRUE;
        case WM_DESTROY:
            if (g_hCalibrateDlg == hwnd)
                g_hCalibrateDlg = nullptr;
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            delete d;
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK CalibrationHelpDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    if (msg == WM_INITDIALOG) {
        OnHelpInit(hwnd);
        return TRUE;
    }
    auto* d = DialogRecord<HelpDialogState>(hwnd);
    if (!d)
        return FALSE;
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
                EndDialog(hwnd, LOWORD(wParam));
            return TRUE;
        case WM_DESTROY:
            SendDlgItemMessageW(hwnd, IDC_HOWTO_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, 0);
            if (d->picture)
                DeleteObject(d->picture);
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            delete d;
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR RunManageCalibrationsDialog(HWND owner, ManageCalibrationsMemory& memory) {
    return DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_CALIB_MANAGE), owner,
                           ManageCalibrationsDlgProc, reinterpret_cast<LPARAM>(&memory));
}

HWND CreateCalibrationDialog(HWND owner) {
    return CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_CALIBRATE), owner, CalibrationDlgProc,
                              0);
}

void StartCalibration(HWND owner, ManageCalibrationsMemory& memory) {
    if (g_hCalibrateDlg)
        return;
    if (RunManageCalibrationsDialog(owner, memory) != IDC_CALIB_CALIBRATE)
        return;
    // The camera may have gone while the manage dialog was open: no picture, no line to lay.
    if (!IsCaptureGraphOpen() || !IsSlot(g_calibration.calibrating))
        return;
    g_hCalibrateDlg = CreateCalibrationDialog(owner);
    if (!g_hCalibrateDlg)
        return;
    ShowWindow(g_hCalibrateDlg, SW_SHOW);
    HWND view = CameraViewOf(owner);
    SetViewZoom(view, 100);
    if (CameraViewState* v = CameraViewStateOf(view))
        v->calibLineLength = kCalibLineNew;
    RepaintView(view);
}
