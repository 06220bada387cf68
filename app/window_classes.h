// The program's window classes, registered once at start-up and never unregistered.
#pragma once

#include <windows.h>

inline constexpr wchar_t kMainWndClass[] = L"VantixWndClass";
inline constexpr wchar_t kCameraWndClass[] = L"CameraWndClass";
inline constexpr wchar_t kToolbarWndClass[] = L"MyToolbarWndClass";
inline constexpr wchar_t kCtrlPanelWndClass[] = L"CtrlPanelWndClass";
inline constexpr wchar_t kCtrlPanelHeaderWndClass[] = L"CtrlPanelHeaderWndClass";
inline constexpr wchar_t kCtrlPanelSourceWndClass[] = L"CtrlPanelSourceWndClass";
inline constexpr wchar_t kCtrlPanelFlipWndClass[] = L"CtrlPanelFlipWndClass";
inline constexpr wchar_t kCtrlPanelColorWndClass[] = L"CtrlPanelColorWndClass";
inline constexpr wchar_t kCtrlPanelFilesWndClass[] = L"CtrlPanelFilesWndClass";
inline constexpr wchar_t kToolButtonWndClass[] = L"zToolButtonWndClass";
inline constexpr wchar_t kImageWndClass[] = L"ImageWndClass";

inline constexpr COLORREF kToolbarFaceColor = RGB(143, 220, 220);

// Registers the eleven classes in their fixed order. Returns how many were registered.
int RegisterWindowClasses(HINSTANCE instance);
