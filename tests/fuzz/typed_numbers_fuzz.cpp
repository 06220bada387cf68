// Numbers typed by the user: the calibration length, and the slot it calibrates.
#include "measure/calibration_texts.h"
#include "tests/fuzz/fuzz_input.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in{data, size};
    const int pixels = in.Take<int32_t>();
    const int unit = in.Take<uint8_t>() & 1;
    const std::wstring text = WideText(in.data, in.size);

    const double length = ParseCalibrationLength(text);
    FUZZ_CHECK(!std::isnan(length));

    Calibration slot;
    slot.name = L"slot";
    if (const auto calibrated = CalibrateSlot(slot, unit, pixels, text, 20260101, PackResolution(640, 480))) {
        FUZZ_CHECK(std::isfinite(calibrated->scale) && calibrated->scale > 0.0f);
        FUZZ_CHECK(calibrated->length > 0.0f && calibrated->name == slot.name);
    }
    return 0;
}
