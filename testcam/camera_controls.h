// The picture controls behind IAMVideoProcAmp and IAMCameraControl: ranges, current values and
// the record of every Set call. Values a Set changed are kept in the camera's registry state,
// so that, like a real device, the camera keeps them from one program run to the next.
#pragma once

#include <windows.h>

#include <string>

#include "testcam/testcam_control.h"

class CameraControls {
public:
    CameraControls();
    ~CameraControls();
    CameraControls(const CameraControls&) = delete;
    CameraControls& operator=(const CameraControls&) = delete;

    // Takes the configured tables, then the values left in the camera's registry state.
    // `record` = false for a filter that never learnt which camera it is.
    void Configure(const TestCamConfig& config, bool record);

    HRESULT GetRange(TestCamInterface iface, long property, long* min, long* max, long* step,
                     long* defaultValue, long* capsFlags);
    HRESULT Get(TestCamInterface iface, long property, long* value, long* flags);
    HRESULT Set(TestCamInterface iface, long property, long value, long flags);

private:
    TestCamProperty* Find(TestCamInterface iface, long property);

    SRWLOCK lock_ = SRWLOCK_INIT;
    std::wstring instance_;
    bool record_ = false;
    TestCamProcAmpTable procAmp_{};
    TestCamCameraControlTable cameraControl_{};
};
