#include "testcam/com_server.h"

#include <olectl.h>

#include <string>

#include "testcam/dll_objects.h"

namespace {

LONG g_objects = 0;
LONG g_locks = 0;

std::wstring ClassKeyPath(const CLSID& clsid) {
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    return std::wstring(L"CLSID\\") + text;
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

STDAPI DllCanUnloadNow() {
    return DllObjects_CanUnload() ? S_OK : S_FALSE;
}

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory)
        return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
    DllObjects_Lock(true);
    return 2;
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    DllObjects_Lock(false);
    return 1;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return outer ? CLASS_E_NOAGGREGATION : create_(iid, out);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    DllObjects_Lock(lock != FALSE);
    return S_OK;
}

HRESULT ComServer_Register(const CLSID& clsid, const wchar_t* name) {
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&ComServer_Register), &module))
        return SELFREG_E_CLASS;
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    HKEY classKey = nullptr, serverKey = nullptr;
    bool ok = RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKeyPath(clsid).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &classKey, nullptr) == ERROR_SUCCESS;
    ok = ok && SetString(classKey, nullptr, name);
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

HRESULT ComServer_Unregister(const CLSID& clsid) {
    const LSTATUS s = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKeyPath(clsid).c_str());
    return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
