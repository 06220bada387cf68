// Identifiers of the text-note dialog's template and controls, shared by dialogs_text.rc and
// measure/text_input_dialog.cpp. Plain defines for the resource compiler.
#pragma once

#define IDD_TEXT_INPUT 2003
#define IDC_TEXT_INPUT_EDIT 3027
