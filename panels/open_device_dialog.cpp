#include "panels/open_device_dialog.h"

#include "capture/capture_session.h"
#include "base/win32_window.h"
#include "base/app_settings.h"
#include "output/settings_store.h"
#include "base/string_table.h"
#include "capture/capture_graph.h"
#include "capture/device_list.h"
#include "panels/device_section_layout.h"
#include "resources/dialogs_device_ids.h"
#include "view/camera_view.h"

namespace {

OpenDeviceRequest* RequestOf(HWND dialog) {
    return DialogRecord<OpenDeviceRequest>(dialog);
}

LRESULT SendItem(HWND dialog, int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(dialog, id, msg, wParam, lParam);
}

void AddText(HWND dialog, int id, UINT msg, const std::wstring& text) {
    SendItem(dialog, id, msg, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsDeviceIndex(int index) {
    return index >= 0 && static_cast<size_t>(index) < g_capture.devices.size();
}

void FillResolutions(HWND dialog, OpenDeviceRequest& r) {
    SendItem(dialog, IDC_OPEN_RESOLUTION, CB_RESETCONTENT);
    SendItem(dialog, IDC_OPEN_RESOLUTION, CB_SETCURSEL, static_cast<WPARAM>(-1));
    r.resolutionItem = -1;
    if (!IsDeviceIndex(r.listedDevice))
        return;
    const CaptureDeviceInfo& device = g_capture.devices[static_cast<size_t>(r.listedDevice)];
    const FormatMap& formats = DialogFormatMap(device.mjpgFormats, device.yuy2Formats, r.formatItem);
    if (formats.empty())
        return;
    for (const std::wstring& text : ResolutionTexts(formats))
        AddText(dialog, IDC_OPEN_RESOLUTION, CB_ADDSTRING, text);
    r.resolutionItem = DialogResolutionItem(formats, r.width, r.height);
    SendItem(dialog, IDC_OPEN_RESOLUTION, CB_SETCURSEL, static_cast<WPARAM>(r.resolutionItem));
}

void FillFormats(HWND dialog, OpenDeviceRequest& r) {
    SendItem(dialog, IDC_OPEN_FORMAT, CB_RESETCONTENT);
    SendItem(dialog, IDC_OPEN_FORMAT, CB_SETCURSEL, static_cast<WPARAM>(-1));
    if (IsDeviceIndex(r.listedDevice)) {
        const CaptureDeviceInfo& device = g_capture.devices[static_cast<size_t>(r.listedDevice)];
        for (uint32_t subtype : ListedSubtypes(device.mjpgFormats, device.yuy2Formats))
            AddText(dialog, IDC_OPEN_FORMAT, CB_ADDSTRING, SubtypeText(subtype));
    }
    r.formatItem = 0;
    SendItem(dialog, IDC_OPEN_FORMAT, CB_SETCURSEL, 0);
    FillResolutions(dialog, r);
}

// Every device gets its filter and its formats, so that its lists can be shown. A device whose
// filter cannot be bound keeps empty lists and so can never be opened from here.
void PrepareDevices() {
    for (CaptureDeviceInfo& device : g_capture.devices) {
        if (!device.filter && FAILED(BindDeviceFilter(device)))
            OutputDebugStringW(L"Open microscope: a device could not be bound.\r\n");
        if (device.filter && device.mjpgFormats.empty() && device.yuy2Formats.empty())
            EnumerateFormats(device.filter.Get(), device.yuy2Formats, device.mjpgFormats);
    }
}

void FillDevices(HWND dialog, OpenDeviceRequest& r) {
    SendItem(dialog, IDC_OPEN_DEVICE_LIST, LB_RESETCONTENT);
    SendItem(dialog, IDC_OPEN_RESOLUTION, CB_RESETCONTENT);
    SendItem(dialog, IDC_OPEN_FORMAT, CB_RESETCONTENT);
    const BOOL any = g_capture.devices.empty() ? FALSE : TRUE;
    for (int id : {IDC_OPEN_RESOLUTION, IDC_OPEN_FORMAT, IDOK})
        EnableWindow(GetDlgItem(dialog, id), any);
    if (!any) {
        AddText(dialog, IDC_OPEN_DEVICE_LIST, LB_ADDSTRING, GetText("no microscope"));
        r.listedDevice = -1;
        return;
    }
    PrepareDevices();
    for (const CaptureDeviceInfo& device : g_capture.devices)
        AddText(dialog, IDC_OPEN_DEVICE_LIST, LB_ADDSTRING, device.friendlyName);
    r.listedDevice = IsDeviceIndex(r.device) ? r.device : 0;
    SendItem(dialog, IDC_OPEN_DEVICE_LIST, LB_SETCURSEL, static_cast<WPARAM>(r.listedDevice));
    FillFormats(dialog, r);
}

void OnInit(HWND dialog, OpenDeviceRequest& r) {
    SetWindowTextW(dialog, GetText("open dev").c_str());
    SetDlgItemTextW(dialog, IDC_OPEN_SELECT_LABEL, GetText("select dev").c_str());
    SetDlgItemTextW(dialog, IDC_OPEN_RESOLUTION_LABEL, GetText("resolution").c_str());
    SetDlgItemTextW(dialog, IDC_OPEN_FORMAT_LABEL, GetText("format").c_str());
    SetDlgItemTextW(dialog, IDOK, GetText("ok").c_str());
    SetDlgItemTextW(dialog, IDCANCEL, GetText("cancel").c_str());
    PlaceDialogOver(dialog, GetWindow(dialog, GW_OWNER));
    if (r.width == 0 || r.height == 0) {
        const bool open = IsCaptureGraphOpen();
        r.width = open ? g_capture.currentFormat.width : g_settings.frameWidth;
        r.height = open ? g_capture.currentFormat.height : g_settings.frameHeight;
    }
    FillDevices(dialog, r);
}

// OK: the chosen device at the chosen format, when all three choices are there and fit together.
void OnOk(HWND dialog) {
    const int device = static_cast<int>(SendItem(dialog, IDC_OPEN_DEVICE_LIST, LB_GETCURSEL));
    const int formatItem = static_cast<int>(SendItem(dialog, IDC_OPEN_FORMAT, CB_GETCURSEL));
    const int resolutionItem = static_cast<int>(SendItem(dialog, IDC_OPEN_RESOLUTION, CB_GETCURSEL));
    // The device list may have changed under the dialog (a camera pulled out): check again.
    if (!IsDeviceIndex(device) || formatItem < 0 || resolutionItem < 0)
        return;
    const CaptureDeviceInfo& chosen = g_capture.devices[static_cast<size_t>(device)];
    if (!chosen.filter)
        return;
    const std::optional<VideoFormat> format =
        FormatAtItem(DialogFormatMap(chosen.mjpgFormats, chosen.yuy2Formats, formatItem), resolutionItem);
    if (!format)
        return;
    OpenDeviceAtFormat(CameraViewOf(GetWindow(dialog, GW_OWNER)), device, *format);
    g_settings.useMjpg = g_capture.requestedFormat.subtype == kFourccMjpg ? 1 : 0;
    g_settings.frameWidth = g_capture.requestedFormat.width;
    g_settings.frameHeight = g_capture.requestedFormat.height;
    g_settings.interpolated = g_capture.requestedFormat.interpolated;
    SaveSettings();
}

void OnCommand(HWND dialog, OpenDeviceRequest& r, int id, int code) {
    switch (id) {
        case IDC_OPEN_DEVICE_LIST:
            if (code == LBN_SELCHANGE) {
                const int item = static_cast<int>(SendItem(dialog, IDC_OPEN_DEVICE_LIST, LB_GETCURSEL));
                if (item != r.listedDevice && IsDeviceIndex(item)) {
                    r.listedDevice = item;
                    FillFormats(dialog, r);
                }
            }
            return;
        case IDC_OPEN_FORMAT:
            if (code == CBN_SELCHANGE) {
                r.formatItem = static_cast<int>(SendItem(dialog, IDC_OPEN_FORMAT, CB_GETCURSEL));
                FillResolutions(dialog, r);
            }
            return;
        case IDC_OPEN_RESOLUTION:
            if (code == CBN_SELCHANGE)
                r.resolutionItem = static_cast<int>(SendItem(dialog, IDC_OPEN_RESOLUTION, CB_GETCURSEL));
            return;
        case IDOK:
            OnOk(dialog);
            EndDialog(dialog, IDOK);
            return;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return;
        default:
            return;
    }
}

} // namespace

INT_PTR CALLBACK OpenDeviceDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* r = reinterpret_cast<OpenDeviceRequest*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        if (r)
            OnInit(dialog, *r);
        return TRUE;
    }
    OpenDeviceRequest* r = RequestOf(dialog);
    if (!r)
        return FALSE;
    if (msg == WM_COMMAND) {
        OnCommand(dialog, *r, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunOpenDeviceDialog(HWND owner, const OpenDeviceRequest& request) {
    OpenDeviceRequest r = request;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPEN_DEVICE), owner,
                           OpenDeviceDlgProc, reinterpret_cast<LPARAM>(&r));
}

bool OpenDeviceAtFormat(HWND view, int index, const VideoFormat& request) {
    if (!IsDeviceIndex(index))
        return false;
    const CaptureDeviceInfo& device = g_capture.devices[static_cast<size_t>(index)];
    if (!device.moniker || !device.filter)
        return false;
    // Our own references: closing the camera must not be what keeps the device alive.
    const Microsoft::WRL::ComPtr<IMoniker> moniker = device.moniker;
    const Microsoft::WRL::ComPtr<IBaseFilter> filter = device.filter;

    ReleaseViewResources(view);
    CloseCaptureGraph();
    g_capture.requestedFormat = request;
    g_capture.graph.deviceMoniker = moniker;
    g_capture.graph.captureFilter = filter;
    if (!OpenCaptureGraph()) {
        // The camera would not run: back to the no-camera screen rather than an empty picture.
        ReleaseCaptureGraph();
        ReleaseViewResources(view);
        return false;
    }
    InitViewFromFormat(view);
    EnsureCaptureFormats();
    return true;
}
