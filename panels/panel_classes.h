// The window classes of the toolbar, the control panel and their children, registered by the
// main window at start-up (app/window_classes.h).
#pragma once

#include <windows.h>

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
