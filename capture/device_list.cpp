#include "capture/device_list.h"

#include "capture/capture_session.h"
#include "base/debug_output.h"
#include "capture/usb_ids.h"

using Microsoft::WRL::ComPtr;

namespace {

void ReleaseEntry(CaptureDeviceInfo& device) {
    device.filter.Reset();
    device.moniker.Reset();
    device.yuy2Formats.clear();
    device.mjpgFormats.clear();
}

bool ReadFriendlyName(IMoniker* moniker, std::wstring& name) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag))))
        return false;
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal)
        name.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return true;
}

bool ReadDevicePath(IMoniker* moniker, std::wstring& path) {
    LPOLESTR displayName = nullptr;
    if (FAILED(moniker->GetDisplayName(nullptr, nullptr, &displayName)) || !displayName)
        return false;
    path = displayName;
    CoTaskMemFree(displayName);
    return true;
}

// Removes the entry at index, keeping the order of the rest and the open camera's index right.
void RemoveEntry(size_t index) {
    ReleaseEntry(g_capture.devices[index]);
    g_capture.devices.erase(g_capture.devices.begin() + static_cast<std::ptrdiff_t>(index));
    const int removed = static_cast<int>(index);
    if (g_capture.currentDevice == removed)
        g_capture.currentDevice = -1;
    else if (g_capture.currentDevice > removed)
        --g_capture.currentDevice;
}

} // namespace

void ClearDeviceList() {
    for (CaptureDeviceInfo& device : g_capture.devices)
        ReleaseEntry(device);
    g_capture.devices.clear();
}

bool FindDeviceByMoniker(IMoniker* moniker) {
    for (CaptureDeviceInfo& device : g_capture.devices) {
        if (device.moniker && device.moniker->IsEqual(moniker) == S_OK) {
            device.stale = false;
            return true;
        }
    }
    return false;
}

void RefreshDeviceList() {
    ComPtr<ICreateDevEnum> deviceEnum;
    const HRESULT hr =
        CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&deviceEnum));
    if (FAILED(hr)) {
        // Nothing can be learnt about the devices: keep the list as it is.
        DebugFailure(L"RefreshDeviceList: the system device enumerator", hr);
        return;
    }
    for (CaptureDeviceInfo& device : g_capture.devices)
        device.stale = true;

    ComPtr<IEnumMoniker> classEnum;
    if (deviceEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &classEnum, 0) != S_OK) {
        // An empty category: every listed device has gone.
        deviceEnum.Reset();
        ClearDeviceList();
        g_capture.currentDevice = -1;
        return;
    }

    ComPtr<IMoniker> moniker;
    while (classEnum->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        if (!moniker)
            continue;
        CaptureDeviceInfo entry;
        if (!ReadFriendlyName(moniker.Get(), entry.friendlyName))
            continue;
        DebugOutput(L"%ls----\r\n", entry.friendlyName.c_str());

        if (IsSkippedCameraName(entry.friendlyName))
            continue;
        std::wstring vendor, product;
        if (!ReadDevicePath(moniker.Get(), entry.devicePath) ||
            !ParseUsbIds(entry.devicePath, vendor, product))
            continue;
        entry.hasUsbIds = true;

        if (FindDeviceByMoniker(moniker.Get()))
            continue; // listed already; the entry keeps its own reference
        entry.moniker = std::move(moniker);
        g_capture.devices.push_back(std::move(entry));
    }
    moniker.Reset();
    classEnum.Reset();
    deviceEnum.Reset();

    for (size_t i = g_capture.devices.size(); i-- > 0;) {
        if (g_capture.devices[i].stale)
            RemoveEntry(i);
    }
}

HRESULT BindDeviceFilter(CaptureDeviceInfo& device) {
    if (device.filter)
        return S_OK;
    if (!device.moniker)
        return E_POINTER;
    ComPtr<IBindCtx> bindContext;
    HRESULT hr = CreateBindCtx(0, &bindContext);
    if (FAILED(hr))
        return hr;
    hr = device.moniker->BindToObject(bindContext.Get(), nullptr, IID_PPV_ARGS(&device.filter));
    if (FAILED(hr))
        device.filter.Reset();
    return hr;
}
