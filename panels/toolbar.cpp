#include "panels/toolbar.h"

#include "panels/panel_messages.h"
#include "base/string_table.h"
#include "base/window_dpi.h"
#include "panels/tool_button.h"
#include "panels/tool_button_table.h"

namespace {

void CreateButtons(HWND toolbar, HWND tooltip) {
    const int dpi = WindowDpi(toolbar);
    for (int i = 0; i < kToolButtonCount; ++i) {
        const ToolButtonSpec& entry = kToolButtons[static_cast<size_t>(i)];
        CreateToolButton(toolbar, entry.id, PlaceToolButton(i, dpi), GetText(entry.tipKey).c_str(), tooltip);
    }
}

void PlaceButtons(HWND toolbar) {
    const int dpi = WindowDpi(toolbar);
    for (int i = 0; i < kToolButtonCount; ++i)
        MoveToolButton(GetDlgItem(toolbar, kToolButtons[static_cast<size_t>(i)].id), PlaceToolButton(i, dpi));
}

void RefreshTipTexts(HWND toolbar) {
    for (const ToolButtonSpec& entry : kToolButtons) {
        HWND button = GetDlgItem(toolbar, entry.id);
        if (button) {
            SendMessageW(button, WM_COMMAND, MAKEWPARAM(entry.id, kToolButtonTipCommand),
                         reinterpret_cast<LPARAM>(GetText(entry.tipKey).c_str()));
        }
    }
}

void OnCommand(HWND toolbar, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == CMD_REFRESH_TEXTS) {
        RefreshTipTexts(toolbar);
        return;
    }
    if (!IsToolButtonId(id))
        return;
    switch (code) {
        case 0: // a button's click: the main window carries it out
            PostMessageW(GetParent(toolbar), WM_COMMAND, wParam, lParam);
            return;
        case kToolButtonCheckCommand: // from the main window, for the button of that id
        case kToolButtonTipCommand:
            if (HWND button = GetDlgItem(toolbar, id))
                SendMessageW(button, WM_COMMAND, wParam, lParam);
            return;
        default:
            return;
    }
}

} // namespace

LRESULT CALLBACK ToolbarWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE: // the creation parameter: the tooltip the buttons share, or null
            CreateButtons(hwnd, static_cast<HWND>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            return 0;
        case WM_COMMAND:
            OnCommand(hwnd, wParam, lParam);
            return 0;
        case WM_DPICHANGED_AFTERPARENT:
            PlaceButtons(hwnd);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
