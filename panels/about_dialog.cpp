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
            PlaceDialogOver(dialog, GetWindow(dialog, GW_OWNER));
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

INT_PTR ShowAboutDialog(HWND owner) {
    return DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDlgProc, 0);
}
