// What capture posts to the window that opened the camera (the camera view), which passes the
// last four on to the main window.
#pragma once

#include "base/app_message_base.h"

inline constexpr unsigned UM_GRAPH_EVENT = kWmApp + 1;   // capture graph -> camera view
inline constexpr unsigned UM_CAMERA_OPENED = kWmApp + 2; // capture -> view -> main window
inline constexpr unsigned UM_CAMERA_CLOSED = kWmApp + 3; // capture -> view -> main window
inline constexpr unsigned UM_STILL_BUTTON = kWmApp + 4;  // still pin -> view -> main window
inline constexpr unsigned UM_ZOOM_STEP = kWmApp + 7;     // preview callback -> view -> main
