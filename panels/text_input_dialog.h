// The modeless dialog in which a text note is typed while it is shown, framed, on the picture.
#pragma once

#include <windows.h>

// Opens the dialog over `owner` (the main window) and starts the note in the view. Returns the
// dialog, or null when it could not be made.
HWND CreateTextInputDialog(HWND owner);
