#include "view/view_commands.h"

#include "measure/overlay_plan.h"
#include "view/view_messages.h"

HWND g_hCameraView = nullptr;

void SendViewCommand(int command, LPARAM lParam) {
    if (g_hCameraView)
        SendMessageW(g_hCameraView, WM_COMMAND, MAKEWPARAM(command, 0), lParam);
}

void SetViewStyle(COLORREF gridColor, COLORREF lineColor, int lineWidth, COLORREF textColor, int textSize) {
    const ViewStyle style = {gridColor, lineColor, lineWidth, textColor, textSize};
    SendViewCommand(VIEW_CMD_STYLE, reinterpret_cast<LPARAM>(&style));
}

void SetViewZoom(int percent) {
    SendViewCommand(VIEW_CMD_ZOOM, percent);
}

void SetViewScale(float scale, int unit) {
    const ViewScale value = {scale, unit};
    SendViewCommand(VIEW_CMD_SCALE, reinterpret_cast<LPARAM>(&value));
}
