// The COM server of the virtual camera: its class factory and self-registration (the COM class
// only; cameras are registered by the tests, see testcam_control.h).
#include "testcam/camera_filter.h"
#include "testcam/com_server.h"
#include "testcam/testcam_control.h"

namespace {

ClassFactory g_factory(CameraFilter::Create);

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return clsid == CLSID_VantixTestCam ? g_factory.QueryInterface(iid, out) : CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
    return ComServer_Register(CLSID_VantixTestCam, L"Vantix Test Camera");
}

STDAPI DllUnregisterServer() {
    return ComServer_Unregister(CLSID_VantixTestCam);
}
