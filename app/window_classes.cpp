#include "app/window_classes.h"

#include "app/main_window.h"
#include "panels/colors_section.h"
#include "panels/control_panel.h"
#include "panels/device_section.h"
#include "panels/files_section.h"
#include "panels/image_viewer.h"
#include "panels/preview_section.h"
#include "panels/section_header.h"
#include "panels/tool_button.h"
#include "panels/toolbar.h"
#include "resources/resource.h"
#include "view/camera_view.h"

namespace {

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
        {kCtrlPanelWndClass, ControlPanelWndProc, 0, kRecordSlot, Background::ButtonFace, false},
        {kCtrlPanelHeaderWndClass, SectionHeaderWndProc, CS_HREDRAW, kRecordSlot, Background::None, false},
        {kCtrlPanelSourceWndClass, DeviceSectionWndProc, CS_HREDRAW, kRecordSlot, Background::ButtonFace,
         false},
        {kCtrlPanelFlipWndClass, PreviewSectionWndProc, CS_HREDRAW, kRecordSlot, Background::ButtonFace,
         false},
        {kCtrlPanelColorWndClass, ColorsSectionWndProc, CS_HREDRAW, kRecordSlot, Background::ButtonFace,
         false},
        {kCtrlPanelFilesWndClass, FilesSectionWndProc, CS_HREDRAW, kRecordSlot, Background::ButtonFace,
         false},
        {kToolButtonWndClass, ToolButtonWndProc, 0, kRecordSlot, Background::None, false},
        {kImageWndClass, ImageWndProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, kRecordSlot, Background::None,
         false},
    };

    int registered = 0;
    for (const ClassSpec& cls : classes) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = cls.style;
        wc.lpfnWndProc = cls.proc;
        wc.cbWndExtra = cls.extraBytes;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = BackgroundBrush(cls.background);
        wc.lpszClassName = cls.name;
        if (cls.programIcon) {
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
