// Application messages and the WM_COMMAND numbers that the program's windows exchange.
// Kept free of windows.h so pure code and tests can use the numbers too.
#pragma once

inline constexpr unsigned kWmApp = 0x8000; // WM_APP

// The same number may mean different things to different receivers; each name is one meaning.
inline constexpr unsigned UM_GRAPH_EVENT = kWmApp + 1;       // capture graph -> camera view
inline constexpr unsigned UM_DEVICES_CHANGED = kWmApp + 1;   // camera view -> main window
inline constexpr unsigned UM_CAMERA_OPENED = kWmApp + 2;     // capture -> view -> main window
inline constexpr unsigned UM_CAMERA_CLOSED = kWmApp + 3;     // capture -> view -> main window
inline constexpr unsigned UM_STILL_BUTTON = kWmApp + 4;      // still pin -> view -> main window
inline constexpr unsigned UM_PANEL_REFRESH = kWmApp + 6;     // wParam: kRefresh* reason
inline constexpr unsigned UM_ZOOM_STEP = kWmApp + 7;         // preview callback -> view -> main
inline constexpr unsigned UM_SECTION_SIZE = kWmApp + 7;      // control panel -> a section (sent)
inline constexpr unsigned UM_SECTION_EXPAND = kWmApp + 8;    // header -> section; section -> panel
inline constexpr unsigned UM_RECENT_FILE_ADDED = kWmApp + 9; // wParam: index of the newest file
inline constexpr unsigned UM_THUMB_CLICKED = kWmApp + 10;    // wParam: 0 click, 1 double click

// UM_PANEL_REFRESH reasons.
inline constexpr unsigned kRefreshCamera = 1;   // camera opened or closed, or the format changed
inline constexpr unsigned kRefreshDevices = 11; // the device list was enumerated again
inline constexpr unsigned kRefreshZoom = 12;    // the view's zoom changed, whatever changed it

// Child window identifiers of the main window.
inline constexpr int kIdToolbar = 107;
inline constexpr int kIdCameraView = 108;
inline constexpr int kIdControlPanel = 109;

// WM_COMMAND numbers sent between windows (not produced by controls).
inline constexpr int CMD_TAKE_PHOTO = 11;        // camera view (Space) -> main window
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

// Commands to the camera view.
inline constexpr int VIEW_CMD_STYLE = 8001; // lParam: const ViewStyle*
inline constexpr int VIEW_CMD_TOOL = 8002;  // lParam: MeasureTool
inline constexpr int VIEW_CMD_ZOOM = 8003;  // lParam: percent, or outside 50..200 for fit-to-window
inline constexpr int VIEW_CMD_SCALE = 8004; // lParam: const ViewScale*
inline constexpr int VIEW_CMD_TEXT = 8005;  // text note

// Payloads of the view commands that carry a pointer.
struct ViewStyle {
    unsigned gridColor;
    unsigned lineColor;
    int lineWidth;
    unsigned textColor;
    int textSize;
};
struct ViewScale {
    float scale;
    int unit;
};
