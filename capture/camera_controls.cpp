#include "capture/camera_controls.h"

#include "capture/capture_session.h"
#include "capture/capture_graph.h"
#include "base/debug_output.h"

namespace {

void ApplyControlSet(const ControlSet& set) {
    const CaptureGraph& g = g_capture.graph;
    const ControlId id = ControlIdOf(set.index);
    if (id.where == ControlInterface::CameraControl) {
        if (g.cameraControl)
            g.cameraControl->Set(id.property, set.value, set.flags);
    } else if (g.procAmp) {
        g.procAmp->Set(id.property, set.value, set.flags);
    }
}

// Range, then current value; a call the device refuses leaves what the record held.
template <typename Interface> void ReadControl(Interface* device, long property, CameraProperty& record) {
    long min = record.min, max = record.max, step = record.step, def = record.defaultValue,
         flags = record.flags;
    device->GetRange(property, &min, &max, &step, &def, &flags);
    TakeRange(record, min, max, step, def, flags);
}

template <typename Interface> void ReadCurrent(Interface* device, long property, CameraProperty& record) {
    long value = record.value, flags = record.flags;
    device->Get(property, &value, &flags);
    TakeCurrent(record, value, flags);
}

} // namespace

void ProbeCameraProperties() {
    CaptureGraph& g = g_capture.graph;
    if (!g.captureFilter)
        return;

    if (SUCCEEDED(g.captureFilter.As(&g.cameraControl))) {
        CameraProperty& exposure = g.properties[kPropExposure];
        const long id = ControlIdOf(kPropExposure).property;
        ReadControl(g.cameraControl.Get(), id, exposure);
        DebugOutput(L"IID_IAMCameraControl %d %d %d %d %d %d\r\n", exposure.min, exposure.max, exposure.step,
                    exposure.defaultValue, exposure.value, exposure.flags);
        ReadCurrent(g.cameraControl.Get(), id, exposure);
        DebugOutput(L"IID_IAMCameraControl %d %d %d %d %d %d\r\n", exposure.min, exposure.max, exposure.step,
                    exposure.defaultValue, exposure.value, exposure.flags);
    }

    if (SUCCEEDED(g.captureFilter.As(&g.procAmp))) {
        for (int i = kPropGain; i < kCameraPropertyCount; ++i) {
            const auto index = static_cast<CameraPropertyIndex>(i);
            CameraProperty& record = g.properties[index];
            const long id = ControlIdOf(index).property;
            ReadControl(g.procAmp.Get(), id, record);
            ReadCurrent(g.procAmp.Get(), id, record);
            if (index == kPropWhiteBalance)
                DebugOutput(L"VideoProcAmp_WhiteBalance %d %d %d %d %d\r\n", record.min, record.max,
                            record.step, record.defaultValue, record.flags);
            if (index == kPropContrast)
                DebugOutput(L"VideoProcAmp_Contrast %d %d %d %d %d %d\r\n", record.min, record.max,
                            record.step, record.defaultValue, record.value, record.flags);
        }
    }
}

void SetCameraPropertyValue(CameraPropertyIndex index, int value) {
    if (index < 0 || index >= kCameraPropertyCount)
        return;
    ApplyControlSet(SetPropertyValue(g_capture.graph.properties, index, value));
}

void SetCameraPropertyAuto(CameraPropertyIndex index, bool on) {
    if (index != kPropExposure && index != kPropWhiteBalance)
        return;
    ApplyControlSet(SetPropertyAuto(g_capture.graph.properties, index, on));
}

void SetPowerLineFrequency(int value) {
    ApplyControlSet(SetPropertyValue(g_capture.graph.properties, kPropPowerLineFrequency, value));
}

void RestoreCameraDefaults() {
    if (!g_capture.graph.procAmp)
        return;
    for (const ControlSet& set : RestoreDefaults(g_capture.graph.properties))
        ApplyControlSet(set);
}
