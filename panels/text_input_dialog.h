// The modeless dialog in which a text note is typed while it is shown, framed, on the picture.
#pragma once

#include <windows.h>

// The dialog while it is open; the message loop hands it its messages (IsDialogMessage).
extern HWND g_hTextInputDlg;

// Opens the dialog over `owner` (the main window) and starts the note in the view. Returns the
// dialog, or null when it could not be made.
HWND CreateTextInputDialog(HWND owner);

// Opens the dialog for the Text tool over `owner` (pendingPhase 12), unless it is open already or
// there is no camera view.
void BeginTextNote(HWND owner);
