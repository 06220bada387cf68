// testcam_ctl: the virtual camera's test-side API for scripts.
//   testcam_ctl register [--name NAME] [--instance INSTANCE] [--formats "MJPG 640x480@30, ..."]
//                        [--no-still] [--no-procamp] [--no-camera-control]
//                        [--picture specimen|signal|busy] [--fps N]
//   testcam_ctl unregister --instance INSTANCE [--remove-config]
//   testcam_ctl snapshot --instance INSTANCE
//   testcam_ctl signal --instance INSTANCE [--count N]
//   testcam_ctl status --instance INSTANCE
//   testcam_ctl calls --instance INSTANCE
//   testcam_ctl notify arrival|removal
// Exit code 0 on success, 1 on failure, 2 on a usage error.
#include <cstdio>
#include <cwchar>
#include <string>

#include "testcam/testcam_control.h"

namespace {

int Usage() {
    std::fwprintf(stderr,
                  L"usage: testcam_ctl register [--name NAME] [--instance INSTANCE] [--formats LIST]\n"
                  L"                            [--no-still] [--no-procamp] [--no-camera-control]\n"
                  L"                            [--picture specimen|signal|busy] [--fps N]\n"
                  L"       testcam_ctl unregister --instance INSTANCE [--remove-config]\n"
                  L"       testcam_ctl snapshot|status|calls --instance INSTANCE\n"
                  L"       testcam_ctl signal --instance INSTANCE [--count N]\n"
                  L"       testcam_ctl notify arrival|removal\n");
    return 2;
}

bool ParseCount(const std::wstring& text, int* value) {
    wchar_t* end = nullptr;
    const long v = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < 0 || v > 100000)
        return false;
    *value = int(v);
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return Usage();
    const std::wstring command = argv[1];
    TestCamConfig config;
    bool instanceGiven = false, removeConfig = false;
    int count = 1;
    std::wstring notifyKind;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--name" && hasValue) {
            config.friendlyName = argv[++i];
        } else if (arg == L"--instance" && hasValue) {
            config.instanceName = argv[++i];
            instanceGiven = true;
        } else if (arg == L"--formats" && hasValue) {
            if (!TestCam_FormatsFromText(argv[++i], &config.formats))
                return Usage();
        } else if (arg == L"--no-still") {
            config.stillPin = false;
        } else if (arg == L"--no-procamp") {
            config.hasVideoProcAmp = false;
        } else if (arg == L"--no-camera-control") {
            config.hasCameraControl = false;
        } else if (arg == L"--picture" && hasValue) {
            const std::wstring p = argv[++i];
            if (p != L"specimen" && p != L"signal" && p != L"busy")
                return Usage();
            config.picture = p == L"signal" ? TestCamPicture::SignalFrame
                             : p == L"busy" ? TestCamPicture::Busy
                                            : TestCamPicture::Specimen;
        } else if (arg == L"--fps" && hasValue) {
            if (!ParseCount(argv[++i], &config.frameRate) || config.frameRate > 1000)
                return Usage();
        } else if (arg == L"--count" && hasValue) {
            if (!ParseCount(argv[++i], &count))
                return Usage();
        } else if (arg == L"--remove-config") {
            removeConfig = true;
        } else if (command == L"notify" && notifyKind.empty()) {
            notifyKind = arg;
        } else {
            return Usage();
        }
    }
    const std::wstring& instance = config.instanceName;

    if (command == L"register")
        return TestCam_Register(config) ? 0 : 1;
    if (command == L"notify") {
        if (notifyKind != L"arrival" && notifyKind != L"removal")
            return Usage();
        TestCam_NotifyDeviceChange(nullptr, notifyKind == L"arrival");
        return 0;
    }
    if (!instanceGiven)
        return Usage();
    if (command == L"unregister") {
        const bool ok = TestCam_Unregister(instance);
        return ok && (!removeConfig || TestCam_RemoveConfig(instance)) ? 0 : 1;
    }
    if (command == L"snapshot")
        return TestCam_PressSnapshot(instance) ? 0 : 1;
    if (command == L"signal")
        return TestCam_SendSignalFrame(instance, count) ? 0 : 1;
    if (command == L"status") {
        const TestCamStatus s = TestCam_ReadStatus(instance);
        std::wprintf(L"loaded %d\nfilterObjects %ld\nfilterRefs %ld\ncapturePinRefs %ld\n"
                     L"stillPinRefs %ld\nframesDelivered %ld\nstillsDelivered %ld\n"
                     L"signalFramesDelivered %ld\nrunning %ld\nconnected %d\nformat %ls %dx%d\n",
                     s.loaded, s.filterObjects, s.filterRefs, s.capturePinRefs, s.stillPinRefs,
                     s.framesDelivered, s.stillsDelivered, s.signalFramesDelivered, s.running, s.connected,
                     TestCam_FourccText(s.fourcc).c_str(), s.width, s.height);
        return 0;
    }
    if (command == L"calls") {
        for (const TestCamSetCall& c : TestCam_ReadSetCalls(instance))
            std::wprintf(L"%ls %ld %ld %ld 0x%08lX\n",
                         c.iface == TestCamInterface::VideoProcAmp ? L"VideoProcAmp" : L"CameraControl",
                         c.property, c.value, c.flags, static_cast<unsigned long>(c.result));
        return 0;
    }
    return Usage();
}
