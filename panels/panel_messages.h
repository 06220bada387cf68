// What the panels, the toolbar and the dialogs send: between the control panel and its sections,
// and to the main window.
#pragma once

#include "base/app_message_base.h"

inline constexpr unsigned UM_SECTION_SIZE = kWmApp + 7;   // control panel -> a section (sent)
inline constexpr unsigned UM_SECTION_EXPAND = kWmApp + 8; // header -> section; section -> panel
inline constexpr unsigned UM_THUMB_CLICKED = kWmApp + 10; // wParam: 0 click, 1 double click

// WM_COMMAND numbers sent between windows (not produced by controls).
inline constexpr int CMD_APPLY_STYLE = 1008;     // Options dialog -> main window
inline constexpr int CMD_SCALE_CHANGED = 1011;   // calibration dialogs, camera opened -> main window
inline constexpr int CMD_TEXT_INPUT_DONE = 1014; // text-input dialog -> main window
inline constexpr int CMD_REFRESH_TEXTS = 1039;   // after a language change -> toolbar, control panel

// Device-section buttons.
inline constexpr int IDC_SETTING = 3007;
inline constexpr int IDC_PHOTO = 3008;
inline constexpr int IDC_VIDEO = 3009;
inline constexpr int IDC_FILES = 3010;

// Toolbar buttons.
inline constexpr int IDC_TOOL_CALIBRATE = 3017;
inline constexpr int IDC_TOOL_LINE = 3021;
inline constexpr int IDC_TOOL_PARALLEL = 3022;
inline constexpr int IDC_TOOL_CIRCLE = 3023;
inline constexpr int IDC_TOOL_RECTANGLE = 3024;
inline constexpr int IDC_TOOL_ANGLE = 3025;
inline constexpr int IDC_TOOL_PENCIL = 3026;
inline constexpr int IDC_TOOL_TEXT = 3027;
inline constexpr int IDC_TOOL_DELETE_LAST = 3028;
inline constexpr int IDC_TOOL_DELETE_ALL = 3029;
inline constexpr int IDC_TOOL_DRAG = 3030;
inline constexpr int IDC_TOOL_CONCENTRIC = 3039;
inline constexpr int IDC_TOOL_ARROW = 3068;
inline constexpr int IDC_TOOL_CROSSHAIR = 3090;

// A tool button's check command: WM_COMMAND with this notification code, lParam = checked.
inline constexpr int kToolButtonCheckCode = 1;
