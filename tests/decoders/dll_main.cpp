// The COM server of the two stand-ins: class factories, self-registration (the COM classes and
// the filter mapper's entries the graph's intelligent connect searches) and the unload check.
// Tests register it in their own prefix copy only; nothing ships it.
#include <windows.h>

#include <dshow.h>
#include <uuids.h>

#include <string>

#include "testcam/dll_objects.h"
#include "tests/decoders/stand_ins.h"
#include "tests/decoders/transform_filter.h"

namespace {

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

using Creator = HRESULT (*)(REFIID, void**);

struct StandIn {
    const CLSID* clsid;
    const wchar_t* name;
    DWORD merit;
    const GUID* inputSubtype;
    Creator create;
};

// The merits the system gives the two: the decompressor is tried by intelligent connect before
// the converter.
const StandIn kStandIns[] = {
    {&CLSID_MjpegDec, L"MJPEG Decompressor", MERIT_NORMAL, &MEDIASUBTYPE_MJPG, CreateMjpegDecoder},
    {&CLSID_Colour, L"Color Space Converter", MERIT_UNLIKELY, &MEDIASUBTYPE_YUY2, CreateColourConverter},
};

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(Creator create) : create_(create) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory)
            return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // Static objects: their references only keep the server loaded.
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
        return outer ? CLASS_E_NOAGGREGATION : create_(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        DllObjects_Lock(lock != FALSE);
        return S_OK;
    }

private:
    const Creator create_;
};

ClassFactory g_factories[] = {ClassFactory(CreateMjpegDecoder), ClassFactory(CreateColourConverter)};

std::wstring ClassKeyPath(const CLSID& clsid) {
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    return std::wstring(L"CLSID\\") + text;
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegisterClass(const StandIn& standIn, const wchar_t* path) {
    HKEY classKey = nullptr, serverKey = nullptr;
    bool ok = RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKeyPath(*standIn.clsid).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &classKey, nullptr) == ERROR_SUCCESS;
    ok = ok && SetString(classKey, nullptr, standIn.name);
    ok = ok && RegCreateKeyExW(classKey, L"InprocServer32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                               &serverKey, nullptr) == ERROR_SUCCESS;
    ok = ok && SetString(serverKey, nullptr, path);
    ok = ok && SetString(serverKey, L"ThreadingModel", L"Both");
    if (serverKey)
        RegCloseKey(serverKey);
    if (classKey)
        RegCloseKey(classKey);
    return ok;
}

// One video input of the stand-in's subtype, one RGB24 video output.
HRESULT RegisterWithMapper(IFilterMapper2* mapper, const StandIn& standIn) {
    const REGPINTYPES inputType = {&MEDIATYPE_Video, standIn.inputSubtype};
    const REGPINTYPES outputType = {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24};
    REGFILTERPINS2 pins[2] = {};
    pins[0].nMediaTypes = 1;
    pins[0].lpMediaType = &inputType;
    pins[1].dwFlags = REG_PINFLAG_B_OUTPUT;
    pins[1].nMediaTypes = 1;
    pins[1].lpMediaType = &outputType;
    for (REGFILTERPINS2& pin : pins) {
        pin.cInstances = 1;
        pin.clsPinCategory = &GUID_NULL;
    }
    REGFILTER2 filter = {};
    filter.dwVersion = 2;
    filter.dwMerit = standIn.merit;
    filter.cPins2 = 2;
    filter.rgPins2 = pins;
    return mapper->RegisterFilter(*standIn.clsid, standIn.name, nullptr, &CLSID_LegacyAmFilterCategory,
                                  nullptr, &filter);
}

IFilterMapper2* CreateMapper() {
    IFilterMapper2* mapper = nullptr;
    CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                     reinterpret_cast<void**>(&mapper));
    return mapper;
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
    for (size_t i = 0; i < std::size(kStandIns); ++i) {
        if (clsid == *kStandIns[i].clsid)
            return g_factories[i].QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return DllObjects_CanUnload() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    IFilterMapper2* mapper = CreateMapper();
    if (!mapper)
        return SELFREG_E_CLASS;
    bool ok = true;
    for (const StandIn& standIn : kStandIns)
        ok = ok && RegisterClass(standIn, path) && SUCCEEDED(RegisterWithMapper(mapper, standIn));
    mapper->Release();
    return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    IFilterMapper2* mapper = CreateMapper();
    bool ok = true;
    for (const StandIn& standIn : kStandIns) {
        if (mapper)
            mapper->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, *standIn.clsid);
        const LSTATUS s = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKeyPath(*standIn.clsid).c_str());
        ok = ok && (s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND);
    }
    if (mapper)
        mapper->Release();
    return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" LONG WINAPI TestDecoders_LiveFilters() {
    return TransformFilter::LiveFilters();
}

extern "C" void WINAPI TestDecoders_RefuseConnections(BOOL refuse) {
    TransformFilter::RefuseConnections(refuse != FALSE);
}
