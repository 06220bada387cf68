#include "capture/device_list.h"

#include "capture/debug_output.h"
#include "capture/usb_ids.h"

using Microsoft::WRL::ComPtr;

std::vector<CaptureDeviceInfo> g_devices;

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
    ReleaseEntry(g_devices[index]);
    g_devices.erase(g_devices.begin() + static_cast<std::ptrdiff_t>(index));
    const int removed = static_cast<int>(index);
    if (g_currentDevice == removed)
        g_currentDevice = -1;
    else if (g_currentDevice > removed)
        --g_currentDevice;
}

} // namespace

void ClearDeviceList() {
    for (CaptureDeviceInfo& device : g_devices)
        ReleaseEntry(device);
    g_devices.clear();
}

bool FindDeviceByMoniker(IMoniker* moniker) {
    for (CaptureDeviceInfo& device : g_devices) {
        if (device.moniker && device.moniker->IsEqual(moniker) == S_OK) {
            device.stale = 0;
            return true;
        }
    }
    return false;
}

void RefreshDeviceList() {
    ComPtr<ICreateDevEnum> deviceEnum;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&deviceEnum)))) {
        // Nothing can be learnt about the devices: keep the list as it is.
        DebugOutput(L"RefreshDeviceList: no system device enumerator.\r\n");
        return;
    }
    for (CaptureDeviceInfo& device : g_devices)
        device.stale = 1;

    ComPtr<IEnumMoniker> classEnum;
    if (deviceEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &classEnum, 0) != S_OK) {
        // An empty category: every listed device has gone.
        deviceEnum.Reset();
        ClearDeviceList();
        g_currentDevice = -1;
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
        entry.hasUsbIds = 1;

        if (FindDeviceByMoniker(moniker.Get()))
            continue; // listed already; the entry keeps its own reference
        entry.moniker = std::move(moniker);
        g_devices.push_back(std::move(entry));
    }
    moniker.Reset();
    classEnum.Reset();
    deviceEnum.Reset();

    for (size_t i = g_devices.size(); i-- > 0;) {
        if (g_devices[i].stale)
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
