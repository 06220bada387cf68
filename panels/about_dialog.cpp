#include "panels/about_dialog.h"

#include "base/win32_window.h"
#include "base/string_table.h"
#include "panels/options_model.h"
#include "resources/dialogs_options.h"

namespace {

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            SetDlgItemTextW(dialog, IDC_ABOUT_TITLE, kMainWindowTitle);
            SetDlgItemTextW(dialog, IDC_ABOUT_RIGHTS, kAboutRightsNotice);
            PlaceDialogOverOwner(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

} // namespace

void PlaceDialogOverOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (!owner)
        return;
    RECT ownerRect = {};
    RECT dialogRect = {};
    GetWindowRect(owner, &ownerRect);
    GetWindowRect(dialog, &dialogRect);
    const DialogPosition p =
        PlaceOverOwner(ownerRect.left, ownerRect.top, ownerRect.right, dialogRect.right - dialogRect.left);
    SetWindowPos(dialog, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR ShowAboutDialog(HWND owner) {
    return DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDlgProc, 0);
}
