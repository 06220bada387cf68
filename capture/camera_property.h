// The camera's picture controls as records, and what changing one asks of the device.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One control as the device reported it and as the program last set it.
struct CameraProperty {
    int32_t min = 0;
    int32_t max = 0;
    int32_t step = 0;
    int32_t defaultValue = 0;
    int32_t flags = 0; // capabilities from the range, then the current mode (1 automatic, 2 manual)
    int32_t value = 0;
    int32_t autoCapable = 0;
    int32_t autoOn = 0;

    bool operator==(const CameraProperty&) const = default;
};

// The ten controls, in the order the device is probed.
enum CameraPropertyIndex {
    kPropExposure,
    kPropGain,
    kPropWhiteBalance,
    kPropSaturation,
    kPropContrast,
    kPropHue,
    kPropBrightness,
    kPropSharpness,
    kPropGamma,
    kPropPowerLineFrequency,
    kCameraPropertyCount
};
using CameraProperties = std::array<CameraProperty, kCameraPropertyCount>;

// Where a control lives on the device: exposure on the camera-control interface, the rest on the
// video-proc-amp interface, each under the platform's property number.
enum class ControlInterface { CameraControl, VideoProcAmp };
struct ControlId {
    ControlInterface where;
    int32_t property;
};
ControlId ControlIdOf(CameraPropertyIndex index);

// The device's flag values.
inline constexpr int32_t kControlFlagAuto = 1;
inline constexpr int32_t kControlFlagManual = 2;

// A Set call to make on the device.
struct ControlSet {
    CameraPropertyIndex index;
    int32_t value;
    int32_t flags;
    bool operator==(const ControlSet&) const = default;
};

// The records after a range and a current value were read.
void TakeRange(CameraProperty& property, int32_t min, int32_t max, int32_t step, int32_t defaultValue,
               int32_t flags);
void TakeCurrent(CameraProperty& property, int32_t value, int32_t flags);

// The default raised to min, then lowered to max.
int32_t ClampedDefault(const CameraProperty& property);

// A manual value: the record keeps it and the device is set to it in manual mode.
ControlSet SetPropertyValue(CameraProperties& properties, CameraPropertyIndex index, int32_t value);

// Automatic mode on or off (exposure and white balance). Off puts the control back to its clamped
// default; on hands the control to the device.
ControlSet SetPropertyAuto(CameraProperties& properties, CameraPropertyIndex index, bool on);

// Picture controls back to their defaults, in the order the device is set: gain, brightness,
// contrast, hue, saturation, sharpness, gamma. Exposure, white balance and power line keep theirs.
std::vector<ControlSet> RestoreDefaults(CameraProperties& properties);
