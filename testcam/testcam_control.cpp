#include "testcam/testcam_control.h"

#include <dbt.h>
#include <dshow.h>
#include <wrl/client.h>

#include "testcam/camera_registry.h"
#include "testcam/shared_block.h"

namespace {

// The capture-device interface class (KSCATEGORY_CAPTURE) that camera arrivals are announced in.
constexpr GUID kCaptureInterfaceClass = {
    0x65e8773d, 0x8f56, 0x11d0, {0xa3, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0x31, 0x96}};

// COM for the calling thread, in whatever apartment the caller already chose.
class ComScope {
public:
    ComScope() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialized_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

// The path a UVC camera's interface would have; the property bag carries it as "DevicePath".
std::wstring DevicePathFor(const std::wstring& instanceName) {
    return L"\\\\?\\usb#" + instanceName + L"#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

bool WriteBagString(IPropertyBag* bag, const wchar_t* name, const std::wstring& value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(value.c_str());
    const HRESULT hr = bag->Write(name, &v);
    VariantClear(&v);
    return SUCCEEDED(hr);
}

bool RegisterDevice(const TestCamConfig& config) {
    ComScope com;
    Microsoft::WRL::ComPtr<IFilterMapper2> mapper;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                reinterpret_cast<void**>(mapper.GetAddressOf()))))
        return false;
    REGPINTYPES type = {&MEDIATYPE_Video, &MEDIASUBTYPE_NULL};
    REGFILTERPINS pin = {};
    pin.strName = const_cast<LPWSTR>(L"Capture");
    pin.bOutput = TRUE;
    pin.clsConnectsToFilter = &CLSID_NULL;
    pin.nMediaTypes = 1;
    pin.lpMediaType = &type;
    REGFILTER2 filter = {};
    filter.dwVersion = 1;
    filter.dwMerit = MERIT_DO_NOT_USE;
    filter.cPins = 1;
    filter.rgPins = &pin;

    Microsoft::WRL::ComPtr<IMoniker> moniker;
    HRESULT hr =
        mapper->RegisterFilter(CLSID_VantixTestCam, config.friendlyName.c_str(), moniker.GetAddressOf(),
                               &CLSID_VideoInputDeviceCategory, config.instanceName.c_str(), &filter);
    bool ok = SUCCEEDED(hr) && moniker;
    if (ok) {
        Microsoft::WRL::ComPtr<IPropertyBag> bag;
        ok = SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                              reinterpret_cast<void**>(bag.GetAddressOf())));
        // The filter learns which camera it is from these when the moniker binds it.
        ok = ok && WriteBagString(bag.Get(), L"DevicePath", DevicePathFor(config.instanceName)) &&
             WriteBagString(bag.Get(), L"TestCamInstance", config.instanceName);
    }
    return ok;
}

// Whether regsvr32 has registered testcam.dll's class in this prefix.
bool ClassRegistered() {
    wchar_t clsid[64] = {};
    StringFromGUID2(CLSID_VantixTestCam, clsid, 64);
    HKEY key = nullptr;
    const std::wstring path = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

} // namespace

bool TestCam_Register(const TestCamConfig& config) {
    if (!TestCam_IsValidInstanceName(config.instanceName) || config.friendlyName.empty())
        return false;
    if (!ClassRegistered()) {
        OutputDebugStringW(L"TestCam_Register: testcam.dll is not registered (regsvr32)\r\n");
        return false;
    }
    return CameraRegistry_WriteConfig(config) && RegisterDevice(config);
}

bool TestCam_Unregister(const std::wstring& instanceName) {
    if (!TestCam_IsValidInstanceName(instanceName))
        return false;
    ComScope com;
    Microsoft::WRL::ComPtr<IFilterMapper2> mapper;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                reinterpret_cast<void**>(mapper.GetAddressOf()))))
        return false;
    const HRESULT hr =
        mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, instanceName.c_str(), CLSID_VantixTestCam);
    return SUCCEEDED(hr);
}

bool TestCam_RemoveConfig(const std::wstring& instanceName) {
    return CameraRegistry_DeleteCamera(instanceName);
}

bool TestCam_ReadConfig(const std::wstring& instanceName, TestCamConfig* config) {
    return CameraRegistry_ReadConfig(instanceName, config);
}

bool TestCam_PressSnapshot(const std::wstring& instanceName) {
    SharedBlockView block;
    // Like a real button, a press while no filter of the camera runs does nothing.
    if (!block.Open(instanceName, false) || InterlockedCompareExchange(&block->running, 0, 0) <= 0)
        return false;
    InterlockedIncrement(&block->pendingSnapshots);
    return true;
}

bool TestCam_SendSignalFrame(const std::wstring& instanceName, int count) {
    SharedBlockView block;
    if (count < 1 || !block.Open(instanceName, false))
        return false;
    InterlockedExchangeAdd(&block->pendingSignalFrames, count);
    return true;
}

std::vector<TestCamSetCall> TestCam_ReadSetCalls(const std::wstring& instanceName) {
    return CameraRegistry_ReadSetCalls(instanceName);
}

void TestCam_ClearSetCalls(const std::wstring& instanceName) {
    CameraRegistry_ClearSetCalls(instanceName);
}

bool TestCam_ReadProperty(const std::wstring& instanceName, TestCamInterface iface, long property,
                          TestCamProperty* out) {
    TestCamConfig config;
    if (!CameraRegistry_ReadConfig(instanceName, &config))
        return false;
    const bool procAmp = iface == TestCamInterface::VideoProcAmp;
    const long count = procAmp ? kTestCamProcAmpCount : kTestCamCameraControlCount;
    if (property < 0 || property >= count || !(procAmp ? config.hasVideoProcAmp : config.hasCameraControl))
        return false;
    TestCamProperty p = procAmp ? config.procAmp[property] : config.cameraControl[property];
    if (!p.present)
        return false;
    CameraRegistry_ReadControl(instanceName, iface, property, &p);
    *out = p;
    return true;
}

TestCamStatus TestCam_ReadStatus(const std::wstring& instanceName) {
    TestCamStatus s;
    SharedBlockView block;
    if (!block.Open(instanceName, false))
        return s;
    TestCamSharedBlock* b = block.get();
    auto read = [](LONG* p) { return InterlockedCompareExchange(p, 0, 0); };
    s.filterObjects = read(&b->filterObjects);
    s.loaded = s.filterObjects > 0;
    s.filterRefs = read(&b->filterRefs);
    s.capturePinRefs = read(&b->capturePinRefs);
    s.stillPinRefs = read(&b->stillPinRefs);
    s.framesDelivered = read(&b->framesDelivered);
    s.stillsDelivered = read(&b->stillsDelivered);
    s.signalFramesDelivered = read(&b->signalFramesDelivered);
    s.running = read(&b->running);
    s.connected = read(&b->connected) != 0;
    s.fourcc = uint32_t(read(&b->fourcc));
    s.width = read(&b->width);
    s.height = read(&b->height);
    return s;
}

void TestCam_NotifyDeviceChange(HWND window, bool arrival) {
    DEV_BROADCAST_DEVICEINTERFACE_W header = {};
    header.dbcc_size = sizeof header;
    header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    header.dbcc_classguid = kCaptureInterfaceClass;
    const WPARAM event = arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    auto send = [&](HWND hwnd) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(hwnd, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&header), SMTO_ABORTIFHUNG,
                            5000, &result);
    };
    if (window) {
        send(window);
        return;
    }
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND hwnd, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd : windows)
        send(hwnd);
}
