#include "testcam/camera_registry.h"

#include <cstdio>

namespace {

std::wstring CameraKeyPath(const std::wstring& instanceName) {
    return std::wstring(kTestCamRegistryRoot) + L"\\" + instanceName;
}

std::wstring StateKeyPath(const std::wstring& instanceName) {
    return CameraKeyPath(instanceName) + L"\\State";
}

std::wstring ControlValueName(TestCamInterface iface, long property) {
    return (iface == TestCamInterface::VideoProcAmp ? L"ProcAmp" : L"CameraControl") +
           std::to_wstring(property);
}

bool WriteString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool ReadString(HKEY key, const wchar_t* name, std::wstring* value) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ ||
        size > 65536)
        return false;
    std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    buf.resize(wcsnlen(buf.c_str(), buf.size()));
    *value = buf;
    return true;
}

bool ReadDword(HKEY key, const wchar_t* name, DWORD* value) {
    DWORD type = 0, size = sizeof *value;
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

// Serialises the record's read-modify-write across the processes that hold a filter.
class RecordLock {
public:
    explicit RecordLock(const std::wstring& instanceName)
        : mutex_(CreateMutexW(nullptr, FALSE, (L"VantixTestCam.Record." + instanceName).c_str())) {
        if (mutex_)
            WaitForSingleObject(mutex_, 5000);
    }
    ~RecordLock() {
        if (mutex_) {
            ReleaseMutex(mutex_);
            CloseHandle(mutex_);
        }
    }
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;

private:
    HANDLE mutex_;
};

class Key {
public:
    Key() = default;
    ~Key() {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    bool Create(const std::wstring& path) {
        return RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                               nullptr) == ERROR_SUCCESS;
    }
    bool Open(const std::wstring& path) {
        return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

bool CameraRegistry_WriteConfig(const TestCamConfig& c) {
    if (!TestCam_IsValidInstanceName(c.instanceName))
        return false;
    Key key;
    if (!key.Create(CameraKeyPath(c.instanceName)))
        return false;
    bool ok = WriteString(key.get(), L"FriendlyName", c.friendlyName) &&
              WriteString(key.get(), L"Formats", TestCam_FormatsToText(c.formats)) &&
              WriteDword(key.get(), L"StillPin", c.stillPin) &&
              WriteDword(key.get(), L"VideoProcAmp", c.hasVideoProcAmp) &&
              WriteDword(key.get(), L"CameraControl", c.hasCameraControl) &&
              WriteDword(key.get(), L"Picture", DWORD(c.picture)) &&
              WriteDword(key.get(), L"FrameRate", DWORD(c.frameRate)) &&
              WriteDword(key.get(), L"UvcOnly", c.uvcOnly);
    for (int i = 0; i < kTestCamProcAmpCount; ++i)
        ok = ok && WriteString(key.get(), ControlValueName(TestCamInterface::VideoProcAmp, i).c_str(),
                               TestCam_PropertyToText(c.procAmp[i]));
    for (int i = 0; i < kTestCamCameraControlCount; ++i)
        ok = ok && WriteString(key.get(), ControlValueName(TestCamInterface::CameraControl, i).c_str(),
                               TestCam_PropertyToText(c.cameraControl[i]));
    CameraRegistry_ClearState(c.instanceName);
    return ok;
}

bool CameraRegistry_ReadConfig(const std::wstring& instanceName, TestCamConfig* config) {
    if (!TestCam_IsValidInstanceName(instanceName))
        return false;
    Key key;
    if (!key.Open(CameraKeyPath(instanceName)))
        return false;
    TestCamConfig c;
    c.instanceName = instanceName;
    std::wstring text;
    if (ReadString(key.get(), L"FriendlyName", &text))
        c.friendlyName = text;
    std::vector<TestCamFormat> formats;
    if (ReadString(key.get(), L"Formats", &text) && TestCam_FormatsFromText(text, &formats))
        c.formats = formats;
    DWORD d;
    if (ReadDword(key.get(), L"StillPin", &d))
        c.stillPin = d != 0;
    if (ReadDword(key.get(), L"VideoProcAmp", &d))
        c.hasVideoProcAmp = d != 0;
    if (ReadDword(key.get(), L"CameraControl", &d))
        c.hasCameraControl = d != 0;
    if (ReadDword(key.get(), L"Picture", &d))
        c.picture = d == 1   ? TestCamPicture::SignalFrame
                    : d == 2 ? TestCamPicture::Busy
                             : TestCamPicture::Specimen;
    if (ReadDword(key.get(), L"FrameRate", &d))
        c.frameRate = d <= 1000 ? int(d) : 0;
    if (ReadDword(key.get(), L"UvcOnly", &d))
        c.uvcOnly = d != 0;
    for (int i = 0; i < kTestCamProcAmpCount; ++i)
        if (ReadString(key.get(), ControlValueName(TestCamInterface::VideoProcAmp, i).c_str(), &text))
            TestCam_PropertyFromText(text, &c.procAmp[i]);
    for (int i = 0; i < kTestCamCameraControlCount; ++i)
        if (ReadString(key.get(), ControlValueName(TestCamInterface::CameraControl, i).c_str(), &text))
            TestCam_PropertyFromText(text, &c.cameraControl[i]);
    *config = c;
    return true;
}

bool CameraRegistry_DeleteCamera(const std::wstring& instanceName) {
    if (!TestCam_IsValidInstanceName(instanceName))
        return false;
    const LSTATUS s = RegDeleteTreeW(HKEY_CURRENT_USER, CameraKeyPath(instanceName).c_str());
    return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND;
}

void CameraRegistry_ClearState(const std::wstring& instanceName) {
    RecordLock lock(instanceName);
    RegDeleteTreeW(HKEY_CURRENT_USER, StateKeyPath(instanceName).c_str());
}

bool CameraRegistry_ReadControl(const std::wstring& instanceName, TestCamInterface iface, long property,
                                TestCamProperty* out) {
    Key key;
    std::wstring text;
    return key.Open(StateKeyPath(instanceName)) &&
           ReadString(key.get(), ControlValueName(iface, property).c_str(), &text) &&
           TestCam_PropertyFromText(text, out);
}

void CameraRegistry_WriteControl(const std::wstring& instanceName, TestCamInterface iface, long property,
                                 const TestCamProperty& value) {
    Key key;
    if (key.Create(StateKeyPath(instanceName)))
        WriteString(key.get(), ControlValueName(iface, property).c_str(), TestCam_PropertyToText(value));
}

void CameraRegistry_AppendSetCall(const std::wstring& instanceName, const TestCamSetCall& call) {
    RecordLock lock(instanceName);
    Key key;
    if (!key.Create(StateKeyPath(instanceName)))
        return;
    DWORD count = 0;
    ReadDword(key.get(), L"SetCallCount", &count);
    wchar_t text[96];
    swprintf(text, 96, L"%d %ld %ld %ld 0x%08lX", int(call.iface), call.property, call.value, call.flags,
             static_cast<unsigned long>(call.result));
    WriteString(key.get(), (L"SetCall" + std::to_wstring(count)).c_str(), text);
    WriteDword(key.get(), L"SetCallCount", count + 1);
}

std::vector<TestCamSetCall> CameraRegistry_ReadSetCalls(const std::wstring& instanceName) {
    RecordLock lock(instanceName);
    std::vector<TestCamSetCall> calls;
    Key key;
    DWORD count = 0;
    if (!key.Open(StateKeyPath(instanceName)) || !ReadDword(key.get(), L"SetCallCount", &count))
        return calls;
    for (DWORD i = 0; i < count && i < 100000; ++i) {
        std::wstring text;
        if (!ReadString(key.get(), (L"SetCall" + std::to_wstring(i)).c_str(), &text))
            continue;
        int iface = 0;
        long property = 0, value = 0, flags = 0;
        unsigned long hr = 0;
        if (swscanf(text.c_str(), L"%d %ld %ld %ld %lx", &iface, &property, &value, &flags, &hr) != 5)
            continue;
        calls.push_back({iface == 1 ? TestCamInterface::CameraControl : TestCamInterface::VideoProcAmp,
                         property, value, flags, HRESULT(hr)});
    }
    return calls;
}

void CameraRegistry_ClearSetCalls(const std::wstring& instanceName) {
    RecordLock lock(instanceName);
    Key key;
    DWORD count = 0;
    if (!key.Create(StateKeyPath(instanceName)) || !ReadDword(key.get(), L"SetCallCount", &count))
        return;
    for (DWORD i = 0; i < count && i < 100000; ++i)
        RegDeleteValueW(key.get(), (L"SetCall" + std::to_wstring(i)).c_str());
    WriteDword(key.get(), L"SetCallCount", 0);
}
