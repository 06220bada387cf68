#include "app/main_window.h"

#include "capture/capture_session.h"
#include "base/win32_window.h"
#include "capture/capture_messages.h"
#include "measure/overlay_plan.h"
#include "panels/panel_messages.h"
#include "view/view_messages.h"
#include "base/app_settings.h"
#include "base/display_scale.h"
#include "app/main_layout.h"
#include "base/string_table.h"
#include "app/tool_commands.h"
#include "base/window_dpi.h"
#include "app/window_classes.h"
#include "output/settings_store.h"
#include "capture/capture_graph.h"
#include "capture/video_format.h"
#include "measure/calibration.h"
#include "measure/measure_tool.h"
#include "view/measure_view.h"
#include "view/camera_view.h"
#include "output/photo.h"
#include "output/record_dialog.h"
#include "output/recent_files.h"
#include "panels/options_dialog.h"
#include "panels/tool_button.h"
#include "view/view_commands.h"
#include "panels/calibration_dialogs.h"
#include "panels/files_section.h"
#include "panels/text_input_dialog.h"

#include <commctrl.h>
#include <shlobj.h>

MainWindowState g_mainWindow;

namespace {

// The panel is as wide as 126 dialog units of the system font, carried over to the window's DPI
// where the window sits on a monitor of another scale than the system's.
int PanelWidthForDpi(int dpi) {
    const int systemWidth = DialogUnitsToPixelsX(kPanelWidthDialogUnits, LOWORD(GetDialogBaseUnits()));
    return ScaleBetweenDpis(systemWidth, SystemDpi(), dpi);
}

void ToggleCrosshair();
void OnScaleChanged();

bool IsCameraOpen() {
    return IsCaptureGraphOpen();
}

void DestroyTextInputDialog() {
    if (g_hTextInputDlg) {
        DestroyWindow(g_hTextInputDlg);
        g_hTextInputDlg = nullptr;
    }
}

void SetRequestedFormatFromSettings() {
    g_capture.requestedFormat = FormatFromSettings(g_settings.useMjpg, g_settings.frameWidth,
                                                   g_settings.frameHeight, g_settings.interpolated);
}

void ApplySettingsStyle() {
    SetViewStyle(g_mainWindow.cameraView, g_settings.gridColor, g_settings.lineColor, g_settings.lineWidth,
                 g_settings.textColor, g_settings.textSize);
}

void CreateChildren(HWND hwnd) {
    g_mainWindow.tooltip = CreateWindowExW(
        0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, ProgramInstance(), nullptr);
    if (g_mainWindow.tooltip) {
        SetWindowPos(g_mainWindow.tooltip, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageW(g_mainWindow.tooltip, TTM_ACTIVATE, TRUE, 0);
    }

    g_mainWindow.toolbar = CreateWindowExW(
        0, kToolbarWndClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 600,
        ScaleForDpi(kToolbarHeight, g_mainWindow.dpi), hwnd, reinterpret_cast<HMENU>(INT_PTR{kIdToolbar}),
        ProgramInstance(), g_mainWindow.tooltip);

    SetRequestedFormatFromSettings();
    g_mainWindow.cameraView = CreateWindowExW(
        0, kCameraWndClass, nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | WS_HSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 0, 0,
        0, hwnd, reinterpret_cast<HMENU>(INT_PTR{kIdCameraView}), ProgramInstance(), nullptr);
    if (g_mainWindow.cameraView) {
        ShowScrollBar(g_mainWindow.cameraView, SB_BOTH, FALSE);
        ApplySettingsStyle();
        SetViewTexts(g_mainWindow.cameraView, GetText("no device"), GetText("input tip"));
        InvalidateRect(g_mainWindow.cameraView, nullptr, TRUE);
    }

    g_mainWindow.panelWidth = PanelWidthForDpi(g_mainWindow.dpi);
    FilesSectionCreation files = {g_mainWindow.panelWidth, &g_mainWindow.recentFiles};
    g_mainWindow.controlPanel =
        CreateWindowExW(0, kCtrlPanelWndClass, nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL, 0, 0, 0, 0,
                        hwnd, reinterpret_cast<HMENU>(INT_PTR{kIdControlPanel}), ProgramInstance(), &files);
    if (g_mainWindow.controlPanel)
        ShowScrollBar(g_mainWindow.controlPanel, SB_VERT, FALSE);
}

void OnCommand(HWND hwnd, int command, WPARAM wParam, LPARAM lParam) {
    const int tool = ToolForCommand(command);
    if (tool >= 0) {
        SelectTool(tool);
        return;
    }
    switch (command) {
        case CMD_APPLY_STYLE:
            ApplySettingsStyle();
            return;
        case CMD_REFRESH_TEXTS: // the language changed (Options)
            if (g_mainWindow.controlPanel)
                PostMessageW(g_mainWindow.controlPanel, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0), 0);
            if (g_mainWindow.toolbar)
                PostMessageW(g_mainWindow.toolbar, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0), 0);
            return;
        case CMD_TEXT_INPUT_DONE:
            SelectTool(TOOL_DRAG);
            ShowToolButtonState(TOOL_TEXT, 0);
            ShowToolButtonState(TOOL_DRAG, 1);
            return;
        case IDC_FILES:
            OpenSaveFolder();
            return;
        case CMD_TAKE_PHOTO:
        case IDC_PHOTO:
            TakePhoto(hwnd, g_mainWindow.cameraView, g_mainWindow.recentFiles, g_mainWindow.controlPanel);
            return;
        case CMD_SCALE_CHANGED:
            OnScaleChanged();
            return;
        case IDC_SETTING:
            ShowOptionsDialog(hwnd);
            return;
        case IDC_VIDEO:
            if (IsCameraOpen() && !g_hCalibrateDlg)
                ShowRecordDialog(hwnd, g_mainWindow.recentFiles, g_mainWindow.controlPanel);
            return;
        case IDC_TOOL_CALIBRATE:
            if (IsCameraOpen())
                StartCalibration(hwnd, g_mainWindow.manageCalibrations);
            return;
        case IDC_TOOL_CROSSHAIR:
            ToggleCrosshair();
            return;
        case IDC_TOOL_DELETE_LAST:
        case IDC_TOOL_DELETE_ALL:
            if (IsCameraOpen() && !g_hCalibrateDlg)
                DeleteViewShapes(g_mainWindow.cameraView, command == IDC_TOOL_DELETE_ALL);
            return;
        case IDC_TOOL_TEXT:
            if (IsCameraOpen() && !g_hCalibrateDlg) {
                SelectTool(TOOL_TEXT);
            } else {
                SelectTool(TOOL_DRAG);
                ShowToolButtonState(TOOL_TEXT, 0);
                ShowToolButtonState(TOOL_DRAG, 1);
            }
            SetViewZoom(g_mainWindow.cameraView, 100);
            return;
        default:
            DefWindowProcW(hwnd, WM_COMMAND, wParam, lParam);
            return;
    }
}

void ShowCrosshairButton(bool on) {
    if (g_mainWindow.toolbar) {
        SendMessageW(g_mainWindow.toolbar, WM_COMMAND, MAKEWPARAM(IDC_TOOL_CROSSHAIR, kToolButtonCheckCode),
                     static_cast<LPARAM>(on));
    }
}

void ToggleCrosshair() {
    CameraViewState* view = CameraViewStateOf(g_mainWindow.cameraView);
    if (!view)
        return;
    view->crosshair = !view->crosshair;
    SetViewZoom(g_mainWindow.cameraView, 100);
    InvalidateRect(g_mainWindow.cameraView, nullptr, FALSE);
    ShowCrosshairButton(view->crosshair);
}

// A calibration was applied: measuring works at 100 % with the crosshair and its ruler shown.
void OnScaleChanged() {
    CameraViewState* view = CameraViewStateOf(g_mainWindow.cameraView);
    if (!view || !(view->scale > 0.0f))
        return;
    SetViewZoom(g_mainWindow.cameraView, 100);
    if (!view->crosshair) {
        view->crosshair = true;
        InvalidateRect(g_mainWindow.cameraView, nullptr, FALSE);
        ShowCrosshairButton(true);
    }
}

MinTrackSize WorkAreaOf(HWND hwnd) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info))
        return {0, 0};
    return {info.rcWork.right - info.rcWork.left, info.rcWork.bottom - info.rcWork.top};
}

void OnCameraOpened(HWND hwnd) {
    EnsureCaptureFormats();
    g_settings.useMjpg = g_capture.requestedFormat.subtype == kFourccMjpg ? 1 : 0;
    g_settings.frameWidth = g_capture.requestedFormat.width;
    g_settings.frameHeight = g_capture.requestedFormat.height;
    g_settings.interpolated = g_capture.requestedFormat.interpolated;
    SaveSettings();
    g_calibration.active = -1;
    SetViewScale(g_mainWindow.cameraView, -1.0f, 0);
    // Large pictures start fitted to the window.
    SetViewZoom(g_mainWindow.cameraView, g_settings.frameWidth < 1920 ? 100 : 0);
    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(CMD_SCALE_CHANGED, 0), 0);
    if (g_mainWindow.controlPanel)
        PostMessageW(g_mainWindow.controlPanel, UM_PANEL_REFRESH, kRefreshCamera, 0);
}

// The window moved to a monitor of another scale (or the scale changed): take the size the system
// suggests for it and lay everything out again at the new DPI.
void OnDpiChanged(HWND hwnd, int dpi, const RECT* suggested) {
    g_mainWindow.dpi = UsableDpi(dpi);
    g_mainWindow.panelWidth = PanelWidthForDpi(g_mainWindow.dpi);
    for (HWND child : {g_mainWindow.toolbar, g_mainWindow.cameraView})
        if (child) // newer systems tell the children themselves; telling them twice does no harm
            SendMessageW(child, WM_DPICHANGED_AFTERPARENT, 0, 0);
    if (suggested) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayoutChildren();
}

void OnCameraClosed() {
    SelectTool(TOOL_DRAG);
    DestroyTextInputDialog();
    if (g_hCalibrateDlg) {
        DestroyWindow(g_hCalibrateDlg);
        g_hCalibrateDlg = nullptr;
        if (CameraViewState* view = CameraViewStateOf(g_mainWindow.cameraView)) // out of calibration mode
            view->calibLineLength = 0;
    }
    if (g_mainWindow.controlPanel)
        PostMessageW(g_mainWindow.controlPanel, UM_PANEL_REFRESH, kRefreshCamera, 0);
}

} // namespace

HWND CreateMainWindow(HINSTANCE instance) {
    g_mainWindow.window =
        CreateWindowExW(0, kMainWndClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    return g_mainWindow.window;
}

void LayoutChildren() {
    if (!g_mainWindow.window)
        return;
    RECT client = {};
    GetClientRect(g_mainWindow.window, &client);
    const MainLayout layout = ComputeMainLayoutForDpi(client.right - client.left, client.bottom - client.top,
                                                      g_mainWindow.panelWidth, g_mainWindow.dpi);

    struct Placement {
        HWND window;
        LayoutRect rect;
    };
    const Placement placements[] = {
        {g_mainWindow.controlPanel, layout.panel},
        {g_mainWindow.toolbar, layout.toolbar},
        {g_mainWindow.cameraView, layout.view},
    };
    HDWP batch = BeginDeferWindowPos(3);
    for (const Placement& p : placements) {
        if (!p.window)
            continue;
        if (batch) {
            batch = DeferWindowPos(batch, p.window, nullptr, p.rect.x, p.rect.y, p.rect.width, p.rect.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (!batch) // the batch failed: place the rest one by one
            MoveWindow(p.window, p.rect.x, p.rect.y, p.rect.width, p.rect.height, TRUE);
    }
    if (batch)
        EndDeferWindowPos(batch);
}

int CurrentTool() {
    return g_mainWindow.currentTool;
}

void ShowToolButtonState(int tool, int checked) {
    if (g_mainWindow.toolbar) {
        SendMessageW(g_mainWindow.toolbar, WM_COMMAND,
                     MAKEWPARAM(ToolButtonForTool(tool), kToolButtonCheckCode), static_cast<LPARAM>(checked));
    }
}

void SelectTool(int tool) {
    if (tool == g_mainWindow.currentTool)
        return;
    ShowToolButtonState(g_mainWindow.currentTool, 0);
    ShowToolButtonState(tool, 1);
    g_mainWindow.currentTool = tool;
    SendViewCommand(g_mainWindow.cameraView, VIEW_CMD_TOOL, tool);
    SetViewZoom(g_mainWindow.cameraView, 100); // every tool works at 100 % only

    // The text tool opens its input dialog; every other tool closes it.
    if (tool != TOOL_TEXT)
        DestroyTextInputDialog();
    else if (IsCameraOpen())
        BeginTextNote(g_mainWindow.window);
}

std::wstring ChooseSaveFolderItem(const std::wstring& saveFolder, const std::wstring& lastSavedPath) {
    if (!lastSavedPath.empty())
        return lastSavedPath;
    for (const wchar_t* extension : {L"jpg", L"png", L"mp4"}) {
        const std::wstring pattern = saveFolder + L"\\*." + extension;
        WIN32_FIND_DATAW found = {};
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        FindClose(search);
        return saveFolder + L"\\" + found.cFileName;
    }
    return saveFolder;
}

void StepDigitalZoom() {
    CameraViewState* view = CameraViewStateOf(g_mainWindow.cameraView);
    if (!view || !g_capture.currentFormat.interpolated)
        return;
    const int next = (view->digitalZoomStep + 1) % 6;
    if (next != view->digitalZoomStep) {
        view->digitalZoomStep = next;
        InvalidateRect(g_mainWindow.cameraView, nullptr, FALSE);
    }
}

void OpenSaveFolder() {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return;
    const std::wstring item =
        ChooseSaveFolderItem(g_settings.saveFolder, g_mainWindow.recentFiles.lastSavedPath);
    link->SetPath(item.c_str());
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (SUCCEEDED(link->GetIDList(&pidl)) && pidl) {
        SHOpenFolderAndSelectItems(pidl, 0, nullptr, 0);
        CoTaskMemFree(pidl);
    }
    link->Release();
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            g_mainWindow.window = hwnd;
            g_mainWindow.dpi = WindowDpi(hwnd);
            CreateChildren(hwnd);
            LayoutChildren();
            if (g_mainWindow.controlPanel) {
                PostMessageW(g_mainWindow.controlPanel, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_TEXTS, 0), 0);
                PostMessageW(g_mainWindow.controlPanel, UM_PANEL_REFRESH, kRefreshCamera, 0);
            }
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const MinTrackSize size = MinTrackSizeForDpi(g_mainWindow.dpi, WorkAreaOf(hwnd));
            info->ptMinTrackSize.x = size.width;
            info->ptMinTrackSize.y = size.height;
            return 0;
        }
        case WM_DPICHANGED:
            OnDpiChanged(hwnd, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SIZE:
            LayoutChildren();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: // the children are gone
            g_mainWindow.toolbar = g_mainWindow.controlPanel = g_mainWindow.cameraView = nullptr;
            g_mainWindow.tooltip = nullptr;
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        case WM_COMMAND:
            OnCommand(hwnd, LOWORD(wParam), wParam, lParam);
            return 0;
        case UM_DEVICES_CHANGED:
            if (g_mainWindow.controlPanel)
                PostMessageW(g_mainWindow.controlPanel, UM_PANEL_REFRESH, kRefreshDevices, 0);
            return 0;
        case UM_CAMERA_CLOSED:
            OnCameraClosed();
            return 0;
        case UM_CAMERA_OPENED:
            OnCameraOpened(hwnd);
            return 0;
        case UM_STILL_BUTTON:
            TakePhoto(hwnd, g_mainWindow.cameraView, g_mainWindow.recentFiles, g_mainWindow.controlPanel);
            return 0;
        case UM_ZOOM_STEP:
            StepDigitalZoom();
            return 0;
        case UM_PANEL_REFRESH: // from the view: its zoom changed
            if (wParam == kRefreshZoom && g_mainWindow.controlPanel)
                PostMessageW(g_mainWindow.controlPanel, UM_PANEL_REFRESH, kRefreshZoom, 0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
