// The open camera's picture controls (exposure on IAMCameraControl, the other nine on
// IAMVideoProcAmp), kept in g_capture.graph.properties. Each change sets the record first and then
// the device; the device's answer is not examined. User-interface thread only.
#pragma once

#include "capture/camera_property.h"

// Reads range and current value of the ten controls; run by OpenCaptureGraph. A missing interface
// leaves its records zero.
void ProbeCameraProperties();

// A slider's value, in manual mode.
void SetCameraPropertyValue(CameraPropertyIndex index, int value);

// Automatic mode of exposure or white balance (other controls are left alone). Off returns the
// control to its default, clamped to its range.
void SetCameraPropertyAuto(CameraPropertyIndex index, bool on);

// The value a power-line list entry stands for (PowerLineItems).
void SetPowerLineFrequency(int value);

// Gain, brightness, contrast, hue, saturation, sharpness and gamma back to their defaults; only
// when the camera has IAMVideoProcAmp.
void RestoreCameraDefaults();
