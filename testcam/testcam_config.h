// What one virtual camera offers: its names, formats, pins, picture controls and picture.
// Pure code (no windows.h): the test-side API writes it to the registry as text and the camera
// DLL reads it back with the same functions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t TestCamFourcc(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}
inline constexpr uint32_t kTestCamMjpg = TestCamFourcc('M', 'J', 'P', 'G');
inline constexpr uint32_t kTestCamYuy2 = TestCamFourcc('Y', 'U', 'Y', '2');
// Uncompressed bottom-up BGR, 3 bytes a pixel (BI_RGB); written "RGB24" in the format text.
inline constexpr uint32_t kTestCamRgb24 = 0;

// One capability of the capture pin: its subtype, size and its one frame rate.
struct TestCamFormat {
    uint32_t fourcc = kTestCamMjpg;
    int width = 640;
    int height = 480;
    int fps = 30;
    bool operator==(const TestCamFormat&) const = default;
};

// One picture control as the camera reports it. Flags are the DirectShow ones: 1 automatic,
// 2 manual. capsFlags is what GetRange reports, flags the current mode that Get reports.
struct TestCamProperty {
    bool present = false;
    int32_t min = 0;
    int32_t max = 0;
    int32_t step = 0;
    int32_t defaultValue = 0;
    int32_t capsFlags = 0;
    int32_t value = 0;
    int32_t flags = 0;
    bool operator==(const TestCamProperty&) const = default;
};

// VideoProcAmp ids 0..9 (brightness .. gain) and 13 (power-line frequency, the KS id that
// UVC cameras answer through IAMVideoProcAmp); CameraControl ids 0..6 (pan .. focus).
inline constexpr int kTestCamProcAmpCount = 14;
inline constexpr int kTestCamCameraControlCount = 7;
inline constexpr int kTestCamPowerLineFrequency = 13;
using TestCamProcAmpTable = std::array<TestCamProperty, kTestCamProcAmpCount>;
using TestCamCameraControlTable = std::array<TestCamProperty, kTestCamCameraControlCount>;

enum class TestCamPicture : int {
    Specimen = 0,    // the synthetic specimen with its millimetre ruler (test_picture.h)
    SignalFrame = 1, // every frame is the eight-band signal frame
    Busy = 2,        // the specimen with a sensor's fine grain and noise that changes every frame
};

std::vector<TestCamFormat> TestCam_DefaultFormats();
TestCamProcAmpTable TestCam_DefaultProcAmp();
TestCamCameraControlTable TestCam_DefaultCameraControl();

struct TestCamConfig {
    std::wstring friendlyName = L"Demo Microscope";
    // Moniker name under the video-input category; no backslash.
    std::wstring instanceName = L"vid_1d6b&pid_0102&mi_00#demo#0";
    // Capabilities in the order IAMStreamConfig::GetStreamCaps reports them.
    std::vector<TestCamFormat> formats = TestCam_DefaultFormats();
    bool stillPin = true;
    bool hasVideoProcAmp = true;
    bool hasCameraControl = true;
    TestCamProcAmpTable procAmp = TestCam_DefaultProcAmp();
    TestCamCameraControlTable cameraControl = TestCam_DefaultCameraControl();
    TestCamPicture picture = TestCamPicture::Specimen;
    // Frames a second actually delivered; 0 = the rate of the format in use.
    int frameRate = 0;
    // Offers only what a UVC camera's pins offer (the configured MJPG and YUY2 types), without the
    // RGB24 beside them that lets it connect where the platform has no decoder.
    bool uvcOnly = false;
};

// "MJPG 640x480@30, YUY2 320x240@15, RGB24 640x480@30". Parsing fails on anything else,
// on sizes outside 1..8192 and rates outside 1..1000.
std::wstring TestCam_FormatsToText(const std::vector<TestCamFormat>& formats);
bool TestCam_FormatsFromText(const std::wstring& text, std::vector<TestCamFormat>* formats);
std::wstring TestCam_FourccText(uint32_t fourcc);

// "min max step default caps value flags", or "-" for an absent property.
std::wstring TestCam_PropertyToText(const TestCamProperty& property);
bool TestCam_PropertyFromText(const std::wstring& text, TestCamProperty* property);

// An instance name usable as a registry key and a kernel object name.
bool TestCam_IsValidInstanceName(const std::wstring& name);
