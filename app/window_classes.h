// The program's window classes, registered once at start-up and never unregistered.
#pragma once

#include "panels/panel_classes.h"

#include <windows.h>

inline constexpr wchar_t kMainWndClass[] = L"VantixWndClass";
inline constexpr wchar_t kCameraWndClass[] = L"CameraWndClass";

// Registers the eleven classes in their fixed order. Returns how many were registered.
int RegisterWindowClasses(HINSTANCE instance);
