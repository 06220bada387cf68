// The stored calibrations text: any text parses, and what the table formats to parses back to
// the same table.
#include "measure/calibration.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameSlot(const Calibration& a, const Calibration& b) {
    return a.name == b.name && a.unit == b.unit && a.pixels == b.pixels && SameBits(a.length, b.length) &&
           a.date == b.date && a.resolution == b.resolution && SameBits(a.scale, b.scale);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CalibrationTable table = ParseCalibrations(WideText(data, size));
    const std::wstring text = FormatCalibrations(table);
    const CalibrationTable again = ParseCalibrations(text);
    for (size_t i = 0; i < kCalibrationSlots; ++i)
        FUZZ_CHECK(SameSlot(table[i], again[i]));
    FUZZ_CHECK(FormatCalibrations(again) == text);
    return 0;
}
