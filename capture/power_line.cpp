#include "capture/power_line.h"

#include <algorithm>
#include <cstdint>

PowerLineList PowerLineItems(const CameraProperty& powerLine) {
    PowerLineList list;
    if (powerLine.min == 0 || powerLine.max == 0)
        return list;
    // A step below 1 would never leave the range.
    const int64_t step = std::max<int64_t>(powerLine.step, 1);
    for (int64_t v = powerLine.min; v <= powerLine.max; v += step) {
        if (v < 1 || v > 2)
            break;
        const int32_t value = static_cast<int32_t>(v);
        list.items.push_back({value, value == 1 ? L"50 Hz" : L"60 Hz"});
        if (value == powerLine.value)
            list.selected = static_cast<int>(list.items.size()) - 1;
    }
    return list;
}
