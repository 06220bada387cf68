// The COM server of the two stand-ins: class factories, self-registration (the COM classes and
// the filter mapper's entries the graph's intelligent connect searches) and the unload check.
// Tests register it in their own prefix copy only; nothing ships it.
#include <windows.h>

#include <dshow.h>
#include <uuids.h>
#include <wrl/client.h>

#include "testcam/com_server.h"
#include "testcam/decoders/stand_ins.h"
#include "testcam/decoders/transform_filter.h"

namespace {

struct StandIn {
    const CLSID* clsid;
    const wchar_t* name;
    DWORD merit;
    const GUID* inputSubtype;
    ClassFactory* factory;
};

ClassFactory g_mjpegFactory(CreateMjpegDecoder);
ClassFactory g_colourFactory(CreateColourConverter);

// The merits the system gives the two: the decompressor is tried by intelligent connect before
// the converter.
const StandIn kStandIns[] = {
    {&CLSID_MjpegDec, L"MJPEG Decompressor", MERIT_NORMAL, &MEDIASUBTYPE_MJPG, &g_mjpegFactory},
    {&CLSID_Colour, L"Color Space Converter", MERIT_UNLIKELY, &MEDIASUBTYPE_YUY2, &g_colourFactory},
};

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

Microsoft::WRL::ComPtr<IFilterMapper2> CreateMapper() {
    Microsoft::WRL::ComPtr<IFilterMapper2> mapper;
    CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mapper));
    return mapper;
}

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    for (const StandIn& standIn : kStandIns) {
        if (clsid == *standIn.clsid)
            return standIn.factory->QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
    const Microsoft::WRL::ComPtr<IFilterMapper2> mapper = CreateMapper();
    if (!mapper)
        return SELFREG_E_CLASS;
    for (const StandIn& standIn : kStandIns) {
        if (FAILED(ComServer_Register(*standIn.clsid, standIn.name)) ||
            FAILED(RegisterWithMapper(mapper.Get(), standIn)))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    const Microsoft::WRL::ComPtr<IFilterMapper2> mapper = CreateMapper();
    HRESULT hr = S_OK;
    for (const StandIn& standIn : kStandIns) {
        if (mapper)
            mapper->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, *standIn.clsid);
        if (FAILED(ComServer_Unregister(*standIn.clsid)))
            hr = SELFREG_E_CLASS;
    }
    return hr;
}

extern "C" LONG WINAPI TestDecoders_LiveFilters() {
    return TransformFilter::LiveFilters();
}

extern "C" void WINAPI TestDecoders_RefuseConnections(BOOL refuse) {
    TransformFilter::RefuseConnections(refuse != FALSE);
}
