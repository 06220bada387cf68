#include "capture/camera_property.h"

#include <algorithm>

ControlId ControlIdOf(CameraPropertyIndex index) {
    // Property numbers of the platform's CameraControl_* and VideoProcAmp_* enumerations.
    switch (index) {
        case kPropExposure:
            return {ControlInterface::CameraControl, 4};
        case kPropGain:
            return {ControlInterface::VideoProcAmp, 9};
        case kPropWhiteBalance:
            return {ControlInterface::VideoProcAmp, 7};
        case kPropSaturation:
            return {ControlInterface::VideoProcAmp, 3};
        case kPropContrast:
            return {ControlInterface::VideoProcAmp, 1};
        case kPropHue:
            return {ControlInterface::VideoProcAmp, 2};
        case kPropBrightness:
            return {ControlInterface::VideoProcAmp, 0};
        case kPropSharpness:
            return {ControlInterface::VideoProcAmp, 4};
        case kPropGamma:
            return {ControlInterface::VideoProcAmp, 5};
        case kPropPowerLineFrequency:
        default:
            return {ControlInterface::VideoProcAmp, 13};
    }
}

void TakeRange(CameraProperty& property, int32_t min, int32_t max, int32_t step, int32_t defaultValue,
               int32_t flags) {
    property.min = min;
    property.max = max;
    property.step = step;
    property.defaultValue = defaultValue;
    property.flags = flags;
    property.autoCapable = flags & kControlFlagAuto;
}

void TakeCurrent(CameraProperty& property, int32_t value, int32_t flags) {
    property.value = value;
    property.flags = flags;
    property.autoOn = flags & kControlFlagAuto;
}

int32_t ClampedDefault(const CameraProperty& property) {
    return std::min(std::max(property.defaultValue, property.min), property.max);
}

ControlSet SetPropertyValue(CameraProperties& properties, CameraPropertyIndex index, int32_t value) {
    properties[index].value = value;
    return {index, value, kControlFlagManual};
}

ControlSet SetPropertyAuto(CameraProperties& properties, CameraPropertyIndex index, bool on) {
    CameraProperty& property = properties[index];
    property.autoOn = on ? 1 : 0;
    property.value = ClampedDefault(property);
    return {index, on ? 0 : property.value, on ? kControlFlagAuto : kControlFlagManual};
}

std::vector<ControlSet> RestoreDefaults(CameraProperties& properties) {
    static constexpr CameraPropertyIndex kOrder[] = {
        kPropGain, kPropBrightness, kPropContrast, kPropHue, kPropSaturation, kPropSharpness, kPropGamma};
    std::vector<ControlSet> sets;
    for (CameraPropertyIndex index : kOrder) {
        properties[index].value = properties[index].defaultValue;
        sets.push_back({index, properties[index].value, kControlFlagManual});
    }
    return sets;
}
