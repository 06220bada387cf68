// Entry point: brings the platform libraries up, registers the window classes, loads the settings,
// creates the main window and runs the message loop; shuts the libraries down in reverse order.
#include "base/app_settings.h"
#include "capture/capture_session.h"
#include "output/image_encoders.h"
#include "app/main_window.h"
#include "base/gdi_holders.h"
#include "panels/calibration_dialogs.h"
#include "panels/text_input_dialog.h"
#include "output/settings_store.h"
#include "app/window_classes.h"
#include "capture/video_format.h"
#include "output/media_foundation_api.h"
#include "panels/tool_button.h"

#include <commctrl.h>
#include <gdiplus.h>
#include <objbase.h>

namespace {

int RunMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            break;
        // The modeless dialogs need their own Tab and Enter handling; calibration is asked first.
        if (g_hCalibrateDlg && IsWindow(g_hCalibrateDlg) && IsDialogMessageW(g_hCalibrateDlg, &msg))
            continue;
        if (g_hTextInputDlg && IsWindow(g_hTextInputDlg) && IsDialogMessageW(g_hTextInputDlg, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return got == -1 ? 0 : static_cast<int>(msg.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    const HRESULT comResult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HRESULT mfResult = StartMediaFoundation();

    int exitCode = 0;
    {
        // GDI+ goes before Media Foundation and COM.
        const GdiplusSession gdiplus;
        INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xC31F};
        InitCommonControlsEx(&controls);
        LoadLibraryW(L"Msftedit.dll"); // rich edit, kept for the life of the process
        if (gdiplus.Ok())
            LookupImageEncoders();

        RegisterWindowClasses(instance);
        SetToolButtonFaceColor(kToolbarFaceColor);
        if (ToolButtonStripMarker() == 0)
            LoadToolButtonImages(instance);
        LoadSettings();
        g_capture.requestedFormat = FormatFromSettings(g_settings.useMjpg, g_settings.frameWidth,
                                                       g_settings.frameHeight, g_settings.interpolated);

        if (CreateMainWindow(instance)) {
            ShowWindow(g_mainWindow.window, SW_MAXIMIZE);
            UpdateWindow(g_mainWindow.window);
            exitCode = RunMessageLoop();
        }
    }
    if (SUCCEEDED(mfResult))
        StopMediaFoundation();
    if (SUCCEEDED(comResult))
        CoUninitialize();
    return exitCode;
}
