#include "view/view_commands.h"

#include "measure/overlay_plan.h"
#include "view/view_messages.h"

void SendViewCommand(HWND view, int command, LPARAM lParam) {
    if (view)
        SendMessageW(view, WM_COMMAND, MAKEWPARAM(command, 0), lParam);
}

void SetViewStyle(HWND view, COLORREF gridColor, COLORREF lineColor, int lineWidth, COLORREF textColor,
                  int textSize) {
    const ViewStyle style = {gridColor, lineColor, lineWidth, textColor, textSize};
    SendViewCommand(view, VIEW_CMD_STYLE, reinterpret_cast<LPARAM>(&style));
}

void SetViewZoom(HWND view, int percent) {
    SendViewCommand(view, VIEW_CMD_ZOOM, percent);
}

void SetViewScale(HWND view, float scale, int unit) {
    const ViewScale value = {scale, unit};
    SendViewCommand(view, VIEW_CMD_SCALE, reinterpret_cast<LPARAM>(&value));
}
