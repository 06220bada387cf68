#include "app/window_classes.h"

#include "app/main_window.h"
#include "panels/tool_button.h"
#include "panels/toolbar.h"
#include "resources/resource.h"
#include "view/camera_view.h"

namespace {

// Windows whose own procedures are not part of the program yet behave as plain children:
// they can be created, sized and destroyed.
LRESULT CALLBACK PlainChildWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

enum class Background { None, Window, LightGray, ToolbarFace, ButtonFace };

struct ClassSpec {
    const wchar_t* name;
    WNDPROC proc;
    UINT style;
    int extraBytes;
    Background background;
    bool programIcon;
};

HBRUSH BackgroundBrush(Background background) {
    switch (background) {
        case Background::Window:
            return reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        case Background::LightGray:
            return static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
        case Background::ToolbarFace:
            return CreateSolidBrush(kToolbarFaceColor);
        case Background::ButtonFace:
            return reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        case Background::None:
            break;
    }
    return nullptr;
}

} // namespace

int RegisterWindowClasses(HINSTANCE instance) {
    // Each child keeps its own record in its first extra window word.
    constexpr int kRecordSlot = sizeof(LONG_PTR);
    const ClassSpec classes[] = {
        {kMainWndClass, MainWndProc, 0, 0, Background::Window, true},
        {kCameraWndClass, CameraViewWndProc, 0, kRecordSlot, Background::LightGray, false},
        {kToolbarWndClass, ToolbarWndProc, 0, kRecordSlot, Background::ToolbarFace, false},
        {kCtrlPanelWndClass, PlainChildWndProc, 0, kRecordSlot, Background::ButtonFace, false},
        {kCtrlPanelHeaderWndClass, PlainChildWndProc, CS_HREDRAW, kRecordSlot, Background::None, false},
        {kCtrlPanelSourceWndClass, PlainChildWndProc, CS_HREDRAW, kRecordSlot, Background::ButtonFace, false},
        {kCtrlPanelFlipWndClass, PlainChildWndProc, CS_HREDRAW, kRecordSlot, Background::ButtonFace, false},
        {kCtrlPanelColorWndClass, PlainChildWndProc, CS_HREDRAW, kRecordSlot, Background::ButtonFace, false},
        {kCtrlPanelFilesWndClass, PlainChildWndProc, CS_HREDRAW, kRecordSlot, Background::ButtonFace, false},
        {kToolButtonWndClass, ToolButtonWndProc, 0, kRecordSlot, Background::None, false},
        {kImageWndClass, PlainChildWndProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, kRecordSlot,
         Background::None, false},
    };

    int registered = 0;
    for (const ClassSpec& spec : classes) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = spec.style;
        wc.lpfnWndProc = spec.proc;
        wc.cbWndExtra = spec.extraBytes;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = BackgroundBrush(spec.background);
        wc.lpszClassName = spec.name;
        if (spec.programIcon) {
            wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
            wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0));
        }
        if (RegisterClassExW(&wc))
            ++registered;
    }
    return registered;
}
