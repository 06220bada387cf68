// The COM server: class factory, self-registration (the COM class only; cameras are registered
// by the tests, see testcam_control.h) and the unload check.
#include <windows.h>

#include <new>
#include <string>

#include "testcam/camera_filter.h"
#include "testcam/dll_objects.h"
#include "testcam/testcam_control.h"

namespace {

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // A static object: its references only keep the server loaded.
    STDMETHODIMP_(ULONG) AddRef() override {
        DllObjects_Lock(true);
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        DllObjects_Lock(false);
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return CameraFilter::Create(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        DllObjects_Lock(lock != FALSE);
        return S_OK;
    }
};

ClassFactory g_factory;

std::wstring ClassKeyPath() {
    wchar_t clsid[64] = {};
    StringFromGUID2(CLSID_VantixTestCam, clsid, 64);
    return std::wstring(L"CLSID\\") + clsid;
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace

void DllObjects_Add() {
    InterlockedIncrement(&g_objects);
}
void DllObjects_Remove() {
    InterlockedDecrement(&g_objects);
}
void DllObjects_Lock(bool lock) {
    if (lock)
        InterlockedIncrement(&g_locks);
    else
        InterlockedDecrement(&g_locks);
}
bool DllObjects_CanUnload() {
    return InterlockedCompareExchange(&g_objects, 0, 0) == 0 &&
           InterlockedCompareExchange(&g_locks, 0, 0) == 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_VantixTestCam)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
    return DllObjects_CanUnload() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    HKEY classKey = nullptr, serverKey = nullptr;
    bool ok = RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &classKey, nullptr) == ERROR_SUCCESS;
    ok = ok && SetString(classKey, nullptr, L"Vantix Test Camera");
    ok = ok && RegCreateKeyExW(classKey, L"InprocServer32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                               &serverKey, nullptr) == ERROR_SUCCESS;
    ok = ok && SetString(serverKey, nullptr, path);
    // "Both": with "Apartment" a client in the multithreaded apartment hangs in FindPin.
    ok = ok && SetString(serverKey, L"ThreadingModel", L"Both");
    if (serverKey)
        RegCloseKey(serverKey);
    if (classKey)
        RegCloseKey(classKey);
    return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    const LSTATUS s = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKeyPath().c_str());
    return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
