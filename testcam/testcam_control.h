// The test side of the virtual camera: register and remove cameras, press the snapshot button,
// ask for a signal frame, and read back what a program did to the camera. Win32 code; see
// testcam/README.md for where each piece lives (registry, named shared memory).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "testcam/test_picture.h"
#include "testcam/testcam_config.h"

// The COM class that testcam.dll serves ({5C0E6B52-7A1D-4E8B-9C3F-2D6A4B1E8F07}).
inline constexpr GUID CLSID_VantixTestCam = {
    0x5c0e6b52, 0x7a1d, 0x4e8b, {0x9c, 0x3f, 0x2d, 0x6a, 0x4b, 0x1e, 0x8f, 0x07}};

// Registry key (under HKEY_CURRENT_USER) that holds one key per configured camera.
inline constexpr wchar_t kTestCamRegistryRoot[] = L"Software\\VantixTestCam";

// A camera under `instanceName` called `friendlyName` with these capture formats; everything else as
// TestCamConfig's defaults (still pin, both control interfaces, the specimen picture).
inline TestCamConfig TestCam_MakeConfig(std::wstring instanceName, std::wstring friendlyName,
                                        std::vector<TestCamFormat> formats = TestCam_DefaultFormats()) {
    TestCamConfig config;
    config.instanceName = std::move(instanceName);
    config.friendlyName = std::move(friendlyName);
    config.formats = std::move(formats);
    return config;
}

// Writes the configuration, clears the camera's recorded state (Set calls, current control
// values) and registers the device in the video-input category under config.instanceName with
// config.friendlyName. The COM class must be registered already (regsvr32 testcam.dll).
// Registering an instance again replaces it.
bool TestCam_Register(const TestCamConfig& config);

// Removes the device from the video-input category. A filter already bound keeps working and
// the camera's registry key stays, so that its record can still be read.
bool TestCam_Unregister(const std::wstring& instanceName);

// Deletes the camera's registry key (configuration and record).
bool TestCam_RemoveConfig(const std::wstring& instanceName);

// Reads a configuration back as TestCam_Register wrote it.
bool TestCam_ReadConfig(const std::wstring& instanceName, TestCamConfig* config);

// The snapshot button: the still pin delivers one image on its next frame tick (nothing happens
// when the camera has no still pin or it is not connected). False, and no press is kept, when no
// filter of that camera is running in any process.
bool TestCam_PressSnapshot(const std::wstring& instanceName);

// The next `count` frames of the capture pin show the eight-band signal frame, then the normal
// picture again. The request waits for a running, connected capture pin (so it can ask for the
// first frame after the next Run). False when no filter of that camera is loaded in any process.
bool TestCam_SendSignalFrame(const std::wstring& instanceName, int count = 1);

// One call of IAMVideoProcAmp::Set or IAMCameraControl::Set, in call order.
enum class TestCamInterface : int { VideoProcAmp = 0, CameraControl = 1 };
struct TestCamSetCall {
    TestCamInterface iface = TestCamInterface::VideoProcAmp;
    long property = 0;
    long value = 0;
    long flags = 0;
    HRESULT result = S_OK; // what Set returned
    bool operator==(const TestCamSetCall&) const = default;
};
std::vector<TestCamSetCall> TestCam_ReadSetCalls(const std::wstring& instanceName);
void TestCam_ClearSetCalls(const std::wstring& instanceName);

// The control as Get/GetRange report it now (the configured one with the accepted Set calls
// applied). False when the camera has no such control.
bool TestCam_ReadProperty(const std::wstring& instanceName, TestCamInterface iface, long property,
                          TestCamProperty* out);

// Live state of the camera's filters, summed over every process that has one loaded.
struct TestCamStatus {
    bool loaded = false;      // some process has a filter of this camera
    long filterObjects = 0;   // filter objects alive
    long filterRefs = 0;      // references held on the filters (not counting their pins')
    long capturePinRefs = 0;  // references held on the capture pins
    long stillPinRefs = 0;    // references held on the still pins
    long framesDelivered = 0; // capture-pin samples handed downstream (IMemInputPin::Receive)
    long stillsDelivered = 0; // still-pin samples handed downstream
    long signalFramesDelivered = 0;
    long running = 0;          // filters in the running state
    uint32_t fourcc = 0;       // the capture pin's connected subtype (kTestCamRgb24 ...), last connect
    int width = 0, height = 0; // and its size
    bool connected = false;
};
TestCamStatus TestCam_ReadStatus(const std::wstring& instanceName);

// Sends WM_DEVICECHANGE (DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE with a video-capture
// device interface header) to `window`, or to every top-level window when it is null, as the
// system does when a USB camera comes or goes.
void TestCam_NotifyDeviceChange(HWND window, bool arrival);
