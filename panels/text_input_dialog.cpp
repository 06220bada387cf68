#include "panels/text_input_dialog.h"

#include "base/win32_window.h"
#include "panels/panel_messages.h"
#include "view/view_messages.h"
#include "base/string_table.h"
#include "measure/shape_editor.h"
#include "resources/text_input_ids.h"
#include "view/camera_view.h"
#include "view/view_commands.h"

HWND g_hTextInputDlg = nullptr;

namespace {

constexpr int kEditLimit = 256; // characters the field takes; the note keeps 255 of them

// The camera view the note goes on: the one of the dialog's owner, the main window.
HWND ViewOf(HWND dialog) {
    return CameraViewOf(GetWindow(dialog, GW_OWNER));
}

void SendViewText(HWND dialog, NoteCommand command) {
    SendViewCommand(ViewOf(dialog), VIEW_CMD_TEXT, command);
}

void OnInit(HWND dialog) {
    SetWindowTextW(dialog, GetText("input text").c_str());
    SetDlgItemTextW(dialog, IDOK, GetText("ok").c_str());
    SetDlgItemTextW(dialog, IDCANCEL, GetText("cancel").c_str());
    SendDlgItemMessageW(dialog, IDC_TEXT_INPUT_EDIT, EM_LIMITTEXT, kEditLimit, 0);
    PlaceDialogOver(dialog, GetParent(dialog));
    SendViewText(dialog, kNoteStart);
}

// The note on the picture follows the typing.
void OnTextChanged(HWND dialog) {
    CameraViewState* view = CameraViewStateOf(ViewOf(dialog));
    if (!view)
        return;
    wchar_t text[kEditLimit + 1] = {};
    const int n = GetDlgItemTextW(dialog, IDC_TEXT_INPUT_EDIT, text, kEditLimit + 1);
    SetNoteText(view->measure, std::wstring_view(text, static_cast<size_t>(n > 0 ? n : 0)));
    InvalidateRect(view->window, nullptr, FALSE);
}

void Finish(HWND dialog, NoteCommand command) {
    SendViewText(dialog, command);
    if (HWND owner = GetWindow(dialog, GW_OWNER))
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(CMD_TEXT_INPUT_DONE, 0), 0);
    DestroyWindow(dialog);
    if (g_hTextInputDlg == dialog)
        g_hTextInputDlg = nullptr;
}

INT_PTR CALLBACK TextInputDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            OnInit(dialog);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_TEXT_INPUT_EDIT:
                    if (HIWORD(wParam) == EN_CHANGE)
                        OnTextChanged(dialog);
                    return TRUE;
                case IDOK:
                    Finish(dialog, kNoteAdd);
                    return TRUE;
                case IDCANCEL:
                    Finish(dialog, kNoteCancel);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

} // namespace

HWND CreateTextInputDialog(HWND owner) {
    HWND dialog =
        CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_TEXT_INPUT), owner, TextInputDlgProc, 0);
    if (dialog)
        ShowWindow(dialog, SW_SHOW);
    return dialog;
}

void BeginTextNote(HWND owner) {
    CameraViewState* v = CameraViewStateOf(CameraViewOf(owner));
    if (!v || g_hTextInputDlg)
        return;
    v->measure.pendingPhase = kPhaseTextInput;
    g_hTextInputDlg = CreateTextInputDialog(owner);
}
