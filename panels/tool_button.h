// The owner-drawn tool buttons of the toolbar (window class "zToolButtonWndClass"): a 40 x 40
// image from the shared strip on a 52 x 52 face (larger at higher display scales), a tooltip, and a
// translucent green wash for the hover, pressed and checked states. A click is posted to the parent as
// WM_COMMAND with the button's identifier.
#pragma once

#include "panels/panel_messages.h"

#include "panels/tool_button_face.h"

#include "base/gdi_holders.h"

#include <windows.h>

#include <optional>

// WM_COMMAND notification codes the owner sends to a button (the low word is the button's id):
// check: lParam = checked (non-zero) or not; tip: lParam = const wchar_t* new tip text.
inline constexpr int kToolButtonCheckCommand = kToolButtonCheckCode;
inline constexpr int kToolButtonTipCommand = 6;

// One button's record, in its first extra window word from WM_CREATE to WM_DESTROY.
struct ToolButtonState {
    int x, y;          // position in the parent as created
    int width, height; // face size, follows WM_SIZE
    int imageX, imageY;
    int imageWidth, imageHeight;
    std::optional<OffscreenBitmap> back; // off-screen face, as large as the button
    int checked;                         // set only by the owner's check command
    int hover;
    int pressed;
    wchar_t tipText[kTipTextCapacity];
    HWND tooltip; // the tooltip the button is registered with; null for none
};

// The button's off-screen face; null while it has none.
HDC ToolButtonFaceDc(const ToolButtonState& data);

// Colour of every face; set once at start-up before the first button is made.
void SetToolButtonFaceColor(COLORREF color);
COLORREF ToolButtonFaceColor();

// Loads the image strips (bitmap 137 for 100 %, 138 and 139 for larger scales) and makes the green wash, both
// kept for the life of the process. Returns 1 on success, 0 on failure or when the strip is already loaded.
int LoadToolButtonImages(HINSTANCE instance);

// The strip's resource number once LoadToolButtonImages has loaded it, 0 before.
int ToolButtonStripMarker();

// Makes a button at (x, 0) in `parent` showing the strip image at imageX, and registers it with
// `tooltip` (the one every button of the main window shares; null for none) when the tip text is
// not empty. Returns null when the window cannot be made.
HWND CreateToolButton(HWND parent, int id, int x, int imageX, const wchar_t* tipText, HWND tooltip);
// The same at a place and strip image chosen for the window's DPI (PlaceToolButton).
HWND CreateToolButton(HWND parent, int id, const ToolButtonPlace& place, const wchar_t* tipText,
                      HWND tooltip);

// Moves a button to a new place and image after the window's DPI changed.
void MoveToolButton(HWND button, const ToolButtonPlace& place);

LRESULT CALLBACK ToolButtonWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
