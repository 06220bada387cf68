#include "capture/camera_arrival.h"

#include "capture/capture_session.h"

#include <dbt.h>
#include <strsafe.h>

namespace {

// {65E8773D-8F56-11D0-A3B9-00A0C9223196}
constexpr GUID kCaptureInterfaceClass = {
    0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// A function of user32 looked up at run time.
template <typename Fn> Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

void Call(void (*hook)(void*), void* context) {
    if (hook)
        hook(context);
}

} // namespace

void CameraNotification::Start(HWND window) {
    Stop();
    using RegisterFn = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
    auto registerFn = User32Function<RegisterFn>("RegisterDeviceNotificationW");
    if (!registerFn)
        return;
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kCaptureInterfaceClass;
    handle_ = registerFn(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void CameraNotification::Stop() {
    if (!handle_)
        return;
    using UnregisterFn = BOOL(WINAPI*)(HDEVNOTIFY);
    auto unregisterFn = User32Function<UnregisterFn>("UnregisterDeviceNotification");
    if (unregisterFn)
        unregisterFn(handle_);
    handle_ = nullptr;
}

CameraChange CameraChangeOf(WPARAM event, LPARAM lParam) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)
        return CameraChange::kNone;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        header->dbch_size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) - sizeof(wchar_t))
        return CameraChange::kNone;
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    if (!IsEqualGUID(device->dbcc_classguid, kCaptureInterfaceClass))
        return CameraChange::kNone;
    return event == DBT_DEVICEARRIVAL ? CameraChange::kArrived : CameraChange::kRemoved;
}

bool OpenNewestCamera(const CameraShownHooks& hooks) {
    if (IsCaptureGraphOpen() || g_capture.devices.empty())
        return false;
    CaptureDeviceInfo& device = g_capture.devices.back();
    if (!device.filter) {
        const HRESULT hr = BindDeviceFilter(device);
        if (SUCCEEDED(hr) && device.filter) {
            OutputDebugStringW(L"moniker->BindToObject -- OK\r\n");
        } else {
            wchar_t line[160];
            StringCchPrintfW(line, 160, L"%x %x %x %x %x %x %x %x\r\n", static_cast<unsigned>(hr),
                             0x800401E5u, 0x800401E1u, 0x800401E0u, 0x800401E7u, 0x8000FFFFu, 0x8007000Eu,
                             0x80030005u);
            OutputDebugStringW(line);
        }
    }
    if (!device.moniker || !device.filter)
        return false;

    Call(hooks.release, hooks.context);
    CloseCaptureGraph();
    g_capture.graph.deviceMoniker = device.moniker;
    g_capture.graph.captureFilter = device.filter;
    EnsureCaptureFormats();
    const FormatMap& formats =
        g_capture.graph.mjpgFormats.empty() ? g_capture.graph.yuy2Formats : g_capture.graph.mjpgFormats;
    const auto found =
        FindFormatBySize(formats, g_capture.requestedFormat.width, g_capture.requestedFormat.height);
    if (found && found->width != 0 && found->height > 0) {
        g_capture.requestedFormat = *found;
    } else {
        g_capture.requestedFormat.width = 0;
        g_capture.requestedFormat.height = 0;
    }

    if (OpenCaptureGraph()) {
        Call(hooks.opened, hooks.context);
    } else {
        ReleaseCaptureGraph();
        Call(hooks.release, hooks.context);
    }
    return true;
}

bool CloseCameraIfGone(const CameraShownHooks& hooks) {
    if (!IsCaptureGraphOpen())
        return false;
    for (const CaptureDeviceInfo& device : g_capture.devices) {
        if (device.moniker && g_capture.graph.deviceMoniker &&
            device.moniker->IsEqual(g_capture.graph.deviceMoniker.Get()) == S_OK)
            return false; // the open camera is still there
    }
    CloseCaptureGraph();
    Call(hooks.release, hooks.context);
    return true;
}
