// What the camera view posts to its parent (the main window), and the commands it takes
// (WM_COMMAND with lParam as below).
#pragma once

#include "base/app_message_base.h"

inline constexpr unsigned UM_DEVICES_CHANGED = kWmApp + 1; // camera view -> main window
inline constexpr unsigned UM_PANEL_REFRESH = kWmApp + 6;   // wParam: kRefresh* reason

// UM_PANEL_REFRESH reasons: the view posts kRefreshZoom to the main window, which passes it and
// its own reasons on to the control panel.
inline constexpr unsigned kRefreshCamera = 1;   // camera opened or closed, or the format changed
inline constexpr unsigned kRefreshDevices = 11; // the device list was enumerated again
inline constexpr unsigned kRefreshZoom = 12;    // the view's zoom changed, whatever changed it

inline constexpr int CMD_TAKE_PHOTO = 11; // camera view (Space) -> main window

// Commands to the camera view.
inline constexpr int VIEW_CMD_STYLE = 8001; // lParam: const ViewStyle* (measure/overlay_plan.h)
inline constexpr int VIEW_CMD_TOOL = 8002;  // lParam: MeasureTool
inline constexpr int VIEW_CMD_ZOOM = 8003;  // lParam: percent, or outside 50..200 for fit-to-window
inline constexpr int VIEW_CMD_SCALE = 8004; // lParam: const ViewScale*
inline constexpr int VIEW_CMD_TEXT = 8005;  // lParam: NoteCommand (measure/shape_editor.h)

// The payload of VIEW_CMD_SCALE.
struct ViewScale {
    float scale;
    int unit;
};
