#include "testcam/camera_controls.h"

#include <dshow.h>

#include "testcam/camera_registry.h"

namespace {

constexpr long kFlagAuto = 1;
constexpr long kFlagManual = 2;

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK* lock) : lock_(lock) { AcquireSRWLockExclusive(lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK* lock_;
};

} // namespace

CameraControls::CameraControls() = default;
CameraControls::~CameraControls() = default;

void CameraControls::Configure(const TestCamConfig& config, bool record) {
    ExclusiveLock lock(&lock_);
    instance_ = config.instanceName;
    record_ = record;
    procAmp_ = TestCamProcAmpTable{};
    cameraControl_ = TestCamCameraControlTable{};
    if (config.hasVideoProcAmp)
        procAmp_ = config.procAmp;
    if (config.hasCameraControl)
        cameraControl_ = config.cameraControl;
    if (!record)
        return;
    for (int i = 0; i < kTestCamProcAmpCount; ++i)
        if (procAmp_[i].present)
            CameraRegistry_ReadControl(instance_, TestCamInterface::VideoProcAmp, i, &procAmp_[i]);
    for (int i = 0; i < kTestCamCameraControlCount; ++i)
        if (cameraControl_[i].present)
            CameraRegistry_ReadControl(instance_, TestCamInterface::CameraControl, i, &cameraControl_[i]);
}

TestCamProperty* CameraControls::Find(TestCamInterface iface, long property) {
    TestCamProperty* p = nullptr;
    if (iface == TestCamInterface::VideoProcAmp && property >= 0 && property < kTestCamProcAmpCount)
        p = &procAmp_[size_t(property)];
    if (iface == TestCamInterface::CameraControl && property >= 0 && property < kTestCamCameraControlCount)
        p = &cameraControl_[size_t(property)];
    return p && p->present ? p : nullptr;
}

HRESULT CameraControls::GetRange(TestCamInterface iface, long property, long* min, long* max, long* step,
                                 long* defaultValue, long* capsFlags) {
    if (!min || !max || !step || !defaultValue || !capsFlags)
        return E_POINTER;
    ExclusiveLock lock(&lock_);
    const TestCamProperty* p = Find(iface, property);
    if (!p)
        return E_PROP_ID_UNSUPPORTED;
    *min = p->min;
    *max = p->max;
    *step = p->step;
    *defaultValue = p->defaultValue;
    *capsFlags = p->capsFlags;
    return S_OK;
}

HRESULT CameraControls::Get(TestCamInterface iface, long property, long* value, long* flags) {
    if (!value || !flags)
        return E_POINTER;
    ExclusiveLock lock(&lock_);
    const TestCamProperty* p = Find(iface, property);
    if (!p)
        return E_PROP_ID_UNSUPPORTED;
    *value = p->value;
    *flags = p->flags;
    return S_OK;
}

HRESULT CameraControls::Set(TestCamInterface iface, long property, long value, long flags) {
    ExclusiveLock lock(&lock_);
    TestCamProperty* p = Find(iface, property);
    HRESULT hr = S_OK;
    if (!p) {
        hr = E_PROP_ID_UNSUPPORTED;
    } else if (flags != kFlagAuto && flags != kFlagManual) {
        hr = E_INVALIDARG;
    } else if (!(p->capsFlags & flags)) {
        hr = E_INVALIDARG; // a mode the control does not have
    } else if (flags == kFlagManual && (value < p->min || value > p->max)) {
        hr = E_INVALIDARG;
    } else {
        // In automatic mode the device chooses the value itself: it keeps its current one.
        if (flags == kFlagManual)
            p->value = int32_t(value);
        p->flags = int32_t(flags);
    }
    // The call is logged before the new value is published, so a test that sees the value
    // also sees the call that set it.
    if (record_) {
        CameraRegistry_AppendSetCall(instance_, {iface, property, value, flags, hr});
        if (SUCCEEDED(hr))
            CameraRegistry_WriteControl(instance_, iface, property, *p);
    }
    return hr;
}
