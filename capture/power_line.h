// The entries of the power-line frequency list: the values the device's range allows among
// 1 (50 Hz) and 2 (60 Hz).
#pragma once

#include "capture/camera_property.h"

#include <string>
#include <vector>

struct PowerLineItem {
    int32_t value;     // what choosing the entry sets on the device
    std::wstring text; // "50 Hz", "60 Hz"
};

struct PowerLineList {
    std::vector<PowerLineItem> items; // empty: the list shows one "N/A" entry and sets nothing
    int selected = 0;                 // index of the entry whose value is the current value, else 0
};

// Walks the range from min up to max by its step (a step below 1 counts as 1) and stops at the
// first value outside 1..2. A range with min or max 0 has no entries.
PowerLineList PowerLineItems(const CameraProperty& powerLine);
